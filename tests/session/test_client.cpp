// The client application the launch tests start. It writes what it was given
// to "client-record.txt" beside itself: its process id, its working folder,
// its command line (Windows: as the system gave it; posix: its arguments
// after the program, each on a line), and then what happened to it. What it does
// next depends on the Mode="..." argument:
//   (none)         ends with exit code 0
//   linger         waits a minute, then ends with 0
//   close          Windows: a window of its own, registered with the
//                  parent window; WM_CLOSE ends the client with 5
//   ignore-close   the same, but WM_CLOSE is noted and ignored
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

FILE* g_record = nullptr;

void Note(const std::string& line) {
  if (!g_record) return;
  std::fprintf(g_record, "%s\n", line.c_str());
  std::fflush(g_record);
}

#ifdef _WIN32
// The value of name="value" in the command line.
std::string Argument(const std::string& commandLine, const std::string& name) {
  const std::string key = " " + name + "=\"";
  const size_t at = (" " + commandLine).find(key);
  if (at == std::string::npos) return std::string();
  const size_t start = at + key.size() - 1;
  const size_t end = commandLine.find('"', start);
  return commandLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

#endif

void Linger() { std::this_thread::sleep_for(std::chrono::seconds(60)); }

#ifdef _WIN32
bool g_ignoreClose = false;

LRESULT CALLBACK ClientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Note("WM_CLOSE");
    if (g_ignoreClose) return 0;
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(5);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int RunWindow(HWND parent, bool ignoreClose) {
  g_ignoreClose = ignoreClose;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ClientWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VarnikTestClient";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("VarnikTestClient", "test client", WS_OVERLAPPED, 0, 0, 100, 100,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 20;
  // WM_USER + 1000: the loader learns the client's window.
  PostMessageA(parent, WM_USER + 1000, reinterpret_cast<WPARAM>(window), 0);
  Note("registered");
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return static_cast<int>(message.wParam);
}
#endif

}  // namespace

// The record lies beside the program, wherever it was started from.
std::string RecordPath() {
#ifdef _WIN32
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::filesystem::path program(self);
#else
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
#endif
  return (program.parent_path() / "client-record.txt").string();
}

int main(int argc, char** argv) {
  g_record = std::fopen(RecordPath().c_str(), "wb");
  if (!g_record) return 10;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  const std::string commandLine = GetCommandLineA();
  Note(std::to_string(GetCurrentProcessId()));
  Note(std::filesystem::current_path().string());
  Note(commandLine);
  const std::string mode = Argument(commandLine, "Mode");
  if (mode == "close" || mode == "ignore-close") {
    const std::string parent = Argument(commandLine, "PARENT_WINDOW_HANDLE");
    return RunWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(
                         std::strtoull(parent.c_str(), nullptr, 10))),
                     mode == "ignore-close");
  }
  if (mode == "linger") Linger();
#else
  Note(std::to_string(getpid()));
  Note(std::filesystem::current_path().string());
  bool linger = false;
  // The runtime's splitting took the quotes: the pair arrives as Mode=linger.
  for (int i = 1; i < argc; ++i) {
    Note(argv[i]);
    linger = linger || std::strcmp(argv[i], "Mode=linger") == 0;
  }
  if (linger) Linger();
#endif
  return 0;
}
