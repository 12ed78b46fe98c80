// URLDownloadToFileA with a COM object in front of the portable callback.
// Besides IBindStatusCallback, IHttpSecurity and IAuthenticate it answers
// IHttpNegotiate, through which the service hands over the reply's status
// and headers. The service may return S_OK for an error page, and for a
// body that broke off short of its announced length; both are turned into
// failures here and the file removed.
#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/UrlMoniker.h"
#include "platform/WindowSystem.h"

namespace platform {
namespace {

std::string Narrow(LPCWSTR text) {
  if (!text) return "";
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], size, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(size - 1));
  return narrow;
}

// A copy of text in memory the caller frees with CoTaskMemFree.
LPWSTR TaskMemoryCopy(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return nullptr;
  auto* wide = static_cast<LPWSTR>(CoTaskMemAlloc(static_cast<SIZE_T>(size) * sizeof(WCHAR)));
  if (wide) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, size);
  return wide;
}

class BindingAdapter : public Binding {
 public:
  explicit BindingAdapter(IBinding* binding) : binding_(binding) { binding_->AddRef(); }
  ~BindingAdapter() override { binding_->Release(); }
  HResult Abort() override { return binding_->Abort(); }
  IBinding* Get() const { return binding_; }

 private:
  IBinding* binding_;
};

class CallbackAdapter final : public IBindStatusCallback,
                              public IHttpSecurity,
                              public IHttpNegotiate,
                              public IAuthenticate {
 public:
  explicit CallbackAdapter(BindStatusCallback& callback) : callback_(callback) {}

  // The reply's status, 0 while none came.
  DWORD Status() const { return status_; }
  // The length the reply announced, -1 when it announced none.
  long long AnnouncedLength() const { return announcedLength_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(iid, IID_IHttpSecurity) || IsEqualIID(iid, IID_IWindowForBindingUI)) {
      *object = static_cast<IHttpSecurity*>(this);
    } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
    } else if (IsEqualIID(iid, IID_IAuthenticate) && callback_.OffersAuthentication()) {
      *object = static_cast<IAuthenticate*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IBindStatusCallback
  STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override {
    binding_ = binding ? std::make_shared<BindingAdapter>(binding) : nullptr;
    return callback_.OnStartBinding(binding_);
  }
  STDMETHODIMP GetPriority(LONG* priority) override {
    int32_t value = 0;
    const HResult result = callback_.GetPriority(priority ? &value : nullptr);
    if (priority) *priority = value;
    return result;
  }
  STDMETHODIMP OnLowResource(DWORD) override { return callback_.OnLowResource(); }
  STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) override {
    return callback_.OnProgress(progress, progressMax, statusCode, Narrow(statusText));
  }
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR error) override {
    if (SUCCEEDED(result) && !status_) ReadStatusFromBinding();
    if (SUCCEEDED(result) && status_) result = HResultForHttpStatus(status_);
    binding_.reset();
    return callback_.OnStopBinding(result, Narrow(error));
  }
  STDMETHODIMP GetBindInfo(DWORD* bindFlags, BINDINFO* info) override {
    uint32_t flags = 0;
    BindInfo portable;
    if (info) portable.size = info->cbSize;
    const HResult result = callback_.GetBindInfo(bindFlags ? &flags : nullptr, info ? &portable : nullptr);
    if (bindFlags) *bindFlags = flags;
    if (info && portable.clearAllButSize && info->cbSize >= sizeof(DWORD)) {
      const DWORD size = info->cbSize;
      ZeroMemory(reinterpret_cast<BYTE*>(info) + sizeof(DWORD),
                 (size < sizeof(BINDINFO) ? size : sizeof(BINDINFO)) - sizeof(DWORD));
      info->dwBindVerb = portable.bindVerb;
    }
    return result;
  }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return callback_.OnDataAvailable(); }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return callback_.OnObjectAvailable(); }

  // IWindowForBindingUI / IHttpSecurity
  STDMETHODIMP GetWindow(REFGUID reason, HWND* window) override {
    const WindowReason why = IsEqualGUID(reason, IID_IHttpSecurity)   ? WindowReason::HttpSecurity
                             : IsEqualGUID(reason, IID_IAuthenticate) ? WindowReason::Authenticate
                                                                      : WindowReason::Other;
    WindowHandle handle = 0;
    const HResult result = callback_.GetWindow(why, window ? &handle : nullptr);
    if (window) *window = reinterpret_cast<HWND>(handle);
    return result;
  }
  STDMETHODIMP OnSecurityProblem(DWORD problem) override { return callback_.OnSecurityProblem(problem); }

  // IHttpNegotiate
  STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) override {
    if (additionalHeaders) *additionalHeaders = nullptr;
    return S_OK;
  }
  STDMETHODIMP OnResponse(DWORD status, LPCWSTR headers, LPCWSTR, LPWSTR* additionalHeaders) override {
    if (additionalHeaders) *additionalHeaders = nullptr;
    status_ = status;
    announcedLength_ = ContentLengthOf(Narrow(headers));
    return S_OK;
  }

  // IAuthenticate
  STDMETHODIMP Authenticate(HWND* window, LPWSTR* user, LPWSTR* password) override {
    if (window) *window = nullptr;
    if (user) *user = nullptr;
    if (password) *password = nullptr;
    AuthenticationAnswer answer;
    const HResult result = callback_.Authenticate(answer);
    if (window) *window = reinterpret_cast<HWND>(answer.window);
    if (user && answer.hasUser) *user = TaskMemoryCopy(answer.user);
    if (password && answer.hasPassword) *password = TaskMemoryCopy(answer.password);
    return result;
  }

 private:
  // When the service did not tell the status, the binding may.
  void ReadStatusFromBinding() {
    if (!binding_) return;
    IWinInetHttpInfo* info = nullptr;
    if (FAILED(binding_->Get()->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(&info))) || !info)
      return;
    DWORD status = 0;
    DWORD size = sizeof(status);
    DWORD flags = 0;
    if (info->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &flags, nullptr) == S_OK)
      status_ = status;
    info->Release();
  }

  virtual ~CallbackAdapter() = default;

  // The Content-Length header of raw headers (lines ending in CR LF).
  static long long ContentLengthOf(const std::string& headers) {
    static const char kName[] = "content-length:";
    size_t start = 0;
    while (start < headers.size()) {
      size_t end = headers.find('\n', start);
      if (end == std::string::npos) end = headers.size();
      const std::string line = headers.substr(start, end - start);
      start = end + 1;
      if (line.size() <= sizeof(kName) - 1 || _strnicmp(line.c_str(), kName, sizeof(kName) - 1) != 0) continue;
      const char* digits = line.c_str() + sizeof(kName) - 1;
      while (*digits == ' ' || *digits == '\t') ++digits;
      char* stop = nullptr;
      const long long length = std::strtoll(digits, &stop, 10);
      return stop != digits && length >= 0 ? length : -1;
    }
    return -1;
  }

  BindStatusCallback& callback_;
  long long announcedLength_ = -1;
  std::atomic<ULONG> references_{1};
  std::shared_ptr<BindingAdapter> binding_;
  DWORD status_ = 0;
};

}  // namespace

HResult DownloadUrlToFile(const std::string& url, const std::string& localPath, BindStatusCallback& callback) {
  CallbackAdapter* adapter = new CallbackAdapter(callback);
  HResult result = URLDownloadToFileA(nullptr, url.c_str(), localPath.c_str(), 0, adapter);
  if (SUCCEEDED(result) && adapter->Status()) result = HResultForHttpStatus(adapter->Status());
  WIN32_FILE_ATTRIBUTE_DATA file;
  if (SUCCEEDED(result) && adapter->AnnouncedLength() >= 0 &&
      (!GetFileAttributesExA(localPath.c_str(), GetFileExInfoStandard, &file) ||
       ((static_cast<long long>(file.nFileSizeHigh) << 32) | file.nFileSizeLow) != adapter->AnnouncedLength()))
    result = INET_E_DOWNLOAD_FAILURE;
  adapter->Release();
  // Nothing of a failed transfer stays behind: no partial file, no error page.
  if (result != S_OK) DeleteFileA(localPath.c_str());
  return result;
}

WindowHandle TopWindow() { return reinterpret_cast<WindowHandle>(GetTopWindow(nullptr)); }

void ShowMessageBox(const std::string& text, const std::string& caption) {
  ShowMessageBoxOn(0, text, caption, kMbOk);
}

}  // namespace platform
