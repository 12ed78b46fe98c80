#include "session/LaunchCommandLine.h"

#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kAdditionalParams[] = "AdditionalParams";
constexpr char kMask[] = "******";

std::string Item(const std::string& name, const std::string& value) {
  return " " + name + "=\"" + value + "\" ";
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string Trimmed(const std::string& text) {
  const char* const blanks = " \t\r\n\v\f";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Both texts grow together; the log copy may show another value.
void Append(LaunchArguments& arguments, const std::string& item, const std::string& logItem) {
  arguments.text += item;
  arguments.logText += logItem;
}

}  // namespace

std::string MaskAdditionalParams(const std::string& text) {
  std::string masked = text;
  for (const char* key : {"authpassword=", "proxypassword="}) {
    const std::string name(key);
    size_t from = 0;
    while ((from = Lower(masked).find(name, from)) != std::string::npos) {
      const size_t valueStart = from + name.size();
      size_t valueEnd = masked.find('&', valueStart);
      if (valueEnd == std::string::npos) valueEnd = masked.size();
      if (valueEnd > valueStart) masked.replace(valueStart, valueEnd - valueStart, kMask);
      from = valueStart;
    }
  }
  return masked;
}

LaunchArguments BuildLaunchArguments(const LaunchPairs& parameters, const LaunchContext& context) {
  LaunchArguments arguments;
  const std::string* additional = nullptr;
  for (const auto& [name, value] : parameters) {
    if (name == kAdditionalParams) {
      if (!additional) additional = &value;
      continue;
    }
    if (value.empty()) continue;
    const bool secret = platform::CodePageEqualsNoCase(name, "DomainPassword");
    Append(arguments, Item(name, value), Item(name, secret ? kMask : value));
  }
  if (context.embedClient) {
    const std::string window =
        Item("PARENT_WINDOW_HANDLE", Format("%lld", static_cast<long long>(context.parentWindow)));
    const std::string process = Item("PARENT_PROCESS_ID", Format("%lu", static_cast<unsigned long>(context.processId)));
    Append(arguments, window + process, window + process);
  }
  if (!context.cookieFilePath.empty()) {
    const std::string cookies = " sdr=" + context.cookieFilePath + " ";
    Append(arguments, cookies, cookies);
  }
  const std::string value = additional ? ReplaceAll(*additional, "'", "\"") : std::string();
  Append(arguments, Item(kAdditionalParams, value),
         Item(kAdditionalParams, MaskAdditionalParams(value)));
  arguments.text = Trimmed(arguments.text);
  arguments.logText = Trimmed(arguments.logText);
  return arguments;
}
