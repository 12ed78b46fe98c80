// The server's session cookies, collected through the web client and saved
// for the client application in a file of the temporary folder that only
// the user can read.
#include <algorithm>
#include <cstdio>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "transfer/NetworkConfiguration.h"
#include "transfer/WinInetWebClient.h"

void NetworkConfiguration::GetCookiesFromWinInetLayer() {
  static const char kLocation[] = "CLoader::GetCookiesFromWinInetLayer";
  SimpleLogger& log = *SimpleLogger::GetInstance();
  if (host_.MsiDeployment()) {
    log.Info(kLocation, "MSI deployment mode, get cookies skipped.");
    return;
  }
  cookies_.assign(kCookieBufferSize, '\0');
  cookieLength_ = static_cast<uint32_t>(kCookieBufferSize);
  if (!host_.WebClient().TryGetCookies(host_.ServerRootUrl(), cookies_.data(), cookieLength_)) {
    cookieLength_ = 0;
    log.Info(kLocation, "Cookies not set");
    return;
  }
  log.Info(kLocation, Format("Cookies have been collected. Data length %u", cookieLength_));
  SaveCookieFile();
}

// The cookie text as the web client gave it; the terminating zero its length
// may count is not part of it.
std::string NetworkConfiguration::CookieData() const {
  const auto end = cookies_.begin() + std::min<size_t>(cookieLength_, cookies_.size());
  return std::string(cookies_.begin(), std::find(cookies_.begin(), end, '\0'));
}

void NetworkConfiguration::SaveCookieFile() {
  static const char kLocation[] = "CLoader::SaveCookieFile";
  SimpleLogger& log = *SimpleLogger::GetInstance();
  if (cookieLength_ == 0) return;
  const std::string guid = NewGuidString();
  if (guid.empty()) {
    log.Warning(kLocation, Format("Can't create cookie file, error %d", 0));
    return;
  }
  std::string folder;
  if (!platform::QueryTempFolder(folder)) {
    log.Warning(kLocation, "Unable get path to temp folder. Cookie file was not created.");
    return;
  }
  const std::string path = Format("%s%s.sdr", folder.c_str(), guid.c_str());
  platform::UniqueStdioFile file(platform::OpenPrivateStdioFile(path, "w"));
  if (!file) {
    log.Warning(kLocation, "Unable create cookie file:" + path);
    return;
  }
  const std::string cookies = CookieData();
  const bool written =
      std::fwrite(cookies.data(), 1, cookies.size(), file.get()) == cookies.size() &&
      std::fflush(file.get()) == 0;
  if (std::fclose(file.release()) != 0 || !written) {
    log.Warning(kLocation, "Unable create cookie file:" + path);
    platform::DeletePath(path);
    return;
  }
  log.Info(kLocation, "Cookie file created:" + path);
  cookieFilePath_ = path;
  cookieFileGuid_ = guid;
}
