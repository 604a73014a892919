// TLinkor: the main window's host of the embedded telephony control Linkor1.
// It creates the control by its class identifier, hands it the stored
// settings, receives its events on the user-interface thread and gives the
// monitor the control's two methods and its properties. The control lives
// invisibly with the main window and is released with it.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>
#include <memory>
#include <string>

#include "capictrl/win32/linkor_dispids.h"
#include "monitor/core/nastavcom.h"

struct ILinkor;

namespace vx {

// The system's text of a COM failure code, as the standard error box shows
// it ("Class not registered"); "OLE error XXXXXXXX" when the system has none.
std::string OleChyba(HRESULT hr);

class TLinkor : public ILinkorBinding {
public:
    TLinkor();
    ~TLinkor() override;
    TLinkor(const TLinkor&) = delete;
    TLinkor& operator=(const TLinkor&) = delete;

    // On the user-interface thread: initialises COM there (apartment),
    // creates the control, gives it its site, loads the stored description
    // (the control's stream) and connects the event sink. A failure raises
    // vx::Exception with the system's text; what was made is released by
    // the destructor.
    void Vytvor(const std::string& ulozeneData);

    // Bound events; an empty handler does nothing. The texts are code page
    // 1250. Handlers run on the user-interface thread, inside the control's
    // handling of the CAPI message; their failures do not reach the control.
    std::function<void(const std::string& calledNr, const std::string& callingNr, const std::string& callType)>
        OnInComingCall;
    std::function<void()> OnConnected;
    std::function<void(const std::string& reason)> OnDisconnected;

    // ILinkorBinding. StartCapi and StopCapi go through ILinkor's vtable,
    // the properties through IDispatch by number; a failure raises.
    bool AppIsRegistered() override;
    void StartCapi() override;
    void StopCapi() override;
    void SetVoiceMailPlayFormat(int v) override;
    void SetVoiceMailRecordFormat(int v) override;
    void SetAudioFormat(int v) override;
    void SetPhoneConversation(bool v) override;

    // Any property by its number (LINKOR_DISPID_...). The caller owns the returned VARIANT
    // (VariantClear).
    VARIANT Vlastnost(DISPID id);
    void NastavVlastnost(DISPID id, const VARIANT& value);

private:
    class TSink;
    class TSite;
    friend class TSink;
    ILinkor& Rozhranie();
    void Udalost(DISPID id, DISPPARAMS* params);

    bool ole_ = false;
    IUnknown* control_ = nullptr;
    IDispatch* dispatch_ = nullptr;
    ILinkor* linkor_ = nullptr;  // queried on first use, kept while the control lives
    IOleObject* oleObject_ = nullptr;
    IConnectionPoint* events_ = nullptr;
    DWORD cookie_ = 0;
    TSink* sink_ = nullptr;
    TSite* site_ = nullptr;
};

// Linkor1 of the main window: the control created with the monitor's stored
// settings, its incoming-call event bound to the given handler and its
// connected and disconnected events bound to nothing. Raises when the
// control cannot be created (its class not registered).
std::unique_ptr<TLinkor> VytvorLinkor1(
    std::function<void(const std::string& calledNr, const std::string& callingNr, const std::string& callType)>
        onInComingCall);

}  // namespace vx
