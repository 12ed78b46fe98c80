// The argument text the client process is started with, and the copy of it
// the log shows.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Name and value, in the order the client gets them.
using LaunchPairs = std::vector<std::pair<std::string, std::string>>;

struct LaunchContext {
  bool embedClient = false;    // the client is told its parent window and process
  intptr_t parentWindow = 0;   // the control window's handle
  uint32_t processId = 0;      // this process
  std::string cookieFilePath;  // empty when no cookies were saved for the client
};

struct LaunchArguments {
  std::string text;     // what the client gets
  std::string logText;  // the same with every password value as "******"
};

// In this order, then trimmed of white space at both ends: name="value" for
// every pair but "AdditionalParams" whose value is not empty;
// PARENT_WINDOW_HANDLE and PARENT_PROCESS_ID when the client is embedded;
// sdr=<cookie file>; last AdditionalParams="..." with every single quote
// turned into a double quote (empty when the list has no such pair). Each
// item has a blank before and after it.
LaunchArguments BuildLaunchArguments(const LaunchPairs& parameters, const LaunchContext& context);

// The additional parameters as the log shows them: the values of
// "AuthPassword=" and "ProxyPassword=" (any case) are "******".
std::string MaskAdditionalParams(const std::string& text);
