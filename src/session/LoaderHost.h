// What the session needs from the container it runs in. The COM control
// answers from its client site and in-place object; a host without a
// container (the command-line host, tests) uses NoContainer.
#pragma once

#include "platform/WindowSystem.h"

class LoaderHost {
 public:
  virtual ~LoaderHost() = default;
  // The container site's IUnknown, or null.
  virtual void* ClientSite() = 0;
  // The control's IOleInPlaceActiveObject, or null.
  virtual void* InPlaceActiveObject() = 0;
  // IOleInPlaceObject::SetObjectRects of the control itself, with the rectangle
  // as both the position and the clip rectangle.
  virtual void SetObjectRects(const platform::WindowRect& rect) = 0;
  // Connects to the hosting page's window events, so the control leaves its
  // site when the page unloads. False when the container offers no page.
  virtual bool SubscribeToPageUnload() { return false; }
};

class NoContainer : public LoaderHost {
 public:
  void* ClientSite() override { return nullptr; }
  void* InPlaceActiveObject() override { return nullptr; }
  void SetObjectRects(const platform::WindowRect&) override {}
};
