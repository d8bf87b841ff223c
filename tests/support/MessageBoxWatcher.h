// Watches the message boxes shown on the test's own thread and answers them,
// so that a single-threaded test never blocks on a modal box. Uses a WH_CBT
// hook: each "#32770" window with a message-box text control is recorded
// when it is activated and then answered with the chosen button.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kft {

enum class BoxIcon { None, Warning, Question, Error, Information, Other };

struct SeenMessageBox {
  std::wstring text;
  std::wstring caption;
  std::vector<int> buttons;  // ids present: IDOK, IDCANCEL, IDYES, IDNO, ...
  BoxIcon icon = BoxIcon::None;
  int answer = 0;  // the button the watcher pressed

  std::string TextUtf8() const;
  std::string CaptionUtf8() const;
  bool HasButton(int id) const;
  // Exactly one button, OK.
  bool IsOkOnly() const { return buttons.size() == 1 && buttons[0] == IDOK; }
};

class MessageBoxWatcher {
 public:
  // answer: the button to press (IDOK, IDCANCEL, ...). A box without that
  // button gets its first button instead.
  explicit MessageBoxWatcher(int answer = IDOK);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  // The answer for boxes from now on.
  void SetAnswer(int answer) { answer_ = answer; }
  // Answers for the next boxes, one each, before falling back to SetAnswer's.
  void QueueAnswers(std::vector<int> answers) { queued_ = std::move(answers); }

  const std::vector<SeenMessageBox>& Boxes() const { return boxes_; }
  size_t Count() const { return boxes_.size(); }
  // Pumps the thread's messages until count boxes have been answered or
  // timeoutMs has passed; whether they were.
  bool WaitForCount(size_t count, DWORD timeoutMs = 5000);
  void Clear() { boxes_.clear(); }

  // The watcher of the calling thread, or null.
  static MessageBoxWatcher* Current();

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  void OnActivate(HWND box);

  HHOOK hook_ = nullptr;
  int answer_;
  std::vector<int> queued_;
  std::vector<HWND> answered_;
  std::vector<SeenMessageBox> boxes_;
  MessageBoxWatcher* previous_ = nullptr;
};

}  // namespace kft
