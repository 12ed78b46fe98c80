// What the session needs from the container it runs in. The COM control
// answers from its client site and in-place object; a host without a
// container (the command-line host, tests) uses NoContainer.
#pragma once

#include <string>

#include "platform/Win32Codes.h"
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

  // The deployment helper object of an isolated deployment: the folder's
  // manifest becomes the thread's activation context, so the hosted client
  // loads its components from there. False when this host has no helper to
  // make; otherwise result is CreateActivationContext's answer.
  virtual bool CreateActivationContext(const std::string& /*folder*/,
                                       const std::string& /*manifest*/,
                                       platform::HResult& /*result*/) {
    return false;
  }
  // DestroyActivationContext of that helper; false when none was made.
  virtual bool DestroyActivationContext(platform::HResult& /*result*/) { return false; }
};

class NoContainer : public LoaderHost {
 public:
  void* ClientSite() override { return nullptr; }
  void* InPlaceActiveObject() override { return nullptr; }
  void SetObjectRects(const platform::WindowRect&) override {}
};
