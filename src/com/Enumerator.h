// The IEnumXxx objects of the module (connections, connection points): a
// snapshot of items taken when the enumerator is made, each holding its own
// reference, so later changes to the source do not disturb a walk.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

#include "com/ComObject.h"

namespace NVarnik {

// How an item's reference is taken and dropped.
struct ConnectDataTraits {
  static void AddRef(CONNECTDATA& item) {
    if (item.pUnk) item.pUnk->AddRef();
  }
  static void Release(CONNECTDATA& item) {
    if (item.pUnk) item.pUnk->Release();
  }
};

template <class Interface>
struct InterfaceTraits {
  static void AddRef(Interface*& item) {
    if (item) item->AddRef();
  }
  static void Release(Interface*& item) {
    if (item) item->Release();
  }
};

template <class EnumInterface, const IID& enumIid, class Item, class Traits>
class Enumerator : public EnumInterface {
 public:
  static const InterfaceEntry* InterfaceMap() {
    static const InterfaceEntry map[] = {Entry<Enumerator, EnumInterface>(enumIid), {}};
    return map;
  }

  // items are borrowed: the enumerator takes references of its own.
  static HRESULT Create(const std::vector<Item>& items, EnumInterface** result) {
    return ComObject<Enumerator>::Create(enumIid, reinterpret_cast<void**>(result), items, 0);
  }

  Enumerator(const std::vector<Item>& items, size_t position)
      : items_(items), position_(position) {
    for (Item& item : items_) Traits::AddRef(item);
  }
  virtual ~Enumerator() {
    for (Item& item : items_) Traits::Release(item);
  }
  Enumerator(const Enumerator&) = delete;
  Enumerator& operator=(const Enumerator&) = delete;

  STDMETHODIMP Next(ULONG count, Item* items, ULONG* fetched) override {
    if (!items || (count != 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    while (given < count && position_ < items_.size()) {
      items[given] = items_[position_++];
      Traits::AddRef(items[given]);
      ++given;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }

  STDMETHODIMP Skip(ULONG count) override {
    const size_t left = items_.size() - position_;
    if (count > left) {
      position_ = items_.size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }

  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }

  STDMETHODIMP Clone(EnumInterface** result) override {
    return ComObject<Enumerator>::Create(enumIid, reinterpret_cast<void**>(result), items_,
                                         position_);
  }

 private:
  std::vector<Item> items_;
  size_t position_;
};

using ConnectionEnumerator =
    Enumerator<IEnumConnections, IID_IEnumConnections, CONNECTDATA, ConnectDataTraits>;
using ConnectionPointEnumerator =
    Enumerator<IEnumConnectionPoints, IID_IEnumConnectionPoints, IConnectionPoint*,
               InterfaceTraits<IConnectionPoint>>;

}  // namespace NVarnik
