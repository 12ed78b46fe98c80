// IConnectionPointContainer over the connection points an object holds as
// members. T lists them:
//
//   std::vector<NVarnik::ConnectionPoint*> ConnectionPoints();
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "com/ConnectionPoint.h"

namespace NVarnik {

HRESULT EnumerateConnectionPoints(const std::vector<ConnectionPoint*>& points,
                                  IEnumConnectionPoints** result);
HRESULT FindConnectionPointIn(const std::vector<ConnectionPoint*>& points, REFIID iid,
                              IConnectionPoint** result);

template <class T>
class ConnectionPointContainer : public IConnectionPointContainer {
 public:
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** result) override {
    try {
      return EnumerateConnectionPoints(static_cast<T*>(this)->ConnectionPoints(), result);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** result) override {
    try {
      return FindConnectionPointIn(static_cast<T*>(this)->ConnectionPoints(), iid, result);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
};

}  // namespace NVarnik
