// One counted reference to a COM interface, released on every path.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace NVarnik {

template <class I>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes a reference of its own on pointer.
  explicit ComPtr(I* pointer) : pointer_(pointer) {
    if (pointer_) pointer_->AddRef();
  }
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  I* operator->() const { return pointer_; }
  I* Get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For the out parameter of a call that hands over a reference.
  I** Address() {
    Reset();
    return &pointer_;
  }
  void** Out() { return reinterpret_cast<void**>(Address()); }

  // Holds pointer (a reference of its own) instead of what it held.
  void Set(I* pointer) {
    if (pointer) pointer->AddRef();
    I* previous = pointer_;
    pointer_ = pointer;
    if (previous) previous->Release();
  }

  // The reference goes to the caller.
  I* Detach() {
    I* pointer = pointer_;
    pointer_ = nullptr;
    return pointer;
  }

  // Released after the pointer is cleared: the release may call back.
  void Reset() {
    I* pointer = Detach();
    if (pointer) pointer->Release();
  }

 private:
  I* pointer_ = nullptr;
};

}  // namespace NVarnik
