#include "capictrl/core/linklabel.h"

#include "base/pascal.h"

namespace vx {

const char kDefaultWebAddress[] = "www.vestrix.sk";
const char kDefaultMailAddress[] = "linkor@vestrix.sk";

namespace {

const char kHttp[] = "http://";
const char kMailto[] = "mailto:";

const char* PrefixOf(TmdLinkType t) { return t == TmdLinkType::mailto ? kMailto : kHttp; }

}  // namespace

std::string GetShellOpenCommand(ILinkSystem& sys, const std::string& extension) {
    std::string fileType;
    if (!sys.ReadClassesDefault(extension, fileType)) return std::string();
    // A file type without a name leaves the extension's own command.
    std::string key = (fileType.empty() ? extension : fileType) + "\\shell\\open\\command";
    std::string command;
    if (!sys.ReadClassesDefault(key, command)) return std::string();
    return command;
}

bool DetectLinkHandler(ILinkSystem& sys, TmdLinkType type) {
    if (type == TmdLinkType::mailto) return sys.CanLoadLibrary("MAPI32.DLL");
    return !GetShellOpenCommand(sys, ".html").empty() && !GetShellOpenCommand(sys, ".htm").empty();
}

TmdURLLabel::TmdURLLabel(ILinkSystem& sys, const TLabelFont& font) : sys_(sys), font_(font) {
    DetectLinkHandler();
    linkFont_ = font;
    linkFont_.Color = clBlue;
    linkFont_.Underline = true;
    passiveFont_ = font;
    SetURL(kDefaultWebAddress);
    UpdateLinkLook();
    SetURLAsHint(true);
}

void TmdURLLabel::SetCaption(const std::string& text) {
    caption_ = text;
    captionSet_ = true;
}

void TmdURLLabel::SetURL(const std::string& text) {
    if (text == url_) return;
    // The type follows the text without a new search for a handler; "/"
    // is tested second and wins.
    if (Pos("@", text) > 0) linkType_ = TmdLinkType::mailto;
    if (Pos("/", text) > 0) linkType_ = TmdLinkType::http;
    std::string head = LowerCase(Copy(text, 1, 7));
    if (head == kMailto || head == kHttp)
        url_ = Copy(text, 8, static_cast<int>(text.size()));
    else
        url_ = text;
    UpdateLinkText();
}

void TmdURLLabel::SetLinkType(TmdLinkType t) {
    if (t == linkType_) return;
    linkType_ = t;
    DetectLinkHandler();
    if (t == TmdLinkType::mailto && url_ == kDefaultWebAddress) url_ = kDefaultMailAddress;
    if (t == TmdLinkType::http && url_ == kDefaultMailAddress) url_ = kDefaultWebAddress;
    UpdateLinkText();
}

void TmdURLLabel::SetLabelType(TmdLabelType t) {
    if (t == labelType_) return;
    labelType_ = t;
    UpdateLinkLook();
}

void TmdURLLabel::SetShowPrefix(bool v) {
    showPrefix_ = v;
    UpdateLinkText();
}

void TmdURLLabel::SetURLAsHint(bool v) {
    if (v == urlAsHint_) return;
    urlAsHint_ = v;
    UpdateLinkHint();
}

bool TmdURLLabel::ActsAsLink() const {
    return labelType_ == TmdLabelType::Link || (labelType_ == TmdLabelType::Auto && handlerFound_);
}

std::string TmdURLLabel::Address() const { return PrefixOf(linkType_) + url_; }

void TmdURLLabel::Click() {
    if (OnClick) OnClick();
    // The prefix goes with the address whatever the label shows.
    if (ActsAsLink()) sys_.ShellOpen(Address());
}

void TmdURLLabel::DetectLinkHandler() { handlerFound_ = vx::DetectLinkHandler(sys_, linkType_); }

void TmdURLLabel::UpdateLinkLook() {
    if (ActsAsLink()) {
        font_ = linkFont_;
        cursor_ = kLinkCursor;
    } else {
        font_ = passiveFont_;
        cursor_ = kDefaultCursor;
    }
}

void TmdURLLabel::UpdateLinkText() {
    linkText_ = showPrefix_ ? PrefixOf(linkType_) + url_ : url_;
    if (!captionSet_) caption_ = linkText_;
    UpdateLinkHint();
}

void TmdURLLabel::UpdateLinkHint() { hint_ = urlAsHint_ ? linkText_ : std::string(); }

}  // namespace vx
