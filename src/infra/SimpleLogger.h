// The loader's one log writer: every report goes to the debugger output, and
// to a log file when file logging is switched on under
// "Software\Nordak Labs\Trialdesk\WEB_CLNT_DEBUG" (values MASK and PATH).
// A process-wide singleton; thread-safe. The object lives as long as the
// process: releasing it closes the file and forgets the settings, so a thread
// still holding the pointer keeps reporting to the debugger output, and the
// next GetInstance starts afresh on the same object.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

class SimpleLogger {
 public:
  // Creates and initialises the logger on first use.
  static SimpleLogger* GetInstance();
  // Closes the file and ends this logger's file logging; the next
  // GetInstance reads the settings again and starts a new file.
  static void ReleaseInstance();

  void Info(const std::string& location, const std::string& message);
  void Error(const std::string& location, const std::string& message);
  void Warning(const std::string& location, const std::string& message);

  void Write(const char* level, const std::string& location, const std::string& message);
  void WriteLine(const std::string& text);
  // The next line written reopens the file and appends to it.
  void CloseFile();

  bool IsActive() const;
  std::string FilePath() const;

  // "loader_<pid>_MM-DD-YY_HH-MM-SS.txt" for the current moment.
  static std::string MakeLogFileName();

 private:
  SimpleLogger() = default;
  ~SimpleLogger();
  SimpleLogger(const SimpleLogger&) = delete;
  SimpleLogger& operator=(const SimpleLogger&) = delete;

  // The one object, made on first use and never destroyed.
  static SimpleLogger& Instance();
  void Initialize();
  // Back to the state of a logger never initialised.
  void Reset();
  static std::string ReadLogFolderSetting();

  bool active_ = false;
  std::string folder_;
  std::string filePath_;
  FILE* file_ = nullptr;
  mutable std::recursive_mutex lock_;
};
