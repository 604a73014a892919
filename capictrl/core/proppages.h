// The Linkor control's three property pages without their windows: their
// controls with captions and places, how a refresh fills the controls from
// the edited object and how an apply writes them back. The object is
// reached late-bound, by member name, so a page edits any object with
// members of these names. Portable: the Win32 side supplies the object
// (IDispatch) and the view (the page's windows).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vx {

// The edited object's members by name. Failures (a member the object lacks,
// a value it rejects) are thrown.
class IPageObject {
public:
    virtual ~IPageObject() = default;
    virtual bool GetBool(const char* member) = 0;
    virtual std::string GetText(const char* member) = 0;
    virtual int32_t GetInt(const char* member) = 0;
    virtual void PutBool(const char* member, bool v) = 0;
    virtual void PutText(const char* member, const std::string& v) = 0;
    // A 32-bit integer.
    virtual void PutInt(const char* member, int32_t v) = 0;
    // One unsigned byte.
    virtual void PutByte(const char* member, uint8_t v) = 0;
};

// The page's controls as the user sees them, by control identifier.
class IPageView {
public:
    virtual ~IPageView() = default;
    virtual bool Checked(int id) = 0;
    virtual void SetChecked(int id, bool v) = 0;
    virtual bool Enabled(int id) = 0;
    virtual void SetEnabled(int id, bool v) = 0;
    virtual std::string Text(int id) = 0;
    virtual void SetText(int id, const std::string& v) = 0;
    virtual int ItemCount(int id) = 0;
    virtual void AddItem(int id, const std::string& item) = 0;
    // -1 when nothing is selected.
    virtual int Selected(int id) = 0;
    virtual void Select(int id, int index) = 0;
};

enum class TPageControlKind { CheckBox, Edit, ListBox, Label, GroupBox, Button };

struct TPageControl {
    int Id;
    TPageControlKind Kind;
    const char* Name;     // the component's name
    const char* Caption;  // caption of a check box, label, group box or button
    // Place in pixels at 120 pixels per inch, relative to the page.
    int Left, Top, Width, Height;
    // Entries of a list, in the order of their values.
    std::vector<const char*> Items;
};

// Control identifiers; the Help button is the same on every page.
enum : int {
    kIdHelpButton = 100,
    // "Operation"
    kIdPhoneConversation = 101,
    kIdListenAllCalls = 102,
    kIdAnalogCallsListen = 103,
    kIdAcceptPhoneCall = 104,
    kIdClearCall = 105,
    kIdUpdateClock = 106,
    kIdCallerNumber = 107,  // edCallerNumber
    kIdCalledNumber = 108,  // edCalledNumber
    kIdLabel1 = 109,
    kIdLabel2 = 110,
    // "System"
    kIdCapiDLL = 201,
    kIdMaximumLogicalConnections = 202,
    kIdNumberDataBuffers = 203,
    kIdSpeakerBuffer = 204,  // ListBox1
    kIdCalledByte0 = 205,
    kIdCallingByte0 = 206,
    kIdCallingByte1 = 207,
    kIdSystemLabel0 = 210,  // labels 210 to 216, in the order of the controls above
    // "Formats"
    kIdIsdnAudio = 301,
    kIdPlayFormat = 302,
    kIdRecordFormat = 303,
    kIdPlayFileName = 304,
    kIdRecFileName = 305,
    kIdGroupBox1 = 306,
    kIdFormatsLabel0 = 310,  // labels 310 to 314, in the order of the controls above
};

class TLinkorPage {
public:
    virtual ~TLinkorPage() = default;
    const char* ClassName = "";  // the page's class, named in its registration
    const char* Title = "";      // the form's caption
    uint16_t HelpContext = 0;    // of its Help button
    int Width = 469;             // pixels at 120 pixels per inch
    int Height = 456;
    std::vector<TPageControl> Controls;

    const TPageControl* Control(int id) const;

    // Fills the controls from the object.
    virtual void Refresh(IPageObject& obj, IPageView& view) const = 0;
    // Writes the controls to the object, member by member; a failure stops
    // it, and what was written before stays written.
    virtual void Apply(IPageObject& obj, IPageView& view) const = 0;
    // A check box's tick changed, by a click or by the page itself.
    virtual void Clicked(int id, IPageView& view) const {}

protected:
    // Adds a list's entries unless it holds them already.
    void FillList(int id, IPageView& view) const;
    // Ticks a check box; a changed tick runs the box's click handler, as a
    // click would.
    void Tick(int id, bool v, IPageView& view) const;
};

const TLinkorPage& OperationPage();
const TLinkorPage& SystemPage();
const TLinkorPage& FormatsPage();

}  // namespace vx
