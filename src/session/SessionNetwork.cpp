#include "session/SessionNetwork.h"

namespace {

// VARIANT_TRUE, as the page sets the property.
constexpr VariantBool kVariantTrue = -1;

}  // namespace

SessionNetwork::SessionNetwork(SessionState& state, SessionTransfer& transfer)
    : state_(state), transfer_(transfer), configuration_(*this), handshakes_(*this) {}

void SessionNetwork::SetUseZelServerVersion(bool use) {
  state_.useZelServerVersion = use ? kVariantTrue : 0;
}

void SessionNetwork::SetZelServerVersion(const std::string& version) {
  state_.zelServerVersion = version;
}
