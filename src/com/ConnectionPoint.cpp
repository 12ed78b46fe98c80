#include "com/ConnectionPoint.h"

#include "com/Enumerator.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"

namespace NVarnik {

EventArguments::EventArguments(BstrAllocator allocate) : allocate_(allocate) {}

EventArguments::~EventArguments() {
  for (VARIANTARG& argument : reversed_) VariantClear(&argument);
}

void EventArguments::AddInt(int value) {
  VARIANTARG argument;
  VariantInit(&argument);
  argument.vt = VT_I4;
  argument.lVal = value;
  reversed_.insert(reversed_.begin(), argument);
}

bool EventArguments::AddString(const std::string& text) {
  BSTR allocated = allocate_(text);
  if (!allocated) return false;
  VARIANTARG argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = allocated;
  try {
    reversed_.insert(reversed_.begin(), argument);
  } catch (...) {
    SysFreeString(allocated);
    throw;
  }
  return true;
}

DISPPARAMS* EventArguments::Params() {
  params_.rgvarg = reversed_.empty() ? nullptr : reversed_.data();
  params_.rgdispidNamedArgs = nullptr;
  params_.cArgs = static_cast<UINT>(reversed_.size());
  params_.cNamedArgs = 0;
  return &params_;
}

ConnectionPoint::ConnectionPoint(IUnknown* owner, const IID& sinkIid)
    : owner_(owner), sinkIid_(sinkIid) {}

ConnectionPoint::~ConnectionPoint() {
  for (Slot& slot : slots_) {
    IDispatch* sink = slot.sink;
    slot.sink = nullptr;
    if (sink) sink->Release();
  }
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) {
    return E_NOINTERFACE;
  }
  *result = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return owner_->AddRef(); }

STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return owner_->Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = sinkIid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  return owner_->QueryInterface(IID_IConnectionPointContainer,
                                reinterpret_cast<void**>(container));
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(sinkIid_, reinterpret_cast<void**>(&dispatch))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    const DWORD given = nextCookie_++;
    for (Slot& slot : slots_) {
      if (!slot.sink) {
        slot = Slot{given, dispatch};
        *cookie = given;
        return S_OK;
      }
    }
    slots_.push_back(Slot{given, dispatch});
    *cookie = given;
    return S_OK;
  } catch (...) {
    dispatch->Release();
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  if (cookie == 0) return CONNECT_E_NOCONNECTION;
  for (Slot& slot : slots_) {
    if (slot.sink && slot.cookie == cookie) {
      // The slot is emptied first: releasing the sink may call back in.
      IDispatch* sink = slot.sink;
      slot.sink = nullptr;
      sink->Release();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (!connections) return E_POINTER;
  *connections = nullptr;
  try {
    std::vector<CONNECTDATA> items;
    for (const Slot& slot : slots_) {
      if (slot.sink) items.push_back(CONNECTDATA{slot.sink, slot.cookie});
    }
    return ConnectionEnumerator::Create(items, connections);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT ConnectionPoint::Fire(DISPID id, EventArguments& arguments, HRESULT* lastResult) {
  HRESULT last = S_OK;
  DISPPARAMS* params = arguments.Params();
  // A sink may drop the container's last reference from inside its call.
  IUnknown* owner = owner_;
  owner->AddRef();
  // Sinks connected during the calls are not called this time; a slot
  // emptied during the calls is skipped.
  const size_t count = slots_.size();
  for (size_t i = 0; i < count && i < slots_.size(); ++i) {
    IDispatch* sink = slots_[i].sink;
    if (!sink) continue;
    sink->AddRef();
    try {
      last = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr,
                          nullptr, nullptr);
    } catch (...) {
      last = E_UNEXPECTED;
      SimpleLogger::GetInstance()->Warning(
          "NVarnik::ConnectionPoint::Fire",
          Format("An event sink raised an exception for dispid %ld", static_cast<long>(id)));
    }
    sink->Release();
  }
  if (lastResult) *lastResult = last;
  owner->Release();  // may destroy this point: nothing of it is touched afterwards
  return S_OK;
}

}  // namespace NVarnik
