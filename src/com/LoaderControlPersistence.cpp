// IPersistPropertyBag and IPersistStreamInit over the persisted-property
// table: the container's extent first, then the PARAMs. Loading hands each
// value to its property's setter the way the command-line host does
// (ApplyPersistedProperty); saving reads each property through the
// dispatch interface. A value that does not fit its property, or a
// property that cannot be read (DeploymentLocation before start-up,
// HostByDorivizu), is left out with a warning; it never ends the load.
//
// The stream holds "VRNK", a format version and a count, then one record
// per table row: its VARTYPE and the value (VT_UI4 and VT_BOOL as they are,
// VT_BSTR as a byte count and UTF-16 text, VT_EMPTY for a value left out).
// A stream that ends early or holds a record of another type loads nothing.
#include <cstring>
#include <string>
#include <vector>

#include "com/CLoaderControl.h"
#include "com/ComText.h"
#include "com/Guarded.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "session/PersistedProperties.h"

namespace {

constexpr char kLoadLocation[] = "CLoader::Load";
constexpr DWORD kStreamMagic = 0x4B4E5256;  // "VRNK"
constexpr DWORD kStreamVersion = 1;
// Text is read in pieces, so a count that claims more than the stream
// holds fails at the stream's end instead of allocating what it claims.
constexpr ULONG kReadPiece = 64 * 1024;

std::wstring WideName(const char* name) {
  std::wstring wide;
  for (; *name; ++name) wide.push_back(static_cast<wchar_t>(*name));
  return wide;
}

// Owns a VARIANT and clears it on every path.
class Variant {
 public:
  Variant() { std::memset(&value_, 0, sizeof(value_)); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT& Get() { return value_; }
  VARIANT* Ptr() { return &value_; }

 private:
  VARIANT value_;
};

class StreamWriter {
 public:
  template <class T>
  void Put(const T& value) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value);
    data.insert(data.end(), bytes, bytes + sizeof(T));
  }
  void PutBytes(const void* bytes, size_t size) {
    data.insert(data.end(), static_cast<const BYTE*>(bytes), static_cast<const BYTE*>(bytes) + size);
  }
  std::vector<BYTE> data;
};

class StreamReader {
 public:
  explicit StreamReader(IStream* stream) : stream_(stream) {}

  bool GetBytes(void* into, ULONG size) {
    ULONG read = 0;
    return SUCCEEDED(stream_->Read(into, size, &read)) && read == size;
  }
  template <class T>
  bool Get(T& value) {
    return GetBytes(&value, sizeof(T));
  }
  bool GetText(ULONG byteCount, std::wstring& text) {
    if (byteCount % sizeof(wchar_t) != 0) return false;
    text.clear();
    std::vector<wchar_t> piece(kReadPiece / sizeof(wchar_t));
    for (ULONG left = byteCount; left > 0;) {
      const ULONG size = left < kReadPiece ? left : kReadPiece;
      if (!GetBytes(piece.data(), size)) return false;
      text.append(piece.data(), size / sizeof(wchar_t));
      left -= size;
    }
    return true;
  }

 private:
  IStream* stream_;
};

void WriteRecord(StreamWriter& writer, const VARIANT* value) {
  if (!value) {
    writer.Put(static_cast<VARTYPE>(VT_EMPTY));
    return;
  }
  writer.Put(value->vt);
  switch (value->vt) {
    case VT_UI4: writer.Put(static_cast<DWORD>(value->ulVal)); break;
    case VT_BOOL: writer.Put(value->boolVal); break;
    case VT_BSTR: {
      const ULONG bytes = SysStringByteLen(value->bstrVal);
      writer.Put(bytes);
      writer.PutBytes(value->bstrVal, bytes);
      break;
    }
    default: break;
  }
}

// One record into value (VT_EMPTY for a value left out); false when the
// stream ends early or holds a type no record has.
bool ReadRecord(StreamReader& reader, VARIANT& value) {
  VARTYPE type = VT_EMPTY;
  if (!reader.Get(type)) return false;
  switch (type) {
    case VT_EMPTY: return true;
    case VT_UI4: value.vt = VT_UI4; return reader.Get(value.ulVal);
    case VT_BOOL: value.vt = VT_BOOL; return reader.Get(value.boolVal);
    case VT_BSTR: {
      ULONG bytes = 0;
      std::wstring text;
      if (!reader.Get(bytes) || !reader.GetText(bytes, text)) return false;
      value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (!value.bstrVal) throw std::bad_alloc();
      value.vt = VT_BSTR;
      return true;
    }
    default: return false;
  }
}

}  // namespace

bool CLoaderControl::ReadPersisted(size_t index, VARIANT& value) {
  const PersistedProperty& property = PersistedProperties()[index];
  VariantInit(&value);
  if (property.dispid == 0) {
    value.vt = VT_UI4;
    value.ulVal = static_cast<ULONG>(std::strcmp(property.name, "_cx") == 0 ? extent_.cx
                                                                            : extent_.cy);
    return true;
  }
  Variant read;
  DISPPARAMS none{};
  if (FAILED(static_cast<ILoader4*>(this)->Invoke(property.dispid, IID_NULL, LOCALE_USER_DEFAULT,
                                                  DISPATCH_PROPERTYGET, &none, read.Ptr(),
                                                  nullptr, nullptr)))
    return false;
  return SUCCEEDED(VariantChangeType(&value, read.Ptr(), 0, property.variantType));
}

void CLoaderControl::ApplyPersisted(size_t index, VARIANT& value) {
  const PersistedProperty& property = PersistedProperties()[index];
  SimpleLogger& log = *SimpleLogger::GetInstance();
  if (property.dispid == 0) {
    Variant extent;
    if (FAILED(VariantChangeType(extent.Ptr(), &value, 0, VT_UI4))) {
      log.Warning(kLoadLocation, Format("%s is not a size; the extent stays", property.name));
      return;
    }
    (std::strcmp(property.name, "_cx") == 0 ? extent_.cx : extent_.cy) =
        static_cast<LONG>(extent.Get().ulVal);
    return;
  }
  Variant text;
  HRESULT result = VariantChangeType(text.Ptr(), &value, 0, VT_BSTR);
  if (SUCCEEDED(result)) {
    result = ApplyPersistedProperty(session_->Properties(), property,
                                    NVarnik::AnsiUpToZero(text.Get().bstrVal));
  }
  if (FAILED(result)) {
    log.Warning(kLoadLocation, Format("%s not applied (0x%08lX); it keeps its value",
                                      property.name, static_cast<unsigned long>(result)));
  }
}

STDMETHODIMP CLoaderControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

// The defaults are the session's construction defaults.
STDMETHODIMP CLoaderControl::InitNew() { return S_OK; }

STDMETHODIMP CLoaderControl::Load(IPropertyBag* bag, IErrorLog* errors) {
  if (!bag) return E_POINTER;
  return NVarnik::Guarded(kLoadLocation, [&] {
    const std::vector<PersistedProperty>& table = PersistedProperties();
    for (size_t index = 0; index < table.size(); ++index) {
      Variant value;
      value.Get().vt = table[index].variantType;  // the type the bag is asked for
      // A name the bag does not hold keeps its default.
      if (SUCCEEDED(bag->Read(WideName(table[index].name).c_str(), value.Ptr(), errors)))
        ApplyPersisted(index, value.Get());
    }
    return S_OK;
  });
}

STDMETHODIMP CLoaderControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
  if (!bag) return E_POINTER;
  return NVarnik::Guarded("CLoader::Save", [&] {
    const std::vector<PersistedProperty>& table = PersistedProperties();
    for (size_t index = 0; index < table.size(); ++index) {
      Variant value;
      if (!ReadPersisted(index, value.Get())) continue;
      const HRESULT written = bag->Write(WideName(table[index].name).c_str(), value.Ptr());
      if (FAILED(written)) return written;
    }
    if (clearDirty) dirty_ = false;
    return S_OK;
  });
}

STDMETHODIMP CLoaderControl::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  return NVarnik::Guarded(kLoadLocation, [&] {
    StreamReader reader(stream);
    DWORD magic = 0, version = 0, count = 0;
    if (!reader.Get(magic) || !reader.Get(version) || !reader.Get(count) ||
        magic != kStreamMagic || version != kStreamVersion)
      return E_FAIL;
    // Everything is read before anything is applied.
    const size_t rows = PersistedProperties().size();
    std::vector<Variant> values(rows);
    for (DWORD record = 0; record < count; ++record) {
      Variant ignored;
      if (!ReadRecord(reader, record < rows ? values[record].Get() : ignored.Get()))
        return E_FAIL;
    }
    for (size_t index = 0; index < rows; ++index) {
      if (values[index].Get().vt != VT_EMPTY) ApplyPersisted(index, values[index].Get());
    }
    return S_OK;
  });
}

std::vector<BYTE> CLoaderControl::PersistedStream() {
  const size_t rows = PersistedProperties().size();
  StreamWriter writer;
  writer.Put(kStreamMagic);
  writer.Put(kStreamVersion);
  writer.Put(static_cast<DWORD>(rows));
  for (size_t index = 0; index < rows; ++index) {
    Variant value;
    WriteRecord(writer, ReadPersisted(index, value.Get()) ? value.Ptr() : nullptr);
  }
  return writer.data;
}

STDMETHODIMP CLoaderControl::Save(LPSTREAM stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  return NVarnik::Guarded("CLoader::Save", [&] {
    const std::vector<BYTE> data = PersistedStream();
    ULONG written = 0;
    const HRESULT result = stream->Write(data.data(), static_cast<ULONG>(data.size()), &written);
    if (FAILED(result)) return result;
    if (written != data.size()) return STG_E_MEDIUMFULL;
    if (clearDirty) dirty_ = false;
    return S_OK;
  });
}

STDMETHODIMP CLoaderControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  return NVarnik::Guarded("CLoader::GetSizeMax", [&] {
    size->QuadPart = PersistedStream().size();
    return S_OK;
  });
}
