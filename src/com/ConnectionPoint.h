// One outgoing interface of an object: the sinks connected to it and the
// firing of events to them.
//
// The point is a member of the object it belongs to and shares that
// object's lifetime: AddRef and Release go to the owner. Sinks are kept in
// slots; a disconnected sink leaves an empty slot that a later connection
// fills again, with a cookie of its own.
//
// The control runs on its container's thread, so nothing here is locked.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace NVarnik {

// The arguments of one event, built once for all sinks and freed
// afterwards. Added in the event's own order; handed to Invoke reversed, as
// dispatch calls expect them.
class EventArguments {
 public:
  // A new BSTR from narrow text, or null when it cannot be allocated.
  using BstrAllocator = BSTR (*)(const std::string& text);

  explicit EventArguments(BstrAllocator allocate);
  ~EventArguments();
  EventArguments(const EventArguments&) = delete;
  EventArguments& operator=(const EventArguments&) = delete;

  void AddInt(int value);
  // False when the text cannot be allocated; nothing is added then.
  bool AddString(const std::string& text);

  DISPPARAMS* Params();

 private:
  BstrAllocator allocate_;
  std::vector<VARIANTARG> reversed_;
  DISPPARAMS params_{};
};

class ConnectionPoint : public IConnectionPoint {
 public:
  // owner: the object the point belongs to (and whose container interface
  // GetConnectionPointContainer answers); sinkIid: the outgoing interface.
  ConnectionPoint(IUnknown* owner, const IID& sinkIid);
  virtual ~ConnectionPoint();
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  // A sink must answer the outgoing interface or, failing that, IDispatch.
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

  const IID& SinkIid() const { return sinkIid_; }

  // Calls IDispatch::Invoke(id, DISPATCH_METHOD) on every sink connected
  // when the call starts, in slot order, each held by a reference of its
  // own for the length of its call. A sink's failure, or a C++ exception
  // out of it, does not keep the others from being called. lastResult, when
  // given, receives the last sink's answer (S_OK with no sink). The result
  // is S_OK.
  HRESULT Fire(DISPID id, EventArguments& arguments, HRESULT* lastResult = nullptr);

 private:
  struct Slot {
    DWORD cookie;
    IDispatch* sink;  // null: disconnected
  };

  IUnknown* owner_;
  const IID& sinkIid_;
  std::vector<Slot> slots_;
  DWORD nextCookie_ = 1;
};

}  // namespace NVarnik
