// What the shell was asked to open. The test prefix's URL handlers run
// urlrecorder.exe, which appends each URL to the file named by KF_URL_LOG;
// a UrlLog points that variable at a fresh file for the life of the test.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kft {

class UrlLog {
 public:
  UrlLog();   // sets KF_URL_LOG to a new, not yet existing file
  ~UrlLog();  // puts the old value back and deletes the file
  UrlLog(const UrlLog&) = delete;
  UrlLog& operator=(const UrlLog&) = delete;

  const std::string& Path() const { return path_; }
  // The URLs recorded so far, as bytes, without their line ends.
  std::vector<std::string> Lines() const;

  // Waits (pumping this thread's messages) until at least n URLs are in.
  // The shell runs the recorder asynchronously.
  ::testing::AssertionResult WaitForLines(size_t n, DWORD timeoutMs = 10000) const;
  // Success when nothing has been recorded after waiting ms milliseconds.
  ::testing::AssertionResult ExpectNothingOpened(DWORD ms = 1500) const;

 private:
  std::string path_;
  std::string oldValue_;
  bool hadOldValue_ = false;
};

}  // namespace kft
