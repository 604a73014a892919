// TLinkorCtrl: the COM object of the Linkor control. It serves ILinkor
// (dual; IDispatch from the embedded type library), raises ILinkorEvents to
// one connected sink, persists its settings (stream, storage, property bag)
// and carries what an ActiveX host needs to embed it: hidden, as the
// monitor holds it, or in place, as its form inside the container's window.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <string>
#include <vector>

#include "capictrl/core/linkorengine.h"
#include "capictrl/core/persist.h"
#include "capictrl/win32/comhelpers.h"
#include "capictrl/win32/linkor_dispids.h"
#include "capictrl/win32/linkor_events.h"
#include "capictrl/win32/linkorform.h"
#include "linkor_idl.h"

namespace vx {

// Live objects of the file; with the factories' locks they keep it loaded
// (DllCanUnloadNow).
void ServerObjectCreated();
void ServerObjectDestroyed();
HMODULE ServerModule();
// The type library embedded in the file; null when it cannot be loaded.
ITypeLib* ServerTypeLib();

// OLEMISC_SIMPLEFRAME | ACTSLIKELABEL | INVISIBLEATRUNTIME of the control
// with the framework's RECOMPOSEONRESIZE | CANTLINKINSIDE | INSIDEOUT |
// ACTIVATEWHENVISIBLE | SETCLIENTSITEFIRST.
constexpr DWORD kLinkorMiscStatus = 0x12400 | 0x20191;

// The three property pages, in the order GetPages gives them.
extern const CLSID CLSID_LinkorPageOperation;
extern const CLSID CLSID_LinkorPageFormats;
extern const CLSID CLSID_LinkorPageSystem;

// One object with one reference count; each role is implemented in a file
// of its own: linkorctrl.cpp (the object), linkor_automation.cpp (ILinkor,
// IDispatch, IProvideClassInfo2), linkor_events.cpp (connection points),
// linkor_embedding.cpp (OLE embedding, in-place activation, drawing),
// linkor_persist.cpp (stream, storage, property bag) and linkor_pages.cpp
// (property pages, error information).
class TLinkorCtrl : public TComObject<ILinkor, IConnectionPointContainer, IProvideClassInfo2, ISpecifyPropertyPages,
                                      ISupportErrorInfo, IOleObject, IOleControl, IOleInPlaceObject,
                                      IOleInPlaceActiveObject, IViewObject2, IPersistStreamInit, IPersistStorage,
                                      IPersistPropertyBag> {
public:
    explicit TLinkorCtrl(std::unique_ptr<ILinkorEngine> engine);
    ~TLinkorCtrl() override;
    TLinkorCtrl(const TLinkorCtrl&) = delete;
    TLinkorCtrl& operator=(const TLinkorCtrl&) = delete;

    // IUnknown (AddRef and Release: TComObject)
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override;

    // ILinkor
    STDMETHODIMP get_Visible(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL v) override;
    STDMETHODIMP get_Caption(BSTR* v) override;
    STDMETHODIMP put_Caption(BSTR v) override;
    STDMETHODIMP get_Active(VARIANT_BOOL* v) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) override;
    STDMETHODIMP get_VoiceMailRecordFormat(TCapiVoiceMailFileFormat* v) override;
    STDMETHODIMP put_VoiceMailRecordFormat(TCapiVoiceMailFileFormat v) override;
    STDMETHODIMP get_VoiceMailPlayFormat(TCapiVoiceMailFileFormat* v) override;
    STDMETHODIMP put_VoiceMailPlayFormat(TCapiVoiceMailFileFormat v) override;
    STDMETHODIMP get_PhoneConversation(VARIANT_BOOL* v) override;
    STDMETHODIMP put_PhoneConversation(VARIANT_BOOL v) override;
    STDMETHODIMP get_PlayFileName(BSTR* v) override;
    STDMETHODIMP put_PlayFileName(BSTR v) override;
    STDMETHODIMP get_RecFileName(BSTR* v) override;
    STDMETHODIMP put_RecFileName(BSTR v) override;
    STDMETHODIMP get_AnalogCallsListen(VARIANT_BOOL* v) override;
    STDMETHODIMP put_AnalogCallsListen(VARIANT_BOOL v) override;
    STDMETHODIMP get_ListenAllCalls(VARIANT_BOOL* v) override;
    STDMETHODIMP put_ListenAllCalls(VARIANT_BOOL v) override;
    STDMETHODIMP get_AcceptPhoneCall(VARIANT_BOOL* v) override;
    STDMETHODIMP put_AcceptPhoneCall(VARIANT_BOOL v) override;
    STDMETHODIMP get_UpdateClock(VARIANT_BOOL* v) override;
    STDMETHODIMP put_UpdateClock(VARIANT_BOOL v) override;
    STDMETHODIMP get_CapiDLL(BSTR* v) override;
    STDMETHODIMP put_CapiDLL(BSTR v) override;
    STDMETHODIMP get_MaxLogicalConnections(BSTR* v) override;
    STDMETHODIMP put_MaxLogicalConnections(BSTR v) override;
    STDMETHODIMP get_OriginatorNumber(BSTR* v) override;
    STDMETHODIMP put_OriginatorNumber(BSTR v) override;
    STDMETHODIMP get_DestinationNumber(BSTR* v) override;
    STDMETHODIMP put_DestinationNumber(BSTR v) override;
    STDMETHODIMP MakeCall() override;
    STDMETHODIMP DisconnectCall(VARIANT_BOOL* v) override;
    STDMETHODIMP StartCapi() override;
    STDMETHODIMP StopCapi() override;
    STDMETHODIMP get_AppIsRegistered(VARIANT_BOOL* v) override;
    STDMETHODIMP get_CapiVersion(BSTR* v) override;
    STDMETHODIMP get_ManufacturerVersion(BSTR* v) override;
    STDMETHODIMP get_ManufacturerName(BSTR* v) override;
    STDMETHODIMP get_SerialNumber(BSTR* v) override;
    STDMETHODIMP get_applicationID(short* v) override;
    STDMETHODIMP get_numControllers(short* v) override;
    STDMETHODIMP RecallTCapiPDG(LONG ctrlvalue, TCapiPDG1* v) override;
    STDMETHODIMP RecallTCapiPDGO(LONG ctrlval, TCapiPDG2* v) override;
    STDMETHODIMP makeControllerProfile(short ctrlNumber) override;
    STDMETHODIMP RecallTCapiPDB1(LONG b1Count, TCapiPDG2* v) override;
    STDMETHODIMP RecallTCapiPDB2(LONG b2count, TCapiPDG2* v) override;
    STDMETHODIMP RecallTCapiPDB3(LONG b3count, TCapiPDG2* v) override;
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP get_SpeakerBuffer(TCapiPlayBufferMode* v) override;
    STDMETHODIMP put_SpeakerBuffer(TCapiPlayBufferMode v) override;
    STDMETHODIMP get_CalledPartyNumberByte0(unsigned char* v) override;
    STDMETHODIMP put_CalledPartyNumberByte0(unsigned char v) override;
    STDMETHODIMP get_CallingPartyNumberByte0(unsigned char* v) override;
    STDMETHODIMP put_CallingPartyNumberByte0(unsigned char v) override;
    STDMETHODIMP get_CallingPartyNumberByte1(unsigned char* v) override;
    STDMETHODIMP put_CallingPartyNumberByte1(unsigned char v) override;
    STDMETHODIMP get_NumberDataBuffers(short* v) override;
    STDMETHODIMP put_NumberDataBuffers(short v) override;
    STDMETHODIMP get_AudioFormat(TCapiAudioFormat* v) override;
    STDMETHODIMP put_AudioFormat(TCapiAudioFormat v) override;
    STDMETHODIMP get_IsConnected(VARIANT_BOOL* v) override;
    STDMETHODIMP get_ClearCall(VARIANT_BOOL* v) override;
    STDMETHODIMP put_ClearCall(VARIANT_BOOL v) override;
    STDMETHODIMP Help() override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* mk) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** mk) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* pal) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* ci) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IOleWindow (of both in-place interfaces), IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* hwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* ptd, HDC hdcTargetDev,
                      HDC hdcDraw, LPCRECTL bounds, LPCRECTL wBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* ptd, HDC hicTargetDev,
                             LOGPALETTE** colorSet) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* ptd, LPSIZEL size) override;

    // IPersist, IPersistStreamInit, IPersistStorage, IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stm) override;
    STDMETHODIMP Save(LPSTREAM stm, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP InitNew(IStorage* stg) override;
    STDMETHODIMP Load(IStorage* stg) override;
    STDMETHODIMP Save(IStorage* stg, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* stg) override;
    STDMETHODIMP HandsOffStorage() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

private:
    friend class TConnectionPoint;
    template <class F>
    HRESULT Guard(F f);
    // Raises one event on the connected sink; positional arguments in the
    // interface's order. Nothing happens while no sink is connected.
    void Fire(DISPID id, std::vector<VARIANT>& args);
    void FireFormEvent(DISPID id);
    void BindEngineEvents();
    void ShowPropertyFrame();
    // A failure sets the error object for `errorIid`.
    HRESULT InvokeSelf(DISPID id, WORD flags, VARIANT* arg, VARIANT* result, REFIID errorIid);
    HRESULT LoadFrom(IStream* stm, REFIID errorIid);
    HRESULT SaveTo(IStream* stm, BOOL clearDirty, REFIID errorIid);

    // In-place activation through the client site's IOleInPlaceSite: the
    // form's window in the site's window, and with `ui` the form becomes
    // the active form.
    HRESULT InPlaceActivate(bool ui);
    void UIActivate();
    // Tells the container the form's user interface has ended, once, after
    // the form's deactivation event.
    void TellUIDeactivated();
    // Gives back the container's windows and tells the site the form is gone.
    void LeaveSite(IOleInPlaceSite* ips);

    // The last reference may go while the control is still at work: from
    // a host's event handler, from the container's site while the form is
    // taken away, or while the engine hands a CAPI message over. It is then
    // destroyed from the thread's message loop once that work has ended.
    bool InUse();
    void LastReleased() override;
    void DeferDestruction();
    static void CALLBACK DestroyDeferred(HWND, UINT, UINT_PTR timer, DWORD);
    static void DestroyDeferredNow(UINT_PTR timer);

    std::unique_ptr<ILinkorEngine> engine_;
    TLinkorForm form_;
    bool visible_ = false;
    bool enabled_ = true;
    bool dirty_ = false;
    ITypeInfo* typeInfo_ = nullptr;
    TConnectionPoint events_;
    TConnectionPoint propNotify_;
    IOleClientSite* site_ = nullptr;
    IOleAdviseHolder* adviseHolder_ = nullptr;
    IAdviseSink* viewSink_ = nullptr;
    DWORD viewAspects_ = 0;
    DWORD viewAdvf_ = 0;
    // In place: the site, the container's frame and document window.
    IOleInPlaceSite* inPlaceSite_ = nullptr;
    IOleInPlaceFrame* frame_ = nullptr;
    IOleInPlaceUIWindow* uiWindow_ = nullptr;
    bool uiActive_ = false;
    // The user interface has ended and the container is yet to hear it.
    bool uiLeaving_ = false;
    // Deactivations under way, whose event handlers and site may call
    // back, also to let go of the control.
    int leaving_ = 0;
    TLinkorFormWindow window_;
    int fireDepth_ = 0;
    UINT_PTR deferredTimer_ = 0;
};

}  // namespace vx
