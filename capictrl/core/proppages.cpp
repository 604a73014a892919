#include "capictrl/core/proppages.h"

#include "base/pascal.h"

namespace vx {

namespace {

using K = TPageControlKind;

TPageControl HelpButton() { return {kIdHelpButton, K::Button, "Button1", "Help", 360, 408, 94, 31, {}}; }

// The low 8 bits of a decimal integer.
uint8_t ByteOf(const std::string& text) { return static_cast<uint8_t>(StrToInt(text) & 0xFF); }

class TOperationPage : public TLinkorPage {
public:
    TOperationPage() {
        ClassName = "TPropertyPage01";
        Title = "Operation";
        HelpContext = 9;
        Controls = {
            {kIdPhoneConversation, K::CheckBox, "PhoneConversation", "Direct Phone Conversation (no Voice Mail)", 24,
             16, 420, 24, {}},
            {kIdListenAllCalls, K::CheckBox, "ListenAllCalls", "Listen to All Calls ", 24, 48, 420, 24, {}},
            {kIdAnalogCallsListen, K::CheckBox, "AnalogCallsListen", "Listen to Analog Calls", 48, 80, 396, 24, {}},
            {kIdAcceptPhoneCall, K::CheckBox, "AcceptPhoneCall", "Accept Phone Call", 24, 112, 420, 24, {}},
            {kIdClearCall, K::CheckBox, "ClearCall", "Clear Call", 24, 144, 420, 24, {}},
            {kIdUpdateClock, K::CheckBox, "UpdateClock", "Update Computer Clock on Outgoing Calls", 24, 176, 420, 24,
             {}},
            {kIdLabel1, K::Label, "Label1", "Originator (Caller) Number:", 24, 224, 300, 20, {}},
            {kIdCallerNumber, K::Edit, "edCallerNumber", "", 24, 246, 260, 26, {}},
            {kIdLabel2, K::Label, "Label2", "Destination (Called) Number:", 24, 288, 300, 20, {}},
            {kIdCalledNumber, K::Edit, "edCalledNumber", "", 24, 310, 260, 26, {}},
            HelpButton(),
        };
    }

    void Refresh(IPageObject& obj, IPageView& view) const override {
        Tick(kIdClearCall, obj.GetBool("ClearCall"), view);
        Tick(kIdPhoneConversation, obj.GetBool("PhoneConversation"), view);
        Tick(kIdListenAllCalls, obj.GetBool("ListenAllCalls"), view);
        if (view.Checked(kIdListenAllCalls)) view.SetEnabled(kIdAnalogCallsListen, false);
        Tick(kIdAnalogCallsListen, obj.GetBool("AnalogCallsListen"), view);
        Tick(kIdAcceptPhoneCall, obj.GetBool("AcceptPhoneCall"), view);
        Tick(kIdUpdateClock, obj.GetBool("UpdateClock"), view);
        view.SetText(kIdCallerNumber, obj.GetText("OriginatorNumber"));
        view.SetText(kIdCalledNumber, obj.GetText("DestinationNumber"));
    }

    void Apply(IPageObject& obj, IPageView& view) const override {
        obj.PutBool("PhoneConversation", view.Checked(kIdPhoneConversation));
        obj.PutBool("ClearCall", view.Checked(kIdClearCall));
        obj.PutBool("AnalogCallsListen", view.Checked(kIdAnalogCallsListen));
        obj.PutBool("ListenAllCalls", view.Checked(kIdListenAllCalls));
        obj.PutBool("AcceptPhoneCall", view.Checked(kIdAcceptPhoneCall));
        obj.PutBool("UpdateClock", view.Checked(kIdUpdateClock));
        obj.PutText("OriginatorNumber", view.Text(kIdCallerNumber));
        obj.PutText("DestinationNumber", view.Text(kIdCalledNumber));
    }

    // ListenAllCallsClick: listening to all calls includes the analog ones,
    // which the forced tick shows.
    void Clicked(int id, IPageView& view) const override {
        if (id != kIdListenAllCalls) return;
        if (view.Checked(kIdListenAllCalls)) {
            view.SetChecked(kIdAnalogCallsListen, true);
            view.SetEnabled(kIdAnalogCallsListen, false);
        } else {
            view.SetEnabled(kIdAnalogCallsListen, true);
        }
    }
};

class TSystemPage : public TLinkorPage {
public:
    TSystemPage() {
        ClassName = "TPropertyPage02";
        Title = "System";
        HelpContext = 8;
        Controls = {
            {kIdSystemLabel0 + 0, K::Label, "Label1", "Capi DLL File:", 12, 18, 280, 20, {}},
            {kIdCapiDLL, K::Edit, "edCapiDLL", "", 296, 14, 160, 26, {}},
            {kIdSystemLabel0 + 1, K::Label, "Label2", "Max. Number of Logical Connections:", 12, 54, 280, 20, {}},
            {kIdMaximumLogicalConnections, K::Edit, "edMaximumLogicalConnections", "", 296, 50, 160, 26, {}},
            {kIdSystemLabel0 + 2, K::Label, "Label3", "Number of Data Buffers:", 12, 90, 280, 20, {}},
            {kIdNumberDataBuffers, K::Edit, "edNumberDataBuffers", "", 296, 86, 160, 26, {}},
            {kIdSystemLabel0 + 3, K::Label, "Label4", "Speakers' Buffer:", 12, 126, 280, 20, {}},
            {kIdSpeakerBuffer, K::ListBox, "ListBox1", "", 296, 122, 160, 136,
             {"Minimum", "Small - 2xMinimum", "Slow Talk - 4xMinimum", "Medium - 8xMinimum",
              "Fast Talk - 10xMinimum", "Maximum - 12xMinimum"}},
            {kIdSystemLabel0 + 4, K::Label, "Label5", "Called Party Number Struct Byte 0:", 12, 278, 280, 20, {}},
            {kIdCalledByte0, K::Edit, "edCalledByte0", "", 296, 274, 160, 26, {}},
            {kIdSystemLabel0 + 5, K::Label, "Label6", "Calling Party Number Struct Byte 0:", 12, 314, 280, 20, {}},
            {kIdCallingByte0, K::Edit, "edCallingByte0", "", 296, 310, 160, 26, {}},
            {kIdSystemLabel0 + 6, K::Label, "Label7", "Calling Party Number Struct Byte 1:", 12, 350, 280, 20, {}},
            {kIdCallingByte1, K::Edit, "edCallingByte1", "", 296, 346, 160, 26, {}},
            HelpButton(),
        };
    }

    void Refresh(IPageObject& obj, IPageView& view) const override {
        FillList(kIdSpeakerBuffer, view);
        view.SetText(kIdCapiDLL, obj.GetText("CapiDLL"));
        view.SetText(kIdMaximumLogicalConnections, obj.GetText("MaxLogicalConnections"));
        view.Select(kIdSpeakerBuffer, obj.GetInt("SpeakerBuffer"));
        view.SetText(kIdCalledByte0, IntToStr(obj.GetInt("CalledPartyNumberByte0")));
        view.SetText(kIdCallingByte0, IntToStr(obj.GetInt("CallingPartyNumberByte0")));
        view.SetText(kIdCallingByte1, IntToStr(obj.GetInt("CallingPartyNumberByte1")));
        view.SetText(kIdNumberDataBuffers, IntToStr(obj.GetInt("NumberDataBuffers")));
    }

    // Each edit is converted just before its member is written, so a text
    // that is no number stops the apply at that member.
    void Apply(IPageObject& obj, IPageView& view) const override {
        obj.PutText("CapiDLL", view.Text(kIdCapiDLL));
        obj.PutText("MaxLogicalConnections", view.Text(kIdMaximumLogicalConnections));
        obj.PutInt("SpeakerBuffer", view.Selected(kIdSpeakerBuffer));
        obj.PutByte("CalledPartyNumberByte0", ByteOf(view.Text(kIdCalledByte0)));
        obj.PutByte("CallingPartyNumberByte0", ByteOf(view.Text(kIdCallingByte0)));
        obj.PutByte("CallingPartyNumberByte1", ByteOf(view.Text(kIdCallingByte1)));
        obj.PutInt("NumberDataBuffers", StrToInt(view.Text(kIdNumberDataBuffers)));
    }
};

class TFormatsPage : public TLinkorPage {
public:
    TFormatsPage() {
        ClassName = "TPropertyPage03";
        Title = "Formats";
        HelpContext = 11;
        const std::vector<const char*> files = {"Wave", "ISDN A-Law", "ISDN µ-Law"};
        Controls = {
            {kIdFormatsLabel0 + 0, K::Label, "Label1", "ISDN Audio Format:", 12, 18, 200, 20, {}},
            {kIdIsdnAudio, K::ListBox, "lstIsdnAudio", "", 220, 14, 230, 48, {"ISDN A-Law", "ISDN µ-Law"}},
            {kIdGroupBox1, K::GroupBox, "GroupBox1", "Voice Mail Options", 12, 80, 444, 304, {}},
            {kIdFormatsLabel0 + 1, K::Label, "Label2", "Voice Mail Play File Format:", 28, 110, 190, 20, {}},
            {kIdPlayFormat, K::ListBox, "lstPlayFormat", "", 220, 106, 220, 64, files},
            {kIdFormatsLabel0 + 2, K::Label, "Label3", "Voice Mail Record File Format:", 28, 186, 190, 20, {}},
            {kIdRecordFormat, K::ListBox, "lstRecordFormat", "", 220, 182, 220, 64, files},
            {kIdFormatsLabel0 + 3, K::Label, "Label4", "Play File Name:", 28, 262, 400, 20, {}},
            {kIdPlayFileName, K::Edit, "edPlayFileName", "", 28, 284, 412, 26, {}},
            {kIdFormatsLabel0 + 4, K::Label, "Label5", "Record File Name:", 28, 318, 400, 20, {}},
            {kIdRecFileName, K::Edit, "edRecFileName", "", 28, 340, 412, 26, {}},
            HelpButton(),
        };
    }

    void Refresh(IPageObject& obj, IPageView& view) const override {
        FillList(kIdIsdnAudio, view);
        FillList(kIdPlayFormat, view);
        FillList(kIdRecordFormat, view);
        view.Select(kIdIsdnAudio, obj.GetInt("AudioFormat"));
        view.Select(kIdPlayFormat, obj.GetInt("VoiceMailPlayFormat"));
        view.Select(kIdRecordFormat, obj.GetInt("VoiceMailRecordFormat"));
        view.SetText(kIdPlayFileName, obj.GetText("PlayFileName"));
        view.SetText(kIdRecFileName, obj.GetText("RecFileName"));
    }

    void Apply(IPageObject& obj, IPageView& view) const override {
        obj.PutInt("AudioFormat", view.Selected(kIdIsdnAudio));
        obj.PutInt("VoiceMailPlayFormat", view.Selected(kIdPlayFormat));
        obj.PutInt("VoiceMailRecordFormat", view.Selected(kIdRecordFormat));
        obj.PutText("PlayFileName", view.Text(kIdPlayFileName));
        obj.PutText("RecFileName", view.Text(kIdRecFileName));
    }
};

}  // namespace

const TPageControl* TLinkorPage::Control(int id) const {
    for (const auto& c : Controls)
        if (c.Id == id) return &c;
    return nullptr;
}

void TLinkorPage::FillList(int id, IPageView& view) const {
    if (view.ItemCount(id) > 0) return;
    if (const TPageControl* c = Control(id))
        for (const char* item : c->Items) view.AddItem(id, item);
}

void TLinkorPage::Tick(int id, bool v, IPageView& view) const {
    if (view.Checked(id) == v) return;
    view.SetChecked(id, v);
    Clicked(id, view);
}

const TLinkorPage& OperationPage() {
    static const TOperationPage page;
    return page;
}
const TLinkorPage& SystemPage() {
    static const TSystemPage page;
    return page;
}
const TLinkorPage& FormatsPage() {
    static const TFormatsPage page;
    return page;
}

}  // namespace vx
