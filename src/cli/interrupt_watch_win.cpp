// The console calls its control handlers on a thread of its own.
#include <windows.h>

#include <mutex>

#include "cli/InterruptWatch.h"

namespace {

std::mutex g_lock;
std::function<void()>* g_onInterrupt = nullptr;
bool g_interrupted = false;

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  std::lock_guard<std::mutex> guard(g_lock);
  // Not ours, or the second press: the next handler, and in the end the
  // default one, which ends the process.
  if (!g_onInterrupt || g_interrupted) return FALSE;
  g_interrupted = true;
  (*g_onInterrupt)();
  return TRUE;
}

}  // namespace

class InterruptWatch::Impl {
 public:
  explicit Impl(std::function<void()> onInterrupt) : onInterrupt_(std::move(onInterrupt)) {
    {
      std::lock_guard<std::mutex> guard(g_lock);
      g_onInterrupt = &onInterrupt_;
      g_interrupted = false;
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  }

  ~Impl() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    // A handler already running holds the lock until its call is done.
    std::lock_guard<std::mutex> guard(g_lock);
    g_onInterrupt = nullptr;
  }

 private:
  std::function<void()> onInterrupt_;
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : impl_(std::make_unique<Impl>(std::move(onInterrupt))) {}

InterruptWatch::~InterruptWatch() = default;
