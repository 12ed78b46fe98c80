// The CryptoAPI context behind a CertificateContext of the win32 port.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "platform/CertificateStore.h"

namespace platform::win32 {

// Null for an empty context.
PCCERT_CONTEXT ContextOf(const CertificateContext& certificate);

}  // namespace platform::win32
