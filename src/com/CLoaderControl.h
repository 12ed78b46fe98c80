// The Loader control ("ZEL-Platform-Loader16.00"): the session's CLoader
// made a COM object. Every property goes to the session's property logic,
// every event the session raises reaches the page's sinks through the
// ILoaderEvents point, and the session's dialog window is the control's
// in-place window, made on the container's thread when the container
// activates the control (its creation runs OnHostStart). The control holds
// no session logic of its own: it converts, forwards and keeps the
// container's state.
//
// The members are spread over files by interface group:
//   CLoaderControl.cpp            construction, interface map, session wiring,
//                                 IOleControl, IQuickActivate, IProvideClassInfo2
//   LoaderControlProperties.cpp   ILoader to ILoader4 (BSTR conversion)
//   LoaderControlPersistence.cpp  IPersistPropertyBag, IPersistStreamInit
//   LoaderControlOleObject.cpp    IOleObject, the client site, page unload
//   LoaderControlInPlace.cpp      in-place activation, the window, IViewObject2
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <cstdint>
#include <memory>

#include "com/CProxyILoaderEvents.h"
#include "com/CSiteLock.h"
#include "com/ComObject.h"
#include "com/ComPtr.h"
#include "com/ConnectionPointContainer.h"
#include "com/ErrorInfo.h"
#include "com/PageUnload.h"
#include "com/TypeInfoDispatch.h"
#include "com/varnik_h.h"
#include "session/CLoader.h"

class CLoaderControl : public NVarnik::TypeInfoDispatch<ILoader4, IID_ILoader4>,
                       public NVarnik::ConnectionPointContainer<CLoaderControl>,
                       public IOleObject,
                       public IOleInPlaceObject,
                       public IOleInPlaceActiveObject,
                       public IViewObject2,
                       public IOleControl,
                       public IQuickActivate,
                       public IProvideClassInfo2,
                       public IPersistStreamInit,
                       public IPersistPropertyBag,
                       public CSiteLock<CLoaderControl>,
                       public NVarnik::SupportErrorInfo<CLoaderControl>,
                       public LoaderHost {
 public:
  // The class's own function table goes on after ILoader4's last member
  // (slot 55) with this (slot 56), before any other virtual function the
  // class declares: the session's start of the client process.
  virtual HRESULT STDMETHODCALLTYPE RunApplicationAsProcess();

  static const NVarnik::InterfaceEntry* InterfaceMap();

  // OLEMISC_RECOMPOSEONRESIZE | CANTLINKINSIDE | INSIDEOUT |
  // ACTIVATEWHENVISIBLE | SETCLIENTSITEFIRST, as the class is registered.
  static constexpr DWORD kMiscStatus = 131473;

  CLoaderControl();
  virtual ~CLoaderControl();
  CLoaderControl(const CLoaderControl&) = delete;
  CLoaderControl& operator=(const CLoaderControl&) = delete;

  CLoader& Session() { return *session_; }
  std::vector<NVarnik::ConnectionPoint*> ConnectionPoints() { return {&events_}; }
  // The site the container gave (not AddRef'ed), or null.
  IUnknown* ContainerSite() const { return clientSite_.Get(); }

  // LoaderHost: what the session sees of the container.
  void* ClientSite() override;
  void* InPlaceActiveObject() override;
  void SetObjectRects(const platform::WindowRect& rect) override;
  bool SubscribeToPageUnload() override;
  bool CreateActivationContext(const std::string& folder, const std::string& manifest,
                               platform::HResult& result) override;
  bool DestroyActivationContext(platform::HResult& result) override;

  // ILoader
  STDMETHODIMP put_BrowserUI(VARIANT_BOOL value) override;
  STDMETHODIMP get_BrowserUI(VARIANT_BOOL* value) override;
  STDMETHODIMP put_ProgColor(BSTR value) override;
  STDMETHODIMP get_ProgColor(BSTR* value) override;
  STDMETHODIMP put_ProgBkColor(BSTR value) override;
  STDMETHODIMP get_ProgBkColor(BSTR* value) override;
  STDMETHODIMP get_SetupFile(BSTR* value) override;
  STDMETHODIMP put_SetupFile(BSTR value) override;
  STDMETHODIMP get_SetupExtFile(BSTR* value) override;
  STDMETHODIMP put_SetupExtFile(BSTR value) override;
  STDMETHODIMP get_DomainName(BSTR* value) override;
  STDMETHODIMP put_DomainName(BSTR value) override;
  STDMETHODIMP get_DomainPassword(BSTR* value) override;
  STDMETHODIMP put_DomainPassword(BSTR value) override;
  STDMETHODIMP get_TkRootURL(BSTR* value) override;
  STDMETHODIMP put_TkRootURL(BSTR value) override;
  STDMETHODIMP get_PluginExtFiles(BSTR* value) override;
  STDMETHODIMP put_PluginExtFiles(BSTR value) override;
  STDMETHODIMP get_TestTypeFile(BSTR* value) override;
  STDMETHODIMP put_TestTypeFile(BSTR value) override;
  STDMETHODIMP get_CustomTestTypesFiles(BSTR* value) override;
  STDMETHODIMP put_CustomTestTypesFiles(BSTR value) override;
  STDMETHODIMP get_AdditionalParams(BSTR* value) override;
  STDMETHODIMP put_AdditionalParams(BSTR value) override;
  STDMETHODIMP get_InstallationOnly(VARIANT_BOOL* value) override;
  STDMETHODIMP put_InstallationOnly(VARIANT_BOOL value) override;
  STDMETHODIMP get_DownloadContentFlavor(BSTR* value) override;
  STDMETHODIMP put_DownloadContentFlavor(BSTR value) override;
  STDMETHODIMP get_IsolatedDeployment(VARIANT_BOOL* value) override;
  STDMETHODIMP put_IsolatedDeployment(VARIANT_BOOL value) override;
  STDMETHODIMP get_DeploymentLocation(BSTR* value) override;
  STDMETHODIMP put_AuthUser(BSTR value) override;
  STDMETHODIMP put_AuthPassword(BSTR value) override;
  STDMETHODIMP put_AuthProxyUser(BSTR value) override;
  STDMETHODIMP put_AuthProxyPassword(BSTR value) override;
  STDMETHODIMP put_AuthProxyURL(BSTR value) override;
  STDMETHODIMP put_AuthProxyPort(LONG value) override;
  STDMETHODIMP put_AuthReserved(BSTR value) override;
  // ILoader2
  STDMETHODIMP get_SkipPreReqCheck(VARIANT_BOOL* value) override;
  STDMETHODIMP put_SkipPreReqCheck(VARIANT_BOOL value) override;
  STDMETHODIMP get_CustomPreReqPageUrl(BSTR* value) override;
  STDMETHODIMP put_CustomPreReqPageUrl(BSTR value) override;
  STDMETHODIMP get_MsiDeployment(VARIANT_BOOL* value) override;
  STDMETHODIMP put_MsiDeployment(VARIANT_BOOL value) override;
  // ILoader3
  STDMETHODIMP get_UseZELServerVersion(VARIANT_BOOL* value) override;
  STDMETHODIMP put_UseZELServerVersion(VARIANT_BOOL value) override;
  STDMETHODIMP get_ZELServerVersion(BSTR* value) override;
  STDMETHODIMP put_ZELServerVersion(BSTR value) override;
  // ILoader4
  STDMETHODIMP put_StartByDorivizu(VARIANT_BOOL value) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* activeSite, LONG index,
                      HWND parent, LPCRECT position) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP TranslateAccelerator(LPMSG message) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // IViewObject2
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                    HDC targetDevice, HDC drawOn, LPCRECTL bounds, LPCRECTL metafileBounds,
                    BOOL(STDMETHODCALLTYPE* keepDrawing)(ULONG_PTR), ULONG_PTR argument) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                           HDC targetDevice, LOGPALETTE** colors) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD freeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* message) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IQuickActivate
  STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  STDMETHODIMP SetContentExtent(LPSIZEL size) override;
  STDMETHODIMP GetContentExtent(LPSIZEL size) override;

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // IPersist, IPersistStreamInit, IPersistPropertyBag
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

 private:
  IUnknown* Identity() { return static_cast<IOleObject*>(this); }
  HWND Window() const;

  // Properties: the session's setter or getter with the value converted.
  template <class Setter>
  HRESULT PutText(const char* name, Setter setter, BSTR value);
  template <class Getter>
  HRESULT GetText(const char* name, Getter getter, BSTR* value);
  template <class Setter, class Value>
  HRESULT PutValue(const char* name, Setter setter, Value value);
  template <class Getter>
  HRESULT GetFlag(const char* name, Getter getter, VARIANT_BOOL* value);

  // Persistence: one persisted value read from the control, or handed to it.
  bool ReadPersisted(size_t index, VARIANT& value);
  void ApplyPersisted(size_t index, VARIANT& value);
  // What Save writes to a stream.
  std::vector<BYTE> PersistedStream();

  // In-place activation (LoaderControlInPlace.cpp).
  HRESULT InPlaceActivate(IOleClientSite* activeSite, bool uiActivate);
  HRESULT UIActivate();
  bool CreateInPlaceWindow(HWND parent);
  void DestroyInPlaceWindow();
  void ReleaseInPlaceSite();
  static LRESULT CALLBACK GuardWindowMessages(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR id, DWORD_PTR self);
  void NotifyViewChange();
  HRESULT EnsureAdviseHolder();

  CProxyILoaderEvents events_;
  std::shared_ptr<LoaderEventSink> sessionSink_;  // the point, as one sink of the session
  uint32_t sessionSinkCookie_ = 0;

  NVarnik::ComPtr<IOleClientSite> clientSite_;
  bool sited_ = false;
  NVarnik::PageUnloadSubscription pageUnload_;

  NVarnik::ComPtr<IOleInPlaceSite> inPlaceSite_;
  NVarnik::ComPtr<IOleInPlaceFrame> frame_;
  NVarnik::ComPtr<IOleInPlaceUIWindow> document_;
  bool inPlaceActive_ = false;
  bool uiActive_ = false;
  bool windowGuarded_ = false;
  bool clipped_ = false;  // a window region shows only the clip rectangle

  NVarnik::ComPtr<IOleAdviseHolder> adviseHolder_;
  NVarnik::ComPtr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewFlags_ = 0;

  SIZEL extent_{5080, 5080};  // HIMETRIC: two inches square until the container says
  bool dirty_ = false;
  LONG frozenEvents_ = 0;
  bool releasing_ = false;  // in the destructor: nothing may reach the object any more

  // The deployment helper whose activation context the hosted client is
  // created in; kept until the session has ended it.
  NVarnik::ComPtr<IDeploymentHelper2> deploymentHelper_;

  // Last, so it goes first: the session's window messages still reach the
  // members above while it ends.
  std::unique_ptr<CLoader> session_;
};
