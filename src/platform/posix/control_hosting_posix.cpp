// No COM here: a control cannot be created by its ProgID.
#include "platform/ControlHosting.h"

namespace platform {

bool ControlHostingSupported() { return false; }

std::unique_ptr<HostedControl> HostedControl::Create(WindowHandle, const std::string&,
                                                     HResult& result) {
  result = kENotImpl;
  return nullptr;
}

}  // namespace platform
