// The message boxes the code under test shows while the object lives, as
// "caption|text", each answered with the button the test chose. win32: a
// thread finds the boxes of this process and presses the button. posix: a
// box is a line of the debugger output and always answers with its first
// button, so the answer is not the test's to choose.
#pragma once

#include <memory>
#include <string>
#include <vector>

class MessageBoxWatch {
 public:
  // answer: IDOK (1) or IDCANCEL (2).
  explicit MessageBoxWatch(int answer = 1);
  ~MessageBoxWatch();
  MessageBoxWatch(const MessageBoxWatch&) = delete;
  MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

  std::vector<std::string> Seen() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
