// The three property pages against a recording object and a view of plain
// control states: what a refresh shows, what an apply writes and in which
// order, and where a failing value stops the apply.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/errors.h"
#include "capictrl/core/proppages.h"

namespace {

using namespace vx;

// Members with values; every put is recorded as "Name=value".
class FakeObject : public IPageObject {
public:
    std::map<std::string, bool> Bools{{"PhoneConversation", false}, {"ListenAllCalls", true},
                                      {"AnalogCallsListen", true},   {"AcceptPhoneCall", false},
                                      {"ClearCall", false},          {"UpdateClock", true}};
    std::map<std::string, std::string> Texts{{"OriginatorNumber", "012345678"},
                                             {"DestinationNumber", "012345678"},
                                             {"CapiDLL", "capi2032.dll"},
                                             {"MaxLogicalConnections", "1"},
                                             {"PlayFileName", ".\\player.wav"},
                                             {"RecFileName", ".\\recorder.wav"}};
    std::map<std::string, int32_t> Ints{{"SpeakerBuffer", 3},          {"CalledPartyNumberByte0", 128},
                                        {"CallingPartyNumberByte0", 0}, {"CallingPartyNumberByte1", 128},
                                        {"NumberDataBuffers", 7},       {"AudioFormat", 0},
                                        {"VoiceMailPlayFormat", 0},     {"VoiceMailRecordFormat", 0}};
    std::vector<std::string> Puts;
    std::string Rejects;  // a member whose put fails

    bool GetBool(const char* m) override { return Bools.at(m); }
    std::string GetText(const char* m) override { return Texts.at(m); }
    int32_t GetInt(const char* m) override { return Ints.at(m); }
    void PutBool(const char* m, bool v) override { Put(m, v ? "True" : "False"); }
    void PutText(const char* m, const std::string& v) override { Put(m, "'" + v + "'"); }
    void PutInt(const char* m, int32_t v) override { Put(m, "I4:" + std::to_string(v)); }
    void PutByte(const char* m, uint8_t v) override { Put(m, "UI1:" + std::to_string(v)); }

private:
    void Put(const char* m, const std::string& v) {
        if (Rejects == m) throw Exception("rejected " + std::string(m));
        Puts.push_back(std::string(m) + "=" + v);
    }
};

struct ControlState {
    bool Checked = false;
    bool Enabled = true;
    std::string Text;
    std::vector<std::string> Items;
    int Selected = -1;
};

class FakeView : public IPageView {
public:
    // As a page's form starts: every check box ticked.
    explicit FakeView(const TLinkorPage& page) {
        for (const auto& c : page.Controls) {
            C[c.Id].Checked = c.Kind == TPageControlKind::CheckBox;
            C[c.Id].Text = c.Caption;
        }
    }
    std::map<int, ControlState> C;
    bool Checked(int id) override { return at(id).Checked; }
    void SetChecked(int id, bool v) override { at(id).Checked = v; }
    bool Enabled(int id) override { return at(id).Enabled; }
    void SetEnabled(int id, bool v) override { at(id).Enabled = v; }
    std::string Text(int id) override { return at(id).Text; }
    void SetText(int id, const std::string& v) override { at(id).Text = v; }
    int ItemCount(int id) override { return static_cast<int>(at(id).Items.size()); }
    void AddItem(int id, const std::string& item) override { at(id).Items.push_back(item); }
    int Selected(int id) override { return at(id).Selected; }
    void Select(int id, int index) override {
        at(id).Selected = index >= 0 && index < ItemCount(id) ? index : -1;
    }

private:
    ControlState& at(int id) {
        auto it = C.find(id);
        if (it == C.end()) throw std::out_of_range("no control " + std::to_string(id));
        return it->second;
    }
};

// ---------------------------------------------------------------- page forms

TEST(PropertyPages, TitlesClassesHelpContextsAndSize) {
    struct Row {
        const TLinkorPage* page;
        const char* cls;
        const char* title;
        uint16_t help;
    } rows[] = {
        {&OperationPage(), "TPropertyPage01", "Operation", 9},
        {&SystemPage(), "TPropertyPage02", "System", 8},
        {&FormatsPage(), "TPropertyPage03", "Formats", 11},
    };
    for (const auto& r : rows) {
        EXPECT_STREQ(r.page->ClassName, r.cls);
        EXPECT_STREQ(r.page->Title, r.title);
        EXPECT_EQ(r.page->HelpContext, r.help);
        EXPECT_EQ(r.page->Width, 469);
        EXPECT_EQ(r.page->Height, 456);
        const TPageControl* help = r.page->Control(kIdHelpButton);
        ASSERT_NE(help, nullptr);
        EXPECT_STREQ(help->Caption, "Help");
        // At the lower right, inside the form.
        EXPECT_LE(help->Left + help->Width, 469);
        EXPECT_LE(help->Top + help->Height, 456);
        EXPECT_GT(help->Left, 469 / 2);
        EXPECT_GT(help->Top, 456 / 2);
    }
}

TEST(PropertyPages, CaptionsAreTheControlsOwnTexts) {
    struct Row {
        const TLinkorPage* page;
        int id;
        const char* text;
    } rows[] = {
        {&OperationPage(), kIdPhoneConversation, "Direct Phone Conversation (no Voice Mail)"},
        {&OperationPage(), kIdListenAllCalls, "Listen to All Calls "},
        {&OperationPage(), kIdAnalogCallsListen, "Listen to Analog Calls"},
        {&OperationPage(), kIdAcceptPhoneCall, "Accept Phone Call"},
        {&OperationPage(), kIdClearCall, "Clear Call"},
        {&OperationPage(), kIdUpdateClock, "Update Computer Clock on Outgoing Calls"},
        {&OperationPage(), kIdLabel1, "Originator (Caller) Number:"},
        {&OperationPage(), kIdLabel2, "Destination (Called) Number:"},
        {&SystemPage(), kIdSystemLabel0 + 0, "Capi DLL File:"},
        {&SystemPage(), kIdSystemLabel0 + 1, "Max. Number of Logical Connections:"},
        {&SystemPage(), kIdSystemLabel0 + 2, "Number of Data Buffers:"},
        {&SystemPage(), kIdSystemLabel0 + 3, "Speakers' Buffer:"},
        {&SystemPage(), kIdSystemLabel0 + 4, "Called Party Number Struct Byte 0:"},
        {&SystemPage(), kIdSystemLabel0 + 5, "Calling Party Number Struct Byte 0:"},
        {&SystemPage(), kIdSystemLabel0 + 6, "Calling Party Number Struct Byte 1:"},
        {&FormatsPage(), kIdFormatsLabel0 + 0, "ISDN Audio Format:"},
        {&FormatsPage(), kIdGroupBox1, "Voice Mail Options"},
        {&FormatsPage(), kIdFormatsLabel0 + 1, "Voice Mail Play File Format:"},
        {&FormatsPage(), kIdFormatsLabel0 + 2, "Voice Mail Record File Format:"},
        {&FormatsPage(), kIdFormatsLabel0 + 3, "Play File Name:"},
        {&FormatsPage(), kIdFormatsLabel0 + 4, "Record File Name:"},
    };
    for (const auto& r : rows) {
        const TPageControl* c = r.page->Control(r.id);
        ASSERT_NE(c, nullptr) << r.text;
        EXPECT_STREQ(c->Caption, r.text);
    }
    // The micro sign is code page 1250's 0xB5.
    const std::vector<std::string> law{"ISDN A-Law", "ISDN \xB5-Law"};
    const TPageControl* audio = FormatsPage().Control(kIdIsdnAudio);
    EXPECT_EQ(std::vector<std::string>(audio->Items.begin(), audio->Items.end()), law);
    const std::vector<std::string> files{"Wave", "ISDN A-Law", "ISDN \xB5-Law"};
    for (int id : {kIdPlayFormat, kIdRecordFormat}) {
        const TPageControl* c = FormatsPage().Control(id);
        EXPECT_EQ(std::vector<std::string>(c->Items.begin(), c->Items.end()), files);
    }
    const TPageControl* speaker = SystemPage().Control(kIdSpeakerBuffer);
    const std::vector<std::string> buffers{"Minimum",           "Small - 2xMinimum",      "Slow Talk - 4xMinimum",
                                           "Medium - 8xMinimum", "Fast Talk - 10xMinimum", "Maximum - 12xMinimum"};
    EXPECT_EQ(std::vector<std::string>(speaker->Items.begin(), speaker->Items.end()), buffers);
}

// ---------------------------------------------------------------- Operation

TEST(OperationPage, RefreshShowsEveryMemberAndEnablesAnalogOnlyWithoutListenAll) {
    struct Row {
        bool listenAll, analog;
        bool analogEnabled;
    } rows[] = {
        {true, true, false},
        {false, false, true},
        {true, false, false},  // the box shows the member's value, disabled
        {false, true, true},
    };
    for (const auto& r : rows) {
        FakeObject obj;
        obj.Bools["ListenAllCalls"] = r.listenAll;
        obj.Bools["AnalogCallsListen"] = r.analog;
        obj.Bools["PhoneConversation"] = true;
        obj.Bools["UpdateClock"] = false;
        obj.Texts["OriginatorNumber"] = "0905111222";
        obj.Texts["DestinationNumber"] = "(number suppressed)";
        FakeView view(OperationPage());
        OperationPage().Refresh(obj, view);
        SCOPED_TRACE(std::to_string(r.listenAll) + std::to_string(r.analog));
        EXPECT_EQ(view.Checked(kIdListenAllCalls), r.listenAll);
        EXPECT_EQ(view.Checked(kIdAnalogCallsListen), r.analog);
        EXPECT_EQ(view.Enabled(kIdAnalogCallsListen), r.analogEnabled);
        EXPECT_TRUE(view.Checked(kIdPhoneConversation));
        EXPECT_FALSE(view.Checked(kIdAcceptPhoneCall));
        EXPECT_FALSE(view.Checked(kIdClearCall));
        EXPECT_FALSE(view.Checked(kIdUpdateClock));
        EXPECT_EQ(view.Text(kIdCallerNumber), "0905111222");
        EXPECT_EQ(view.Text(kIdCalledNumber), "(number suppressed)");
        EXPECT_TRUE(obj.Puts.empty());
    }
}

TEST(OperationPage, RefreshThatTicksListenAllAgainDisablesAnalog) {
    FakeObject obj;
    FakeView view(OperationPage());
    obj.Bools["ListenAllCalls"] = false;
    OperationPage().Refresh(obj, view);
    ASSERT_TRUE(view.Enabled(kIdAnalogCallsListen));
    // The control changed meanwhile; the next activation shows it.
    obj.Bools["ListenAllCalls"] = true;
    obj.Bools["AnalogCallsListen"] = true;
    OperationPage().Refresh(obj, view);
    EXPECT_TRUE(view.Checked(kIdListenAllCalls));
    EXPECT_TRUE(view.Checked(kIdAnalogCallsListen));
    EXPECT_FALSE(view.Enabled(kIdAnalogCallsListen));
}

TEST(OperationPage, ClickingListenAllForcesAndFreesAnalog) {
    FakeObject obj;
    obj.Bools["ListenAllCalls"] = false;
    obj.Bools["AnalogCallsListen"] = false;
    FakeView view(OperationPage());
    OperationPage().Refresh(obj, view);
    // The user ticks it: analog is ticked and locked.
    view.SetChecked(kIdListenAllCalls, true);
    OperationPage().Clicked(kIdListenAllCalls, view);
    EXPECT_TRUE(view.Checked(kIdAnalogCallsListen));
    EXPECT_FALSE(view.Enabled(kIdAnalogCallsListen));
    // Unticked: analog is free again and keeps its tick.
    view.SetChecked(kIdListenAllCalls, false);
    OperationPage().Clicked(kIdListenAllCalls, view);
    EXPECT_TRUE(view.Checked(kIdAnalogCallsListen));
    EXPECT_TRUE(view.Enabled(kIdAnalogCallsListen));
    // Other boxes have no handler of their own.
    view.SetChecked(kIdClearCall, true);
    OperationPage().Clicked(kIdClearCall, view);
    EXPECT_TRUE(view.Enabled(kIdAnalogCallsListen));
}

TEST(OperationPage, ApplyWritesPhoneConversationFirstAndTheNumbersLast) {
    FakeObject obj;
    FakeView view(OperationPage());
    OperationPage().Refresh(obj, view);
    view.SetChecked(kIdClearCall, true);
    view.SetText(kIdCallerNumber, "0905 123 456");
    OperationPage().Apply(obj, view);
    const std::vector<std::string> want{
        "PhoneConversation=False", "ClearCall=True",        "AnalogCallsListen=True",
        "ListenAllCalls=True",     "AcceptPhoneCall=False", "UpdateClock=True",
        "OriginatorNumber='0905 123 456'", "DestinationNumber='012345678'"};
    EXPECT_EQ(obj.Puts, want);
}

TEST(OperationPage, ARejectedMemberStopsTheApplyThere) {
    FakeObject obj;
    FakeView view(OperationPage());
    OperationPage().Refresh(obj, view);
    obj.Rejects = "AcceptPhoneCall";
    EXPECT_THROW(OperationPage().Apply(obj, view), Exception);
    EXPECT_EQ(obj.Puts.size(), 4u);
    EXPECT_EQ(obj.Puts.back(), "ListenAllCalls=True");
}

// ---------------------------------------------------------------- System

TEST(SystemPage, RefreshFillsTheListOnceAndShowsTheNumbersInDecimal) {
    FakeObject obj;
    obj.Ints["SpeakerBuffer"] = 5;
    obj.Ints["CalledPartyNumberByte0"] = 255;
    obj.Texts["MaxLogicalConnections"] = "2";
    FakeView view(SystemPage());
    SystemPage().Refresh(obj, view);
    SystemPage().Refresh(obj, view);
    EXPECT_EQ(view.ItemCount(kIdSpeakerBuffer), 6);
    EXPECT_EQ(view.Selected(kIdSpeakerBuffer), 5);
    EXPECT_EQ(view.C[kIdSpeakerBuffer].Items[5], "Maximum - 12xMinimum");
    EXPECT_EQ(view.Text(kIdCapiDLL), "capi2032.dll");
    EXPECT_EQ(view.Text(kIdMaximumLogicalConnections), "2");
    EXPECT_EQ(view.Text(kIdCalledByte0), "255");
    EXPECT_EQ(view.Text(kIdCallingByte0), "0");
    EXPECT_EQ(view.Text(kIdCallingByte1), "128");
    EXPECT_EQ(view.Text(kIdNumberDataBuffers), "7");
}

TEST(SystemPage, ApplyPassesTheBytesLow8BitsAndTheRestInOrder) {
    FakeObject obj;
    FakeView view(SystemPage());
    SystemPage().Refresh(obj, view);
    view.SetText(kIdCalledByte0, "300");
    view.SetText(kIdCallingByte0, "-1");
    view.SetText(kIdCallingByte1, " 12");
    view.SetText(kIdNumberDataBuffers, "70000");  // the member decides whether it fits
    view.Select(kIdSpeakerBuffer, 1);
    SystemPage().Apply(obj, view);
    const std::vector<std::string> want{"CapiDLL='capi2032.dll'",
                                        "MaxLogicalConnections='1'",
                                        "SpeakerBuffer=I4:1",
                                        "CalledPartyNumberByte0=UI1:44",
                                        "CallingPartyNumberByte0=UI1:255",
                                        "CallingPartyNumberByte1=UI1:12",
                                        "NumberDataBuffers=I4:70000"};
    EXPECT_EQ(obj.Puts, want);
}

TEST(SystemPage, NoSelectionIsWrittenAsMinusOne) {
    FakeObject obj;
    FakeView view(SystemPage());
    SystemPage().Refresh(obj, view);
    view.Select(kIdSpeakerBuffer, -1);
    SystemPage().Apply(obj, view);
    EXPECT_EQ(obj.Puts.at(2), "SpeakerBuffer=I4:-1");
}

TEST(SystemPage, AnEditThatIsNoNumberStopsTheApplyAtItsMember) {
    struct Row {
        int id;
        const char* text;
        size_t written;
    } rows[] = {
        {kIdCalledByte0, "abc", 3},
        {kIdCalledByte0, "", 3},
        {kIdCallingByte0, "12 ", 4},
        {kIdCallingByte1, "1.5", 5},
        {kIdNumberDataBuffers, "seven", 6},
    };
    for (const auto& r : rows) {
        FakeObject obj;
        FakeView view(SystemPage());
        SystemPage().Refresh(obj, view);
        view.SetText(r.id, r.text);
        try {
            SystemPage().Apply(obj, view);
            ADD_FAILURE() << r.text << " applied";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(r.text) + "' is not a valid integer value");
        }
        EXPECT_EQ(obj.Puts.size(), r.written) << r.text;
    }
}

// ---------------------------------------------------------------- Formats

TEST(FormatsPage, RefreshSelectsTheFormatsAndFillsEachListOnce) {
    FakeObject obj;
    obj.Ints["AudioFormat"] = 1;
    obj.Ints["VoiceMailPlayFormat"] = 2;
    obj.Ints["VoiceMailRecordFormat"] = 0;
    obj.Texts["PlayFileName"] = "C:\\hlas\\vitaj.wav";
    FakeView view(FormatsPage());
    for (int i = 0; i < 3; ++i) FormatsPage().Refresh(obj, view);
    EXPECT_EQ(view.ItemCount(kIdIsdnAudio), 2);
    EXPECT_EQ(view.ItemCount(kIdPlayFormat), 3);
    EXPECT_EQ(view.ItemCount(kIdRecordFormat), 3);
    EXPECT_EQ(view.Selected(kIdIsdnAudio), 1);
    EXPECT_EQ(view.Selected(kIdPlayFormat), 2);
    EXPECT_EQ(view.Selected(kIdRecordFormat), 0);
    EXPECT_EQ(view.Text(kIdPlayFileName), "C:\\hlas\\vitaj.wav");
    EXPECT_EQ(view.Text(kIdRecFileName), ".\\recorder.wav");
}

TEST(FormatsPage, ApplyWritesTheIndicesThenTheFileNames) {
    FakeObject obj;
    FakeView view(FormatsPage());
    FormatsPage().Refresh(obj, view);
    view.Select(kIdPlayFormat, 1);
    view.Select(kIdRecordFormat, -1);
    view.SetText(kIdRecFileName, "zaznam.snd");
    FormatsPage().Apply(obj, view);
    const std::vector<std::string> want{"AudioFormat=I4:0", "VoiceMailPlayFormat=I4:1",
                                        "VoiceMailRecordFormat=I4:-1", "PlayFileName='.\\player.wav'",
                                        "RecFileName='zaznam.snd'"};
    EXPECT_EQ(obj.Puts, want);
}

}  // namespace
