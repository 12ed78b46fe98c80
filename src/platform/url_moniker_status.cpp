// The result both ports give a URL-moniker transfer whose HTTP exchange
// ended with a reply: only 200 is the file.
#include "platform/UrlMoniker.h"

namespace platform {

HResult HResultForHttpStatus(uint32_t status) {
  switch (status) {
    case 200: return kSOk;
    case 400: return kInetEInvalidUrl;
    case 401:
    case 403: return kEAccessDenied;
    case 404:
    case 410: return kInetEResourceNotFound;
    case 407: return kInetEAuthenticationRequired;
    default: return kInetEDownloadFailure;
  }
}

}  // namespace platform
