#include "com/ComText.h"

#include "platform/EmbeddedSignature.h"

namespace NVarnik {

namespace {

// WideCharToMultiByte with the code page of the platform's converter;
// unmappable tells whether a character had to be replaced.
std::string ToAnsi(const wchar_t* text, size_t length, BOOL* unmappable) {
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), nullptr,
                                       0, nullptr, unmappable);
  if (size <= 0) return {};
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), &narrow[0], size, nullptr,
                      nullptr);
  return narrow;
}

}  // namespace

std::string AnsiFromBstr(BSTR text) { return ToAnsi(text, SysStringLen(text), nullptr); }

std::string AnsiUpToZero(BSTR text) {
  const UINT length = SysStringLen(text);
  return ToAnsi(text, text ? wcsnlen(text, length) : 0, nullptr);
}

bool AnsiFromWideExactly(const std::wstring& text, std::string& narrow) {
  narrow.clear();
  if (text.empty()) return true;
  BOOL unmappable = FALSE;
  narrow = ToAnsi(text.data(), text.size(), &unmappable);
  if (narrow.empty() && GetLastError() == ERROR_INVALID_PARAMETER) {
    // A UTF-8 code page takes no default character: it maps everything.
    narrow = ToAnsi(text.data(), text.size(), nullptr);
    unmappable = FALSE;
  }
  return !narrow.empty() && !unmappable;
}

BSTR BstrFromAnsi(const std::string& text) {
  // The platform's one narrow-to-wide converter, with the same code page.
  const platform::WideString wide = platform::ToWideString(text);
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                           static_cast<UINT>(wide.size()));
}

HRESULT BstrForGetter(const std::string& text, BSTR* result) {
  *result = nullptr;
  if (text.empty()) return S_OK;
  *result = BstrFromAnsi(text);
  return *result ? S_OK : E_OUTOFMEMORY;
}

}  // namespace NVarnik
