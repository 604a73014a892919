// The link label against a fake system: which registry entries make a web
// link active, when mail is available, how addresses are stored, shown and
// opened, and when the look changes.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "capictrl/core/linklabel.h"

namespace {

using namespace vx;

class FakeSystem : public ILinkSystem {
public:
    // Keys of HKEY_CLASSES_ROOT with their default values.
    std::map<std::string, std::string> Keys;
    std::set<std::string> Libraries;
    std::vector<std::string> Opened;
    int Reads = 0;

    void RegisterWeb() {
        Keys[".html"] = "htmlfile";
        Keys[".htm"] = "htmlfile";
        Keys["htmlfile\\shell\\open\\command"] = "\"C:\\browser.exe\" \"%1\"";
    }
    bool ReadClassesDefault(const std::string& key, std::string& value) override {
        ++Reads;
        auto it = Keys.find(key);
        value = it == Keys.end() ? std::string() : it->second;
        return it != Keys.end();
    }
    bool CanLoadLibrary(const std::string& name) override { return Libraries.count(name) > 0; }
    void ShellOpen(const std::string& address) override { Opened.push_back(address); }
};

TEST(ShellOpenCommand, FollowsTheFileTypeOrTheExtensionsOwnCommand) {
    struct Row {
        std::map<std::string, std::string> keys;
        std::string want;
    } rows[] = {
        {{}, ""},
        {{{".html", "htmlfile"}, {"htmlfile\\shell\\open\\command", "browse %1"}}, "browse %1"},
        // A file type without a name: the extension's own command.
        {{{".html", ""}, {".html\\shell\\open\\command", "own %1"}}, "own %1"},
        {{{".html", "htmlfile"}}, ""},
        {{{".html", "htmlfile"}, {"htmlfile\\shell\\open\\command", ""}}, ""},
        // A named type without a command does not fall back to the extension.
        {{{".html", "htmlfile"}, {".html\\shell\\open\\command", "own %1"}}, ""},
        {{{".html", "nothing"}, {"htmlfile\\shell\\open\\command", "browse %1"}}, ""},
    };
    for (const auto& r : rows) {
        FakeSystem sys;
        sys.Keys = r.keys;
        EXPECT_EQ(GetShellOpenCommand(sys, ".html"), r.want);
    }
}

TEST(LinkHandler, WebNeedsHtmlAndHtmCommandsMailNeedsMapi) {
    FakeSystem sys;
    EXPECT_FALSE(DetectLinkHandler(sys, TmdLinkType::http));
    sys.Keys[".html"] = "htmlfile";
    sys.Keys["htmlfile\\shell\\open\\command"] = "browse %1";
    EXPECT_FALSE(DetectLinkHandler(sys, TmdLinkType::http));
    sys.Keys[".htm"] = "htmlfile";
    EXPECT_TRUE(DetectLinkHandler(sys, TmdLinkType::http));
    sys.Keys.erase(".html");
    EXPECT_FALSE(DetectLinkHandler(sys, TmdLinkType::http));

    EXPECT_FALSE(DetectLinkHandler(sys, TmdLinkType::mailto));
    sys.Libraries.insert("MAPI32.DLL");
    EXPECT_TRUE(DetectLinkHandler(sys, TmdLinkType::mailto));
}

TEST(URLLabel, NewLabelShowsTheMakersWebAddressAsLinkWhenABrowserIsThere) {
    TLabelFont font;
    font.Height = -13;
    for (bool browser : {true, false}) {
        FakeSystem sys;
        if (browser) sys.RegisterWeb();
        TmdURLLabel label(sys, font);
        EXPECT_EQ(label.URL(), kDefaultWebAddress);
        EXPECT_EQ(label.Caption(), kDefaultWebAddress);
        EXPECT_EQ(label.Hint(), kDefaultWebAddress);
        EXPECT_EQ(label.LinkType(), TmdLinkType::http);
        EXPECT_EQ(label.LabelType(), TmdLabelType::Auto);
        EXPECT_TRUE(label.URLAsHint());
        EXPECT_FALSE(label.ShowPrefix());
        EXPECT_EQ(label.HandlerFound(), browser);
        // The link font is the label's font in blue, underlined.
        TLabelFont link = font;
        link.Color = clBlue;
        link.Underline = true;
        EXPECT_EQ(label.LinkFont(), link);
        EXPECT_EQ(label.PassiveFont(), font);
        EXPECT_EQ(label.Font(), browser ? link : font);
        EXPECT_EQ(label.Cursor(), browser ? kLinkCursor : kDefaultCursor);
    }
}

TEST(URLLabel, URLTakesTheTypeFromItsTextAndDropsTheLinkPrefix) {
    struct Row {
        TmdLinkType before;
        std::string text;
        std::string url;
        TmdLinkType type;
    } rows[] = {
        {TmdLinkType::http, "mailto:jan.novak@firma.sk", "jan.novak@firma.sk", TmdLinkType::mailto},
        {TmdLinkType::mailto, "HTTP://WWW.FIRMA.SK/cennik", "WWW.FIRMA.SK/cennik", TmdLinkType::http},
        {TmdLinkType::http, "MailTo:x@y.sk", "x@y.sk", TmdLinkType::mailto},
        {TmdLinkType::http, "info@firma.sk", "info@firma.sk", TmdLinkType::mailto},
        {TmdLinkType::mailto, "www.firma.sk", "www.firma.sk", TmdLinkType::mailto},
        {TmdLinkType::mailto, "firma.sk/kontakt?kto=a@b", "firma.sk/kontakt?kto=a@b", TmdLinkType::http},
        // Only the two prefixes are dropped.
        {TmdLinkType::http, "https://firma.sk", "https://firma.sk", TmdLinkType::http},
        {TmdLinkType::http, "http:/", "http:/", TmdLinkType::http},
        {TmdLinkType::http, "http://", "", TmdLinkType::http},
    };
    for (const auto& r : rows) {
        FakeSystem sys;
        TmdURLLabel label(sys);
        label.SetLinkType(r.before);
        label.SetURL(r.text);
        EXPECT_EQ(label.URL(), r.url) << r.text;
        EXPECT_EQ(label.LinkType(), r.type) << r.text;
        EXPECT_EQ(label.Caption(), r.url) << r.text;
    }
}

TEST(URLLabel, URLsTypeChangeSearchesNoHandlerAndKeepsTheLook) {
    FakeSystem sys;
    sys.Libraries.insert("MAPI32.DLL");
    TmdURLLabel label(sys);
    ASSERT_FALSE(label.HandlerFound());
    label.SetURL("mailto:a@b.sk");
    EXPECT_EQ(label.LinkType(), TmdLinkType::mailto);
    EXPECT_FALSE(label.HandlerFound());
    EXPECT_EQ(label.Cursor(), kDefaultCursor);
    label.Click();
    EXPECT_TRUE(sys.Opened.empty());
}

TEST(URLLabel, MailLabelShowsItsAddressButOpensItWithThePrefix) {
    FakeSystem sys;
    sys.Libraries.insert("MAPI32.DLL");
    TmdURLLabel label(sys);
    label.SetLinkType(TmdLinkType::mailto);
    EXPECT_TRUE(label.HandlerFound());
    // The maker's web address became the maker's mail address.
    EXPECT_EQ(label.URL(), kDefaultMailAddress);
    EXPECT_EQ(label.Caption(), kDefaultMailAddress);
    int clicks = 0;
    label.OnClick = [&] { ++clicks; };
    label.Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sys.Opened, std::vector<std::string>{std::string("mailto:") + kDefaultMailAddress});

    label.SetShowPrefix(true);
    EXPECT_EQ(label.Caption(), std::string("mailto:") + kDefaultMailAddress);
    EXPECT_EQ(label.Hint(), label.Caption());
}

TEST(URLLabel, ChangingBackToWebRestoresTheDefaultWebAddressOnly) {
    FakeSystem sys;
    TmdURLLabel label(sys);
    label.SetLinkType(TmdLinkType::mailto);
    label.SetLinkType(TmdLinkType::http);
    EXPECT_EQ(label.URL(), kDefaultWebAddress);
    label.SetURL("obchod@firma.sk");  // mail by its "@"
    label.SetLinkType(TmdLinkType::http);
    EXPECT_EQ(label.URL(), "obchod@firma.sk");
    EXPECT_EQ(label.Address(), "http://obchod@firma.sk");
}

TEST(URLLabel, WritingTheSameLinkTypeSearchesNothing) {
    FakeSystem sys;
    TmdURLLabel label(sys);
    sys.RegisterWeb();
    int reads = sys.Reads;
    label.SetLinkType(TmdLinkType::http);
    EXPECT_EQ(sys.Reads, reads);
    EXPECT_FALSE(label.HandlerFound());
    // A new type searches again.
    label.SetLinkType(TmdLinkType::mailto);
    label.SetLinkType(TmdLinkType::http);
    EXPECT_TRUE(label.HandlerFound());
    // The look stays until the label is told its values are complete.
    EXPECT_EQ(label.Cursor(), kDefaultCursor);
    label.Loaded();
    EXPECT_EQ(label.Cursor(), kLinkCursor);
    EXPECT_TRUE(label.Font().Underline);
}

TEST(URLLabel, AWrittenCaptionStaysWhileHintAndTargetFollowTheURL) {
    FakeSystem sys;
    sys.RegisterWeb();
    TmdURLLabel label(sys);
    label.SetCaption("http://www.vestrix.sk");
    label.SetURL("www.firma.sk/linkor");
    EXPECT_EQ(label.Caption(), "http://www.vestrix.sk");
    EXPECT_EQ(label.Hint(), "www.firma.sk/linkor");
    label.Click();
    EXPECT_EQ(sys.Opened, std::vector<std::string>{"http://www.firma.sk/linkor"});
}

TEST(URLLabel, WithoutBrowserAnAutoWebLabelIsPassiveAndOnlyRunsOnClick) {
    FakeSystem sys;
    sys.Keys[".html"] = "htmlfile";
    sys.Keys["htmlfile\\shell\\open\\command"] = "browse %1";  // nothing for ".htm"
    TmdURLLabel label(sys);
    int clicks = 0;
    label.OnClick = [&] { ++clicks; };
    EXPECT_EQ(label.Font(), label.PassiveFont());
    EXPECT_EQ(label.Cursor(), kDefaultCursor);
    label.Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(sys.Opened.empty());
}

TEST(URLLabel, LinkAlwaysOpensAndPassiveNever) {
    FakeSystem sys;
    TmdURLLabel label(sys);
    label.SetLabelType(TmdLabelType::Link);
    EXPECT_EQ(label.Font(), label.LinkFont());
    EXPECT_EQ(label.Cursor(), kLinkCursor);
    label.Click();
    EXPECT_EQ(sys.Opened, std::vector<std::string>{std::string("http://") + kDefaultWebAddress});

    sys.RegisterWeb();
    sys.Opened.clear();
    FakeSystem other;
    other.RegisterWeb();
    TmdURLLabel passive(other);
    ASSERT_TRUE(passive.HandlerFound());
    passive.SetLabelType(TmdLabelType::Passive);
    EXPECT_EQ(passive.Font(), passive.PassiveFont());
    EXPECT_EQ(passive.Cursor(), kDefaultCursor);
    passive.Click();
    EXPECT_TRUE(other.Opened.empty());
}

TEST(URLLabel, FontsAreCopiedAndShownFromTheNextLookUpdate) {
    FakeSystem sys;
    TmdURLLabel label(sys);
    TLabelFont link;
    link.Height = -13;
    link.Color = clBlue;
    link.Underline = true;
    label.SetLinkFont(link);
    EXPECT_NE(label.Font(), link);
    label.SetLabelType(TmdLabelType::Link);
    EXPECT_EQ(label.Font(), link);
}

TEST(URLLabel, HintIsTheLinkTextOnlyWithURLAsHint) {
    FakeSystem sys;
    TmdURLLabel label(sys);
    label.SetURLAsHint(false);
    EXPECT_EQ(label.Hint(), "");
    label.SetURL("www.firma.sk");
    EXPECT_EQ(label.Hint(), "");
    label.SetURLAsHint(true);
    EXPECT_EQ(label.Hint(), "www.firma.sk");
}

}  // namespace
