// The page around a control, as a browser would show it to the control's
// site: the browser (IWebBrowser2), its security manager
// (IInternetSecurityManager), the HTML document (IHTMLDocument2) and its
// window, whose window events are a connection point the test provides.
// Written in C against the interfaces' function tables, so only the
// members a control uses need a body; the others are left empty.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <urlmon.h>

#ifdef __cplusplus
extern "C" {
#endif

// What the page answers, and what it saw; the test owns it and keeps it
// alive while the page's objects live.
struct TestPageFacts {
  const wchar_t* browserUrl;   // get_LocationURL; null: the call fails
  const wchar_t* documentUrl;  // get_URL; null: the call fails
  long zone;                   // MapUrlToZone's answer; -1: the call fails
  IUnknown* windowEvents;      // the window's IConnectionPointContainer; null: none
  int menuBarShown;            // put_MenuBar / put_ToolBar: 1 until switched off
  int toolBarShown;
  wchar_t zoneAskedFor[512];   // the last URL MapUrlToZone was asked about
};

// Each returns a new object holding one reference, or null.
IWebBrowser2* CreateTestBrowser(struct TestPageFacts* facts);
IInternetSecurityManager* CreateTestSecurityManager(struct TestPageFacts* facts);
IHTMLDocument2* CreateTestDocument(struct TestPageFacts* facts);

#ifdef __cplusplus
}
#endif
