#include "infra/SimpleLogger.h"

#include <exception>

#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Nordak Labs\\Trialdesk\\WEB_CLNT_DEBUG";
// The settings are read into 260-character buffers.
constexpr size_t kSettingBufferSize = 260;

// Both are made once and never destroyed: a thread may report while the
// process ends, and a pointer handed out stays valid after a release.
std::mutex& InstanceLock() {
  static std::mutex* const lock = new std::mutex;
  return *lock;
}

bool g_live = false;  // under InstanceLock

bool IsStringType(platform::RegistryValueType type) {
  return type == platform::RegistryValueType::String ||
         type == platform::RegistryValueType::ExpandString;
}

// MASK: a string whose data ends in its terminating zero.
bool ReadMask(const platform::RegistryKey& key, std::string& mask) {
  platform::RegistryValue value;
  if (key.QueryValue("MASK", value, kSettingBufferSize) != platform::kErrorSuccess) return false;
  if (!IsStringType(value.type) || value.data.empty() || value.data.back() != 0) return false;
  mask = reinterpret_cast<const char*>(value.data.data());
  return true;
}

// PATH: any string data; the zero-filled buffer terminates a value that was
// stored without its zero, as long as it leaves room for one.
bool ReadPath(const platform::RegistryKey& key, std::string& path) {
  platform::RegistryValue value;
  if (key.QueryValue("PATH", value, kSettingBufferSize) != platform::kErrorSuccess) return false;
  if (!IsStringType(value.type) || value.data.empty()) return false;
  std::string text(value.data.begin(), value.data.end());
  const size_t zero = text.find('\0');
  if (zero == std::string::npos && text.size() >= kSettingBufferSize) return false;
  path = text.substr(0, zero);
  return true;
}

std::string StripLineBreaks(const std::string& message) {
  std::string stripped;
  stripped.reserve(message.size());
  for (char c : message) {
    if (c != '\r' && c != '\n') stripped += c;
  }
  return stripped;
}

std::string ReplaceAll(std::string text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  return text;
}

}  // namespace

SimpleLogger& SimpleLogger::Instance() {
  static SimpleLogger* const instance = new SimpleLogger();
  return *instance;
}

SimpleLogger* SimpleLogger::GetInstance() {
  std::lock_guard<std::mutex> guard(InstanceLock());
  if (!g_live) {
    g_live = true;
    Instance().Initialize();
  }
  return &Instance();
}

void SimpleLogger::ReleaseInstance() {
  std::lock_guard<std::mutex> guard(InstanceLock());
  try {
    if (g_live) {
      // Other threads may hold the pointer: the object stays, its file and
      // settings go.
      Instance().Reset();
      g_live = false;
      platform::SendDebugOutput("SimpleLogger - logger released");
    }
  } catch (...) {
    platform::SendDebugOutput("SimpleLogger - failed to release logger");
  }
}

SimpleLogger::~SimpleLogger() { CloseFile(); }

void SimpleLogger::Reset() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  CloseFile();
  active_ = false;
  folder_.clear();
  filePath_.clear();
}

bool SimpleLogger::IsActive() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return active_;
}

std::string SimpleLogger::FilePath() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return filePath_;
}

std::string SimpleLogger::ReadLogFolderSetting() {
  platform::RegistryKey key;
  if (platform::RegistryKey::Open(platform::RegistryRoot::CurrentUser, kSettingsKey,
                                  platform::RegistryAccess::Read, key) != platform::kErrorSuccess &&
      platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, kSettingsKey,
                                  platform::RegistryAccess::Read, key) != platform::kErrorSuccess) {
    return {};
  }
  std::string mask;
  if (!ReadMask(key, mask) || mask == "None") {
    platform::SendDebugOutput("ZEL Loader logger - [MASK] is not set or set to None.");
    return {};
  }
  std::string path;
  if (!ReadPath(key, path)) {
    platform::SendDebugOutput("ZEL Loader logger - [PATH] is not set");
    return {};
  }
  platform::SendDebugOutput("ZEL Loader logger - request for logs under >" + path);
  return path;
}

std::string SimpleLogger::MakeLogFileName() {
  const platform::LocalTime now = platform::CurrentLocalTime();
  const std::string date = Format("%02d/%02d/%02d", now.month, now.day, now.year % 100);
  const std::string time = Format("%02d:%02d:%02d", now.hour, now.minute, now.second);
  const std::string stamp = ReplaceAll(ReplaceAll(Format("%s_%s", date.c_str(), time.c_str()), '/', '-'), ':', '-');
  return Format("loader_%u_%s.txt", platform::CurrentProcessId(), stamp.c_str());
}

void SimpleLogger::Initialize() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  try {
    if (active_) return;
    folder_ = ReadLogFolderSetting();
    if (folder_.empty()) return;
    uint32_t attributes = 0;
    if (!platform::ReadPathAttributes(folder_, attributes)) return;
    active_ = true;
    filePath_ = folder_;
    if (filePath_.back() != '\\') filePath_ += '\\';
    filePath_ += MakeLogFileName();
    platform::SendDebugOutput("Logger is active under:" + filePath_);
    std::string version = GetLoaderVersion();
    if (version.empty()) version = "UNKNOWN_VERSION";
    WriteLine("ZEL PLATFORM LOADER version:" + version);
  } catch (...) {
    platform::SendDebugOutput("SimpleLogger - error in logger initialization");
  }
}

void SimpleLogger::Info(const std::string& location, const std::string& message) {
  Write("INFO", location, message);
}

void SimpleLogger::Error(const std::string& location, const std::string& message) {
  Write("ERROR", location, message);
}

void SimpleLogger::Warning(const std::string& location, const std::string& message) {
  Write("WARNING", location, message);
}

void SimpleLogger::Write(const char* level, const std::string& location,
                         const std::string& message) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  try {
    const std::string stripped = StripLineBreaks(message);
    if (active_) {
      const platform::LocalTime now = platform::CurrentLocalTime();
      WriteLine(Format(" %02d:%02d:%02d:%03d\t%u\t[%-8.8s]\t[%-64.64s]\t%s", now.hour, now.minute,
                       now.second, now.millisecond, platform::CurrentThreadId(), level,
                       location.c_str(), stripped.c_str()));
    }
    platform::SendDebugOutput(
        Format("ZEL\t%s\t%s\t%s\t", level, location.c_str(), stripped.c_str()));
  } catch (...) {
    // A report must never fail its caller.
  }
}

void SimpleLogger::WriteLine(const std::string& text) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  try {
    if (!file_) {
      // Binary append with explicit CR LF gives the same bytes on every
      // target as a Windows text-mode stream.
      file_ = platform::OpenStdioFile(filePath_, "a+b");
      if (!file_) {
        platform::SendDebugOutput("SimpleLogger - unable to open log file.");
        return;
      }
      std::fseek(file_, 0, SEEK_END);
    }
    std::fprintf(file_, "%s\r\n", text.c_str());
    std::fflush(file_);
  } catch (...) {
    platform::SendDebugOutput("SimpleLogger - unable to create / update log file");
  }
}

void SimpleLogger::CloseFile() {
  // Under the lock, so a report on another thread never writes to a stream
  // that is being closed.
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!file_) return;
  FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) == 0) {
    platform::SendDebugOutput("SimpleLogger - log file closed.");
  } else {
    platform::SendDebugOutput("SimpleLogger - failed to close logger file.");
  }
}
