// The opens of a "Search All": one after another, each once the program the
// shell started for the one before has passed its address on, so that the
// browser's tabs keep the menu's order, while the host goes on with its
// work. They run on a timer of the host's user-interface thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "BrowserCommand.h"

namespace kf {

struct QueuedOpen {
  std::string caption;  // the engine's, for the report of a failure
  std::string address;
  BrowserChoice browser;  // where the engine opens
};

// Adds what could not be searched with the engine shown as caption, and
// why, to the text of the failures box.
void AddFailure(std::string& failures, const std::string& caption, const std::string& why);

// Queues opens behind any still waiting and starts them; failures holds
// what could not be searched already (AddFailure's text).
// Everything that could not be opened is told in one box, owned by owner,
// once the last address has been handed to the shell. Throws kf::Error when
// the timer's window cannot be made; nothing is opened then.
void QueueOpens(HWND owner, std::vector<QueuedOpen> opens, std::string failures);

// Lets go of the hold on the library that a finished queue kept. Call it
// from the host's calls into the library, which hold a reference of the
// host's own: the queue's last tick cannot let it go itself.
void LetGoOfFinishedQueue() noexcept;

// Drops the opens still waiting and everything that runs them; the host is
// about to unload the library.
void ReleaseSearchQueue() noexcept;

}  // namespace kf
