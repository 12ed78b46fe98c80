// A client user-interface control for the hosting tests: an OLE object with
// the properties "TKtesttypes", "Cookie" and "Server", which it records, and
// "Broken", which refuses every value. Its class is served by this process
// under the ProgID "Varnik.TestClient" while a TestClientClass lives (OLE is
// initialised on the thread for as long).
#pragma once

#include <string>
#include <vector>

#include "scratch_registry_key.h"

class TestClientClass {
 public:
  static constexpr const char* kProgId = "Varnik.TestClient";
  static constexpr const char* kRefusal = "Broken on purpose";

  TestClientClass();
  ~TestClientClass();
  TestClientClass(const TestClientClass&) = delete;
  TestClientClass& operator=(const TestClientClass&) = delete;

  bool Registered() const { return cookie_ != 0; }
  // "name=value" of every property set on the controls made, in order;
  // "site", "activated" and "closed" mark what the container did.
  static std::vector<std::string> Journal();

 private:
  ScratchRegistryKey progId_;
  long oleResult_ = -1;
  unsigned long cookie_ = 0;
};
