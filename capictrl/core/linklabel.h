// TmdURLLabel: a text label that knows a web or mail address, looks like a
// link when something on the system can open that kind of address, and
// opens it through the shell when clicked. This is the label's behaviour
// without its window; the Win32 side shows Caption in Font with Cursor and
// calls Click. Portable: the registry, the mail library and the shell are
// reached through ILinkSystem.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace vx {

enum class TmdLabelType { Auto, Passive, Link };
enum class TmdLinkType { http, mailto };

// What the label needs of the system.
class ILinkSystem {
public:
    virtual ~ILinkSystem() = default;
    // Default value of a key under HKEY_CLASSES_ROOT (path without leading
    // backslash). False when the key does not exist; a key without a
    // default value gives true and an empty text.
    virtual bool ReadClassesDefault(const std::string& key, std::string& value) = 0;
    // Whether the library loads; it is freed again at once.
    virtual bool CanLoadLibrary(const std::string& name) = 0;
    // The shell's "open" operation on the address; failures are not reported.
    virtual void ShellOpen(const std::string& address) = 0;
};

// The command line registered to open files of that extension (".html"),
// or empty.
std::string GetShellOpenCommand(ILinkSystem& sys, const std::string& extension);

// Whether a program that opens this kind of address is there: for web
// addresses an open command for ".html" and ".htm", for mail the simple-MAPI
// library "MAPI32.DLL".
bool DetectLinkHandler(ILinkSystem& sys, TmdLinkType type);

// Colours as the class library keeps them: 0x00BBGGRR, or a system colour.
constexpr uint32_t clBlue = 0x00FF0000;
constexpr uint32_t clGreen = 0x00008000;
constexpr uint32_t clWindowText = 0x80000008;  // the system's window text colour

struct TLabelFont {
    std::string Name = "MS Sans Serif";
    int Height = -11;  // pixels at the designed resolution; negative: character height
    uint32_t Color = clWindowText;
    bool Bold = false;
    bool Underline = false;
    bool operator==(const TLabelFont& o) const {
        return Name == o.Name && Height == o.Height && Color == o.Color && Bold == o.Bold && Underline == o.Underline;
    }
    bool operator!=(const TLabelFont& o) const { return !(*this == o); }
};

// The hand cursor's number in the cursor table and among the file's
// resources; 0 is the default cursor.
constexpr int kLinkCursor = 8888;
constexpr int kDefaultCursor = 0;

// The maker's addresses.
extern const char kDefaultWebAddress[];
extern const char kDefaultMailAddress[];

class TmdURLLabel {
public:
    // `font` is the label's own font at creation; both look fonts start as
    // copies of it.
    TmdURLLabel(ILinkSystem& sys, const TLabelFont& font = TLabelFont());

    const std::string& Caption() const { return caption_; }
    // From now on the link text no longer replaces the caption.
    void SetCaption(const std::string& text);

    const std::string& URL() const { return url_; }
    void SetURL(const std::string& text);

    TmdLinkType LinkType() const { return linkType_; }
    void SetLinkType(TmdLinkType t);

    TmdLabelType LabelType() const { return labelType_; }
    void SetLabelType(TmdLabelType t);

    bool ShowPrefix() const { return showPrefix_; }
    void SetShowPrefix(bool v);

    bool URLAsHint() const { return urlAsHint_; }
    void SetURLAsHint(bool v);

    // Copied into the label's own fonts; shown from the next look update on.
    const TLabelFont& LinkFont() const { return linkFont_; }
    void SetLinkFont(const TLabelFont& f) { linkFont_ = f; }
    const TLabelFont& PassiveFont() const { return passiveFont_; }
    void SetPassiveFont(const TLabelFont& f) { passiveFont_ = f; }

    // After a form has given the label its stored values: the look follows
    // the link type that the label ended up with.
    void Loaded() { UpdateLinkLook(); }

    const std::string& Hint() const { return hint_; }
    bool HandlerFound() const { return handlerFound_; }
    // The look now: font and cursor.
    const TLabelFont& Font() const { return font_; }
    int Cursor() const { return cursor_; }

    // Link always, Passive never, Auto when a handler was found.
    bool ActsAsLink() const;
    // The address a click opens: the link type's prefix and URL.
    std::string Address() const;

    std::function<void()> OnClick;
    // Runs OnClick, then opens the address when the label acts as a link.
    void Click();

private:
    void DetectLinkHandler();
    void UpdateLinkLook();
    void UpdateLinkText();
    void UpdateLinkHint();

    ILinkSystem& sys_;
    TLabelFont linkFont_;
    TLabelFont passiveFont_;
    TLabelFont font_;
    int cursor_ = kDefaultCursor;
    std::string caption_;
    std::string url_;
    std::string linkText_;
    std::string hint_;
    bool showPrefix_ = false;
    bool captionSet_ = false;
    bool urlAsHint_ = false;
    bool handlerFound_ = false;
    TmdLabelType labelType_ = TmdLabelType::Auto;
    TmdLinkType linkType_ = TmdLinkType::http;
};

}  // namespace vx
