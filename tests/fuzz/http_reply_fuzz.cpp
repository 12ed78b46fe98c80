// The posix HTTP reply reading. A loopback server answers the requests
// with the input's replies, as any server or proxy on the way may: the
// input holds one or more, separated by the line "--next--", the last
// one answering every further request. The server is the proxy of every
// request (redirects too), so nothing leaves the machine. Whatever the
// replies, the exchange ends; a 200 reply read as complete holds exactly
// the body its length announced; an error page never reaches the body's
// sink; and the session's cookies can be read.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fuzz_support.h"
#include "platform/Registry.h"
#include "platform/posix/http_exchange.h"

using platform::posix::ExchangeRequest;
using platform::posix::ExchangeResult;
using platform::posix::HttpExchange;

namespace {

// Answers one connection after another with the next of the current
// replies, then closes it.
class ReplyServer {
 public:
  ReplyServer() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      FuzzPropertyFailed("a loopback port can be listened on", __FILE__, __LINE__);
    port_ = ntohs(address.sin_port);
    std::thread([this] { Serve(); }).detach();
  }

  uint16_t Port() const { return port_; }
  void SetReplies(std::vector<std::string> replies) {
    std::lock_guard<std::mutex> guard(lock_);
    replies_ = std::move(replies);
    next_ = 0;
  }

 private:
  void Serve() {
    for (;;) {
      const int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      ReadRequest(connection);
      std::string reply;
      {
        std::lock_guard<std::mutex> guard(lock_);
        if (!replies_.empty()) reply = replies_[std::min(next_++, replies_.size() - 1)];
      }
      for (size_t sent = 0; sent < reply.size();) {
        const ssize_t n = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      shutdown(connection, SHUT_WR);
      // A moment for the client to read and close, so the reply is not cut
      // short by a reset; one that keeps the connection for the next
      // request finds it closed and opens another.
      char scratch[4096];
      pollfd waiting{connection, POLLIN, 0};
      while (poll(&waiting, 1, 100) > 0 && recv(connection, scratch, sizeof(scratch), 0) > 0) {
      }
      close(connection);
    }
  }

  // Up to the blank line that ends the request's header.
  static void ReadRequest(int connection) {
    std::string request;
    char buffer[4096];
    pollfd waiting{connection, POLLIN, 0};
    while (request.find("\r\n\r\n") == std::string::npos && poll(&waiting, 1, 2000) > 0) {
      const ssize_t n = recv(connection, buffer, sizeof(buffer), 0);
      if (n <= 0) return;
      request.append(buffer, static_cast<size_t>(n));
    }
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::mutex lock_;
  std::vector<std::string> replies_;
  size_t next_ = 0;
};

ReplyServer& Server() {
  static ReplyServer* server = [] {
    FuzzScratch::Instance();  // the machine root the settings go to
    auto* made = new ReplyServer;
    platform::RegistryKey key;
    if (platform::RegistryKey::Create(platform::RegistryRoot::CurrentUser,
                                      "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                                      key) != platform::kErrorSuccess ||
        key.WriteDword("ProxyEnable", 1) != platform::kErrorSuccess ||
        key.WriteString("ProxyServer", "127.0.0.1:" + std::to_string(made->Port())) !=
            platform::kErrorSuccess ||
        key.WriteString("ProxyOverride", "<-loopback>") != platform::kErrorSuccess ||
        key.WriteDword("ReceiveTimeout", 3000) != platform::kErrorSuccess)
      FuzzPropertyFailed("the proxy settings can be written", __FILE__, __LINE__);
    return made;
  }();
  return *server;
}

std::vector<std::string> Replies(const std::string& input) {
  static const std::string kSeparator = "\r\n--next--\r\n";
  std::vector<std::string> replies;
  size_t start = 0;
  for (size_t end; (end = input.find(kSeparator, start)) != std::string::npos;
       start = end + kSeparator.size())
    replies.push_back(input.substr(start, end - start));
  replies.push_back(input.substr(start));
  return replies;
}

constexpr char kUrl[] = "http://reply.fuzz.invalid/files/setup.ini";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReplyServer& server = Server();
  server.SetReplies(Replies(BytesOf(data, size)));
  ExchangeRequest request;
  request.url = kUrl;
  request.agent = "fuzz";

  // All at once, the body handed on as it arrives.
  HttpExchange whole;
  int64_t handed = 0;
  bool errorPageHanded = false;
  const ExchangeResult fetched = whole.Fetch(request, [&](const char*, size_t count) {
    handed += static_cast<int64_t>(count);
    return true;
  });
  if (whole.Status() != 200) errorPageHanded = handed > 0;
  FUZZ_CHECK(!errorPageHanded);
  if (fetched.Ok() && whole.Status() == 200 && whole.ContentLength() >= 0)
    FUZZ_CHECK(handed == whole.ContentLength());

  // Read in pieces, as the web client reads.
  HttpExchange pieces;
  ExchangeResult result = pieces.Start(request);
  int64_t read = 0;
  char buffer[512];
  for (size_t got = 1; result.Ok() && got > 0;) {
    result = pieces.Read(buffer, sizeof(buffer), got);
    read += static_cast<int64_t>(got);
  }
  if (result.Ok() && pieces.Status() == 200 && pieces.ContentLength() >= 0)
    FUZZ_CHECK(read == pieces.ContentLength());

  platform::posix::SessionCookies(kUrl, true);
  return 0;
}
