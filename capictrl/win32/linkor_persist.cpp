// The control's persistence: its stored description in a stream
// (IPersistStreamInit, IPersistStream), in a storage's "Contents" stream
// (IPersistStorage), and its properties by name in a property bag.
#include "capictrl/win32/linkorctrl.h"

#include "capictrl/win32/comerror.h"

namespace vx {

namespace {

// The properties a property bag keeps: every ILinkor property with a get
// and a put, in the type library's order.
struct BagEntry {
    const wchar_t* name;
    DISPID id;
};
const BagEntry kBag[] = {
    {L"Visible", LINKOR_DISPID_Visible},
    {L"Caption", LINKOR_DISPID_Caption},
    {L"Enabled", LINKOR_DISPID_Enabled},
    {L"VoiceMailRecordFormat", LINKOR_DISPID_VoiceMailRecordFormat},
    {L"VoiceMailPlayFormat", LINKOR_DISPID_VoiceMailPlayFormat},
    {L"PhoneConversation", LINKOR_DISPID_PhoneConversation},
    {L"PlayFileName", LINKOR_DISPID_PlayFileName},
    {L"RecFileName", LINKOR_DISPID_RecFileName},
    {L"AnalogCallsListen", LINKOR_DISPID_AnalogCallsListen},
    {L"ListenAllCalls", LINKOR_DISPID_ListenAllCalls},
    {L"AcceptPhoneCall", LINKOR_DISPID_AcceptPhoneCall},
    {L"UpdateClock", LINKOR_DISPID_UpdateClock},
    {L"CapiDLL", LINKOR_DISPID_CapiDLL},
    {L"MaxLogicalConnections", LINKOR_DISPID_MaxLogicalConnections},
    {L"OriginatorNumber", LINKOR_DISPID_OriginatorNumber},
    {L"DestinationNumber", LINKOR_DISPID_DestinationNumber},
    {L"SpeakerBuffer", LINKOR_DISPID_SpeakerBuffer},
    {L"CalledPartyNumberByte0", LINKOR_DISPID_CalledPartyNumberByte0},
    {L"CallingPartyNumberByte0", LINKOR_DISPID_CallingPartyNumberByte0},
    {L"CallingPartyNumberByte1", LINKOR_DISPID_CallingPartyNumberByte1},
    {L"NumberDataBuffers", LINKOR_DISPID_NumberDataBuffers},
    {L"AudioFormat", LINKOR_DISPID_AudioFormat},
    {L"ClearCall", LINKOR_DISPID_ClearCall},
};

// Reads a host's stream exactly as far as the control's data goes.
class TOleStreamSource : public IByteSource {
public:
    explicit TOleStreamSource(IStream* s) : s_(s) {}
    void Read(void* buffer, size_t n) override {
        char* p = static_cast<char*>(buffer);
        while (n > 0) {
            ULONG got = 0;
            HRESULT hr = s_->Read(p, static_cast<ULONG>(n), &got);
            if (FAILED(hr) || got == 0) throw EReadError("Stream read error");
            p += got;
            n -= got;
        }
    }

private:
    IStream* s_;
};

HRESULT WriteAll(IStream* s, const std::string& bytes) {
    const char* p = bytes.data();
    size_t n = bytes.size();
    while (n > 0) {
        ULONG put = 0;
        HRESULT hr = s->Write(p, static_cast<ULONG>(n), &put);
        if (FAILED(hr)) return hr;
        if (put == 0) return STG_E_WRITEFAULT;
        p += put;
        n -= put;
    }
    return S_OK;
}

}  // namespace

// ---------------------------------------------------------------- persistence

STDMETHODIMP TLinkorCtrl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Linkor;
    return S_OK;
}
STDMETHODIMP TLinkorCtrl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP TLinkorCtrl::Load(LPSTREAM stm) { return LoadFrom(stm, IID_IPersistStreamInit); }

STDMETHODIMP TLinkorCtrl::Save(LPSTREAM stm, BOOL clearDirty) {
    return SaveTo(stm, clearDirty, IID_IPersistStreamInit);
}

HRESULT TLinkorCtrl::LoadFrom(IStream* stm, REFIID errorIid) {
    if (!stm) return E_POINTER;
    try {
        TOleStreamSource src(stm);
        LoadLinkorStream(src, form_, *engine_);
        dirty_ = false;
        return S_OK;
    } catch (...) {
        return ReportCurrentException(errorIid, E_FAIL);
    }
}

HRESULT TLinkorCtrl::SaveTo(IStream* stm, BOOL clearDirty, REFIID errorIid) {
    if (!stm) return E_POINTER;
    try {
        HRESULT hr = WriteAll(stm, SaveLinkorStream(form_, *engine_));
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    } catch (...) {
        return ReportCurrentException(errorIid, E_FAIL);
    }
}

STDMETHODIMP TLinkorCtrl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    try {
        size->QuadPart = SaveLinkorStream(form_, *engine_).size();
        return S_OK;
    } catch (...) {
        return ReportCurrentException(IID_IPersistStreamInit, E_FAIL);
    }
}

STDMETHODIMP TLinkorCtrl::InitNew() { return S_OK; }

static const wchar_t kContents[] = L"Contents";

STDMETHODIMP TLinkorCtrl::InitNew(IStorage*) { return S_OK; }

STDMETHODIMP TLinkorCtrl::Load(IStorage* stg) {
    if (!stg) return E_POINTER;
    IStream* s = nullptr;
    HRESULT hr = stg->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s);
    if (FAILED(hr)) return hr;
    hr = LoadFrom(s, IID_IPersistStorage);
    s->Release();
    return hr;
}

STDMETHODIMP TLinkorCtrl::Save(IStorage* stg, BOOL) {
    if (!stg) return E_POINTER;
    IStream* s = nullptr;
    HRESULT hr = stg->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s);
    if (FAILED(hr)) return hr;
    hr = SaveTo(s, TRUE, IID_IPersistStorage);
    s->Release();
    return hr;
}

STDMETHODIMP TLinkorCtrl::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP TLinkorCtrl::HandsOffStorage() { return S_OK; }

STDMETHODIMP TLinkorCtrl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    // PhoneConversation is applied right after SpeakerBuffer, as the stream
    // does, so the conversation mode never starts with an unset buffer.
    VARIANT conversation;
    VariantInit(&conversation);
    bool haveConversation = false;
    HRESULT result = S_OK;
    for (const BagEntry& e : kBag) {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(bag->Read(e.name, &v, log))) continue;  // not kept: stays as it is
        if (e.id == LINKOR_DISPID_PhoneConversation) {
            conversation = v;
            haveConversation = true;
            continue;
        }
        HRESULT hr = InvokeSelf(e.id, DISPATCH_PROPERTYPUT, &v, nullptr, IID_IPersistPropertyBag);
        VariantClear(&v);
        if (FAILED(hr)) {
            result = hr;
            break;
        }
        if (e.id == LINKOR_DISPID_SpeakerBuffer && haveConversation) {
            haveConversation = false;
            hr = InvokeSelf(LINKOR_DISPID_PhoneConversation, DISPATCH_PROPERTYPUT, &conversation, nullptr,
                            IID_IPersistPropertyBag);
            VariantClear(&conversation);
            if (FAILED(hr)) {
                result = hr;
                break;
            }
        }
    }
    if (SUCCEEDED(result) && haveConversation)
        result = InvokeSelf(LINKOR_DISPID_PhoneConversation, DISPATCH_PROPERTYPUT, &conversation, nullptr,
                            IID_IPersistPropertyBag);
    VariantClear(&conversation);
    if (SUCCEEDED(result)) dirty_ = false;
    return result;
}

STDMETHODIMP TLinkorCtrl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    for (const BagEntry& e : kBag) {
        VARIANT v;
        VariantInit(&v);
        HRESULT hr = InvokeSelf(e.id, DISPATCH_PROPERTYGET, nullptr, &v, IID_IPersistPropertyBag);
        if (SUCCEEDED(hr)) hr = bag->Write(e.name, &v);
        VariantClear(&v);
        if (FAILED(hr)) return hr;
    }
    if (clearDirty) dirty_ = false;
    return S_OK;
}
}  // namespace vx
