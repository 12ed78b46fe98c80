// The name Windows shows for a certificate (CERT_NAME_SIMPLE_DISPLAY_TYPE).
#pragma once

#include <openssl/x509.h>

#include <string>

namespace platform::posix::authenticode {

// The first common name, organizational unit, organization or e-mail
// attribute of the subject, in that order of preference (of the subject
// alternative name's directory names when the subject is empty); else the
// first e-mail address among the alternative names; else the subject's
// first attribute; else empty. UTF-8.
std::string SimpleDisplayName(X509* certificate);

}  // namespace platform::posix::authenticode
