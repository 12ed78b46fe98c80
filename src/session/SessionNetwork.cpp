#include "session/SessionNetwork.h"

#include "transfer/NetworkConfiguration.h"
#include "transfer/WinInetWebClient.h"

std::string NetworkHandOver::CookieData() const { return configuration_.CookieData(); }

std::string NetworkHandOver::CookieFilePath() const { return configuration_.CookieFilePath(); }

void NetworkHandOver::ReleaseWebConnection() { webClient_.ReleaseConnection(); }
