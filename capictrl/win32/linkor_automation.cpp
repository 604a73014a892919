// The control's automation: ILinkor through its dual IDispatch, answered
// from the embedded type library, and the class information a container
// reads from it.
#include "capictrl/win32/linkorctrl.h"

#include "base/win32/text.h"
#include "capictrl/win32/abox.h"
#include "capictrl/win32/comerror.h"
#include "capictrl/win32/comhelpers.h"
#include "capictrl/win32/help.h"

namespace vx {

namespace {

// Texts coming in: ANSI (code page 1250) and at most what the engine holds.
std::string InText(BSTR b) {
    std::string s = TextOfBstr(b);
    if (s.size() > kLinkorTextMax) s.resize(kLinkorTextMax);
    return s;
}

BSTR OutText(const std::string& s) { return BstrOfText(s); }

VARIANT_BOOL OutBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

template <class F>
HRESULT TLinkorCtrl::Guard(F f) {
    try {
        f();
        return S_OK;
    } catch (...) {
        return ReportCurrentException(IID_ILinkor);
    }
}

// ---------------------------------------------------------------- IDispatch

STDMETHODIMP TLinkorCtrl::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = typeInfo_ ? 1 : 0;
    return S_OK;
}

STDMETHODIMP TLinkorCtrl::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0) return DISP_E_BADINDEX;
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    typeInfo_->AddRef();
    *ppTInfo = typeInfo_;
    return S_OK;
}

STDMETHODIMP TLinkorCtrl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    return DispGetIDsOfNames(typeInfo_, names, count, ids);
}

STDMETHODIMP TLinkorCtrl::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    return DispInvoke(static_cast<ILinkor*>(this), typeInfo_, id, flags, params, result, excep, argErr);
}

HRESULT TLinkorCtrl::InvokeSelf(DISPID id, WORD flags, VARIANT* arg, VARIANT* result, REFIID errorIid) {
    if (!typeInfo_) return TYPE_E_CANTLOADLIBRARY;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS dp{};
    if (arg) {
        dp.rgvarg = arg;
        dp.cArgs = 1;
        if (flags & DISPATCH_PROPERTYPUT) {
            dp.rgdispidNamedArgs = &named;
            dp.cNamedArgs = 1;
        }
    }
    EXCEPINFO ex{};
    UINT argErr = 0;
    HRESULT hr = DispInvoke(static_cast<ILinkor*>(this), typeInfo_, id, flags, &dp, result, &ex, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        TMemberFailure f = TakeExcepInfo(ex);
        hr = FAILED(f.scode) ? f.scode : E_FAIL;
        // The member's own description, now for the interface the caller used.
        SetComError(errorIid, f.description.empty() ? SystemMessage(hr) : f.description);
    } else if (FAILED(hr)) {
        SetComError(errorIid, SystemMessage(hr));
    }
    return hr;
}

// ---------------------------------------------------------------- ILinkor: form

STDMETHODIMP TLinkorCtrl::get_Visible(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(visible_);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_Visible(VARIANT_BOOL v) {
    visible_ = v != 0;
    // Without a window the flag waits for the next activation, which shows
    // the form anyway.
    if (HWND h = window_.Handle()) ShowWindow(h, visible_ ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_Caption(BSTR* v) {
    if (!v) return E_POINTER;
    *v = nullptr;
    return Guard([&] { *v = OutText(form_.Caption); });
}
STDMETHODIMP TLinkorCtrl::put_Caption(BSTR v) {
    return Guard([&] {
        form_.Caption = InText(v);
        dirty_ = true;
        if (HWND h = window_.Handle()) SetWindowTextW(h, Wide(form_.Caption).c_str());
    });
}
STDMETHODIMP TLinkorCtrl::get_Active(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    // The active form is the one the container has activated with its
    // user interface.
    *v = OutBool(uiActive_);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_Enabled(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(enabled_);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_Enabled(VARIANT_BOOL v) {
    enabled_ = v != 0;
    if (HWND h = window_.Handle()) EnableWindow(h, enabled_ ? TRUE : FALSE);
    return S_OK;
}

// ---------------------------------------------------------------- ILinkor: engine settings

#define VX_BOOL_FIELD(Name)                                  \
    STDMETHODIMP TLinkorCtrl::get_##Name(VARIANT_BOOL* v) {  \
        if (!v) return E_POINTER;                            \
        *v = OutBool(engine_->Settings().Name);              \
        return S_OK;                                         \
    }                                                        \
    STDMETHODIMP TLinkorCtrl::put_##Name(VARIANT_BOOL v) {   \
        engine_->Settings().Name = v != 0;                   \
        dirty_ = true;                                       \
        return S_OK;                                         \
    }
VX_BOOL_FIELD(AnalogCallsListen)
VX_BOOL_FIELD(ListenAllCalls)
VX_BOOL_FIELD(AcceptPhoneCall)
VX_BOOL_FIELD(UpdateClock)
VX_BOOL_FIELD(ClearCall)
#undef VX_BOOL_FIELD

#define VX_BYTE_FIELD(Name)                                   \
    STDMETHODIMP TLinkorCtrl::get_##Name(unsigned char* v) {  \
        if (!v) return E_POINTER;                             \
        *v = engine_->Settings().Name;                        \
        return S_OK;                                          \
    }                                                         \
    STDMETHODIMP TLinkorCtrl::put_##Name(unsigned char v) {   \
        engine_->Settings().Name = v;                         \
        dirty_ = true;                                        \
        return S_OK;                                          \
    }
VX_BYTE_FIELD(CalledPartyNumberByte0)
VX_BYTE_FIELD(CallingPartyNumberByte0)
VX_BYTE_FIELD(CallingPartyNumberByte1)
#undef VX_BYTE_FIELD

// Texts read from the settings and written through the engine's setter.
#define VX_TEXT_SETTER(Name)                                  \
    STDMETHODIMP TLinkorCtrl::get_##Name(BSTR* v) {           \
        if (!v) return E_POINTER;                             \
        *v = nullptr;                                         \
        return Guard([&] { *v = OutText(engine_->Settings().Name); }); \
    }                                                         \
    STDMETHODIMP TLinkorCtrl::put_##Name(BSTR v) {            \
        return Guard([&] {                                    \
            dirty_ = true;                                    \
            engine_->Set##Name(InText(v));                    \
        });                                                   \
    }
VX_TEXT_SETTER(PlayFileName)
VX_TEXT_SETTER(RecFileName)
VX_TEXT_SETTER(CapiDLL)
VX_TEXT_SETTER(OriginatorNumber)
VX_TEXT_SETTER(DestinationNumber)
#undef VX_TEXT_SETTER

STDMETHODIMP TLinkorCtrl::get_MaxLogicalConnections(BSTR* v) {
    if (!v) return E_POINTER;
    *v = nullptr;
    return Guard([&] { *v = OutText(engine_->GetMaxLogicalConnections()); });
}
STDMETHODIMP TLinkorCtrl::put_MaxLogicalConnections(BSTR v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetMaxLogicalConnections(InText(v));
    });
}

STDMETHODIMP TLinkorCtrl::get_VoiceMailRecordFormat(TCapiVoiceMailFileFormat* v) {
    if (!v) return E_POINTER;
    *v = static_cast<TCapiVoiceMailFileFormat>(engine_->Settings().VoiceMailRecordFormat);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_VoiceMailRecordFormat(TCapiVoiceMailFileFormat v) {
    engine_->Settings().VoiceMailRecordFormat = VoiceMailFormatOf(static_cast<int32_t>(v));
    dirty_ = true;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_VoiceMailPlayFormat(TCapiVoiceMailFileFormat* v) {
    if (!v) return E_POINTER;
    *v = static_cast<TCapiVoiceMailFileFormat>(engine_->Settings().VoiceMailPlayFormat);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_VoiceMailPlayFormat(TCapiVoiceMailFileFormat v) {
    engine_->Settings().VoiceMailPlayFormat = VoiceMailFormatOf(static_cast<int32_t>(v));
    dirty_ = true;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_PhoneConversation(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(engine_->Settings().PhoneConversation);
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_PhoneConversation(VARIANT_BOOL v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetPhoneConversation(v != 0);
    });
}
STDMETHODIMP TLinkorCtrl::get_SpeakerBuffer(TCapiPlayBufferMode* v) {
    if (!v) return E_POINTER;
    return Guard([&] { *v = static_cast<TCapiPlayBufferMode>(engine_->GetSpeakerBuffer()); });
}
STDMETHODIMP TLinkorCtrl::put_SpeakerBuffer(TCapiPlayBufferMode v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetSpeakerBuffer(PlayBufferModeOf(static_cast<int32_t>(v)));
    });
}
STDMETHODIMP TLinkorCtrl::get_NumberDataBuffers(short* v) {
    if (!v) return E_POINTER;
    *v = engine_->Settings().NumberDataBuffers;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::put_NumberDataBuffers(short v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetNumberDataBuffers(v);
    });
}
STDMETHODIMP TLinkorCtrl::get_AudioFormat(TCapiAudioFormat* v) {
    if (!v) return E_POINTER;
    return Guard([&] { *v = static_cast<TCapiAudioFormat>(AudioFormatOut(engine_->GetAudioFormat())); });
}
STDMETHODIMP TLinkorCtrl::put_AudioFormat(TCapiAudioFormat v) {
    return Guard([&] {
        dirty_ = true;
        engine_->SetAudioFormat(AudioFormatOfPut(static_cast<int32_t>(v)));
    });
}

// ---------------------------------------------------------------- ILinkor: operations

STDMETHODIMP TLinkorCtrl::MakeCall() {
    return Guard([&] { engine_->MakeCall(); });
}
STDMETHODIMP TLinkorCtrl::DisconnectCall(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = VARIANT_FALSE;
    return Guard([&] { *v = OutBool(engine_->DisconnectCall()); });
}
STDMETHODIMP TLinkorCtrl::StartCapi() {
    return Guard([&] { engine_->StartCapi(); });
}
STDMETHODIMP TLinkorCtrl::StopCapi() {
    return Guard([&] { engine_->StopCapi(); });
}
STDMETHODIMP TLinkorCtrl::get_AppIsRegistered(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(engine_->AppIsRegistered());
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_IsConnected(VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = OutBool(engine_->IsConnected());
    return S_OK;
}

#define VX_TEXT_GET(Name)                                     \
    STDMETHODIMP TLinkorCtrl::get_##Name(BSTR* v) {           \
        if (!v) return E_POINTER;                             \
        *v = nullptr;                                         \
        return Guard([&] { *v = OutText(engine_->Name()); }); \
    }
VX_TEXT_GET(CapiVersion)
VX_TEXT_GET(ManufacturerVersion)
VX_TEXT_GET(ManufacturerName)
VX_TEXT_GET(SerialNumber)
#undef VX_TEXT_GET

STDMETHODIMP TLinkorCtrl::get_applicationID(short* v) {
    if (!v) return E_POINTER;
    *v = engine_->ApplicationID();
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::get_numControllers(short* v) {
    if (!v) return E_POINTER;
    *v = engine_->NumControllers();
    return S_OK;
}

STDMETHODIMP TLinkorCtrl::RecallTCapiPDG(LONG index, TCapiPDG1* v) {
    if (!v) return E_POINTER;
    v->desig = nullptr;
    v->Value = 0;
    return Guard([&] {
        std::string d;
        int16_t n = 0;
        engine_->RecallTCapiPDG(index, d, n);
        v->desig = OutText(d);
        v->Value = n;
    });
}

#define VX_RECALL_FLAG(Name)                                      \
    STDMETHODIMP TLinkorCtrl::Name(LONG index, TCapiPDG2* v) {    \
        if (!v) return E_POINTER;                                 \
        v->desig = nullptr;                                       \
        v->Value = VARIANT_FALSE;                                 \
        return Guard([&] {                                        \
            std::string d;                                        \
            bool f = false;                                       \
            engine_->Name(index, d, f);                           \
            v->desig = OutText(d);                                \
            v->Value = OutBool(f);                                \
        });                                                       \
    }
VX_RECALL_FLAG(RecallTCapiPDGO)
VX_RECALL_FLAG(RecallTCapiPDB1)
VX_RECALL_FLAG(RecallTCapiPDB2)
VX_RECALL_FLAG(RecallTCapiPDB3)
#undef VX_RECALL_FLAG

STDMETHODIMP TLinkorCtrl::makeControllerProfile(short ctrlNumber) {
    return Guard([&] { engine_->MakeControllerProfile(ctrlNumber); });
}

STDMETHODIMP TLinkorCtrl::AboutBox() {
    return Guard([&] { ShowAboutBox(); });
}

STDMETHODIMP TLinkorCtrl::Help() {
    return Guard([&] { ShowHelpContext(1000); });
}

// ---------------------------------------------------------------- class info, pages, errors

STDMETHODIMP TLinkorCtrl::GetClassInfo(ITypeInfo** ppTI) {
    if (!ppTI) return E_POINTER;
    *ppTI = nullptr;
    ITypeLib* tl = ServerTypeLib();
    if (!tl) return TYPE_E_CANTLOADLIBRARY;
    return tl->GetTypeInfoOfGuid(CLSID_Linkor, ppTI);
}

STDMETHODIMP TLinkorCtrl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID_ILinkorEvents;
    return S_OK;
}
}  // namespace vx
