#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "message_box_watch.h"

class MessageBoxWatch::Impl {
 public:
  explicit Impl(int answer) : answer_(answer), thread_([this] { Watch(); }) {}
  ~Impl() {
    stop_ = true;
    thread_.join();
  }

  std::vector<std::string> Seen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
  }

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    reinterpret_cast<Impl*>(self)->Consider(window);
    return TRUE;
  }

  // A dialog box of this process with the text control message boxes have.
  void Consider(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (process != GetCurrentProcessId() || lstrcmpA(className, "#32770") != 0 ||
        !IsWindowVisible(window) || !GetDlgItem(window, 0xFFFF) || answered_.count(window))
      return;
    char caption[512] = {}, text[4096] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
    {
      std::lock_guard<std::mutex> guard(lock_);
      seen_.push_back(std::string(caption) + "|" + text);
    }
    answered_.insert(window);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
  }

  void Watch() {
    while (!stop_) {
      EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
      Sleep(20);
    }
  }

  const int answer_;
  std::atomic<bool> stop_{false};
  mutable std::mutex lock_;
  std::vector<std::string> seen_;
  std::set<HWND> answered_;
  std::thread thread_;
};

MessageBoxWatch::MessageBoxWatch(int answer) : impl_(std::make_unique<Impl>(answer)) {}
MessageBoxWatch::~MessageBoxWatch() = default;

std::vector<std::string> MessageBoxWatch::Seen() const { return impl_->Seen(); }
