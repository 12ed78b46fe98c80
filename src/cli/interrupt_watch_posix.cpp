// The signal handler only writes a byte into a pipe (all it may safely
// do); a thread reads the pipe and makes the call.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "cli/InterruptWatch.h"

namespace {

std::atomic<int> g_signalPipe{-1};

constexpr char kInterrupted = 'i';
constexpr char kStop = 's';
constexpr int kSignals[] = {SIGINT, SIGTERM};

void OnSignal(int) {
  const int saved = errno;
  const int pipe = g_signalPipe.load();
  const char byte = kInterrupted;
  if (pipe >= 0) (void)!write(pipe, &byte, 1);
  errno = saved;
}

}  // namespace

class InterruptWatch::Impl {
 public:
  explicit Impl(std::function<void()> onInterrupt) : onInterrupt_(std::move(onInterrupt)) {
    if (pipe2(fds_, O_CLOEXEC) != 0) {
      fds_[0] = fds_[1] = -1;
      return;
    }
    g_signalPipe = fds_[1];
    reader_ = std::thread([this] { Read(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // The handler is reset after the first signal: a second one ends the
    // process.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
      sigaction(kSignals[i], &action, &previous_[i]);
  }

  ~Impl() {
    if (fds_[1] < 0) return;
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
      sigaction(kSignals[i], &previous_[i], nullptr);
    g_signalPipe = -1;
    const char byte = kStop;
    (void)!write(fds_[1], &byte, 1);
    reader_.join();
    close(fds_[0]);
    close(fds_[1]);
  }

 private:
  void Read() {
    char byte = 0;
    while (true) {
      const ssize_t got = read(fds_[0], &byte, 1);
      if (got < 0 && errno == EINTR) continue;
      if (got != 1 || byte == kStop) return;
      onInterrupt_();
    }
  }

  std::function<void()> onInterrupt_;
  int fds_[2] = {-1, -1};
  std::thread reader_;
  struct sigaction previous_[sizeof kSignals / sizeof kSignals[0]] {};
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : impl_(std::make_unique<Impl>(std::move(onInterrupt))) {}

InterruptWatch::~InterruptWatch() = default;
