// The control's subscription to the window events of the page that hosts
// it. On the page's onunload the control takes itself off its site, as a
// container does with SetClientSite(null), so its window and session end
// with the page even when the container never says so.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include "com/ComPtr.h"

namespace NVarnik {

class PageUnloadSink;

class PageUnloadSubscription {
 public:
  PageUnloadSubscription() = default;
  ~PageUnloadSubscription() { Unsubscribe(); }
  PageUnloadSubscription(const PageUnloadSubscription&) = delete;
  PageUnloadSubscription& operator=(const PageUnloadSubscription&) = delete;

  // The site's container's HTML document, its parent window, and a sink of
  // its window events that calls control->SetClientSite(null) on onunload.
  // False, with nothing held, when any step fails.
  bool Subscribe(IOleClientSite* site, IOleObject* control);
  // Disconnects the sink and lets the window go; safe to repeat.
  void Unsubscribe();
  bool IsSubscribed() const { return static_cast<bool>(point_); }

 private:
  ComPtr<IUnknown> window_;  // the page's window, kept while subscribed
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  PageUnloadSink* sink_ = nullptr;  // one reference, kept while connected
};

}  // namespace NVarnik
