// Text across the COM boundary: BSTRs on the outside, narrow text in the
// system code page inside.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace NVarnik {

// The whole BSTR, embedded zeros included; a null BSTR is empty text.
std::string AnsiFromBstr(BSTR text);

// The text a C caller of the BSTR sees: up to its first zero character, in
// the system code page. Property values are taken this way, so what is
// stored is what every later Windows call made with it reads.
std::string AnsiUpToZero(BSTR text);

// False when a character has no equivalent in the system code page, so
// the narrow text would name something else (a path, for instance).
bool AnsiFromWideExactly(const std::wstring& text, std::string& narrow);

// A new BSTR (empty, not null, for empty text); null when it cannot be
// allocated.
BSTR BstrFromAnsi(const std::string& text);

// A new BSTR for a property getter: null for empty text, as a getter
// answers "nothing"; E_OUTOFMEMORY when it cannot be allocated.
HRESULT BstrForGetter(const std::string& text, BSTR* result);

// Owns a BSTR and frees it on every path.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(BSTR owned) : text_(owned) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR Get() const { return text_; }
  BSTR* Out() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }
  BSTR Detach() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }

 private:
  BSTR text_ = nullptr;
};

}  // namespace NVarnik
