#include "test_page.h"

#include <stdlib.h>
#include <wchar.h>

// Every object is a function table, a count and the facts; QueryInterface
// answers IUnknown and the listed interfaces with the object itself.
struct PageObject {
  const void* table;
  LONG references;
  struct TestPageFacts* facts;
  const IID* answers[3];
};

static HRESULT Query(struct PageObject* object, REFIID iid, void** result) {
  *result = NULL;
  if (IsEqualIID(iid, &IID_IUnknown)) {
    *result = object;
  } else {
    for (int i = 0; i < 3 && object->answers[i]; ++i) {
      if (IsEqualIID(iid, object->answers[i])) *result = object;
    }
  }
  if (!*result) return E_NOINTERFACE;
  InterlockedIncrement(&object->references);
  return S_OK;
}

static ULONG Increment(struct PageObject* object) {
  return (ULONG)InterlockedIncrement(&object->references);
}

static ULONG Decrement(struct PageObject* object) {
  const LONG left = InterlockedDecrement(&object->references);
  if (left == 0) free(object);
  return (ULONG)left;
}

static void* NewObject(const void* table, struct TestPageFacts* facts, const IID* a,
                       const IID* b, const IID* c) {
  struct PageObject* object = calloc(1, sizeof(*object));
  if (!object) return NULL;
  object->table = table;
  object->references = 1;
  object->facts = facts;
  object->answers[0] = a;
  object->answers[1] = b;
  object->answers[2] = c;
  return object;
}

static HRESULT Text(const wchar_t* text, BSTR* result) {
  if (!result) return E_POINTER;
  *result = NULL;
  if (!text) return E_FAIL;
  *result = SysAllocString(text);
  return *result ? S_OK : E_OUTOFMEMORY;
}

// The browser.

static HRESULT STDMETHODCALLTYPE BrowserQuery(IWebBrowser2* self, REFIID iid, void** result) {
  return Query((struct PageObject*)self, iid, result);
}
static ULONG STDMETHODCALLTYPE BrowserAddRef(IWebBrowser2* self) {
  return Increment((struct PageObject*)self);
}
static ULONG STDMETHODCALLTYPE BrowserRelease(IWebBrowser2* self) {
  return Decrement((struct PageObject*)self);
}
static HRESULT STDMETHODCALLTYPE BrowserLocation(IWebBrowser2* self, BSTR* url) {
  return Text(((struct PageObject*)self)->facts->browserUrl, url);
}
static HRESULT STDMETHODCALLTYPE BrowserMenuBar(IWebBrowser2* self, VARIANT_BOOL shown) {
  ((struct PageObject*)self)->facts->menuBarShown = shown != VARIANT_FALSE;
  return S_OK;
}
static HRESULT STDMETHODCALLTYPE BrowserToolBar(IWebBrowser2* self, int shown) {
  ((struct PageObject*)self)->facts->toolBarShown = shown != 0;
  return S_OK;
}

static const IWebBrowser2Vtbl kBrowserTable = {
    .QueryInterface = BrowserQuery,
    .AddRef = BrowserAddRef,
    .Release = BrowserRelease,
    .get_LocationURL = BrowserLocation,
    .put_MenuBar = BrowserMenuBar,
    .put_ToolBar = BrowserToolBar,
};

IWebBrowser2* CreateTestBrowser(struct TestPageFacts* facts) {
  return NewObject(&kBrowserTable, facts, &IID_IWebBrowser2, &IID_IWebBrowserApp,
                   &IID_IWebBrowser);
}

// The security manager.

static HRESULT STDMETHODCALLTYPE ManagerQuery(IInternetSecurityManager* self, REFIID iid,
                                              void** result) {
  return Query((struct PageObject*)self, iid, result);
}
static ULONG STDMETHODCALLTYPE ManagerAddRef(IInternetSecurityManager* self) {
  return Increment((struct PageObject*)self);
}
static ULONG STDMETHODCALLTYPE ManagerRelease(IInternetSecurityManager* self) {
  return Decrement((struct PageObject*)self);
}
static HRESULT STDMETHODCALLTYPE ManagerMapUrlToZone(IInternetSecurityManager* self, LPCWSTR url,
                                                     DWORD* zone, DWORD flags) {
  struct TestPageFacts* facts = ((struct PageObject*)self)->facts;
  (void)flags;
  if (!url || !zone) return E_INVALIDARG;
  wcsncpy(facts->zoneAskedFor, url, 511);
  if (facts->zone < 0) return E_FAIL;
  *zone = (DWORD)facts->zone;
  return S_OK;
}

static const IInternetSecurityManagerVtbl kManagerTable = {
    .QueryInterface = ManagerQuery,
    .AddRef = ManagerAddRef,
    .Release = ManagerRelease,
    .MapUrlToZone = ManagerMapUrlToZone,
};

IInternetSecurityManager* CreateTestSecurityManager(struct TestPageFacts* facts) {
  return NewObject(&kManagerTable, facts, &IID_IInternetSecurityManager, NULL, NULL);
}

// The document's window: its window events are the test's connection
// point container.

static HRESULT STDMETHODCALLTYPE WindowQuery(IHTMLWindow2* self, REFIID iid, void** result) {
  struct TestPageFacts* facts = ((struct PageObject*)self)->facts;
  if (IsEqualIID(iid, &IID_IConnectionPointContainer)) {
    *result = NULL;
    if (!facts->windowEvents) return E_NOINTERFACE;
    return facts->windowEvents->lpVtbl->QueryInterface(facts->windowEvents, iid, result);
  }
  return Query((struct PageObject*)self, iid, result);
}
static ULONG STDMETHODCALLTYPE WindowAddRef(IHTMLWindow2* self) {
  return Increment((struct PageObject*)self);
}
static ULONG STDMETHODCALLTYPE WindowRelease(IHTMLWindow2* self) {
  return Decrement((struct PageObject*)self);
}

static const IHTMLWindow2Vtbl kWindowTable = {
    .QueryInterface = WindowQuery,
    .AddRef = WindowAddRef,
    .Release = WindowRelease,
};

// The document.

static HRESULT STDMETHODCALLTYPE DocumentQuery(IHTMLDocument2* self, REFIID iid, void** result) {
  return Query((struct PageObject*)self, iid, result);
}
static ULONG STDMETHODCALLTYPE DocumentAddRef(IHTMLDocument2* self) {
  return Increment((struct PageObject*)self);
}
static ULONG STDMETHODCALLTYPE DocumentRelease(IHTMLDocument2* self) {
  return Decrement((struct PageObject*)self);
}
static HRESULT STDMETHODCALLTYPE DocumentUrl(IHTMLDocument2* self, BSTR* url) {
  return Text(((struct PageObject*)self)->facts->documentUrl, url);
}
static HRESULT STDMETHODCALLTYPE DocumentWindow(IHTMLDocument2* self, IHTMLWindow2** window) {
  if (!window) return E_POINTER;
  *window = NewObject(&kWindowTable, ((struct PageObject*)self)->facts, &IID_IHTMLWindow2, NULL,
                      NULL);
  return *window ? S_OK : E_OUTOFMEMORY;
}

static const IHTMLDocument2Vtbl kDocumentTable = {
    .QueryInterface = DocumentQuery,
    .AddRef = DocumentAddRef,
    .Release = DocumentRelease,
    .get_URL = DocumentUrl,
    .get_parentWindow = DocumentWindow,
};

IHTMLDocument2* CreateTestDocument(struct TestPageFacts* facts) {
  return NewObject(&kDocumentTable, facts, &IID_IHTMLDocument2, &IID_IHTMLDocument, NULL);
}
