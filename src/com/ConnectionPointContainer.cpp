#include "com/ConnectionPointContainer.h"

#include "com/Enumerator.h"

namespace NVarnik {

HRESULT EnumerateConnectionPoints(const std::vector<ConnectionPoint*>& points,
                                  IEnumConnectionPoints** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  std::vector<IConnectionPoint*> items(points.begin(), points.end());
  return ConnectionPointEnumerator::Create(items, result);
}

HRESULT FindConnectionPointIn(const std::vector<ConnectionPoint*>& points, REFIID iid,
                              IConnectionPoint** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  for (ConnectionPoint* point : points) {
    if (IsEqualIID(point->SinkIid(), iid)) {
      point->AddRef();
      *result = point;
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

}  // namespace NVarnik
