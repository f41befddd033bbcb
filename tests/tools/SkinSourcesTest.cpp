// The packed skin the installer carries: the layouts the wizard builds, the
// controls it looks up by name with the kinds it casts them to, the window
// height it folds, and every image in both scales at the size it is drawn.
#include "ToolHarness.h"
#include "UnpackedSkin.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <set>
#include <sstream>

namespace {

const std::vector<SkinEntry>& PackedSkin() {
    static const std::vector<SkinEntry> entries = [] {
        std::vector<SkinEntry> unpacked;
        std::string error;
        EXPECT_TRUE(UnpackSkin(ReadFileBytes(SKIN_ARCHIVE), unpacked, error)) << error;
        return unpacked;
    }();
    return entries;
}

bool ParseLayout(const std::string& file, pugi::xml_document& document) {
    const SkinEntry* entry = FindSkinEntry(PackedSkin(), file);
    return entry && document.load_buffer(entry->bytes.data(), entry->bytes.size());
}

const char* const kLayouts[] = {"DlgMain.xml", "Welcome.xml", "Progress.xml", "Complete.xml"};

pugi::xpath_node_set Named(const pugi::xml_node& root, const std::string& name) {
    return root.select_nodes(("descendant-or-self::*[@name='" + name + "']").c_str());
}

std::vector<int> Numbers(const std::string& list) {
    std::vector<int> numbers;
    std::stringstream stream(list);
    for (std::string item; std::getline(stream, item, ',');) numbers.push_back(std::stoi(item));
    return numbers;
}

// The root control of a layout: the one element under Window, or the
// document's element itself for a page.
pugi::xml_node RootControl(const pugi::xml_document& document) {
    pugi::xml_node top = document.document_element();
    if (std::string(top.name()) != "Window") return top;
    pugi::xml_node root;
    for (pugi::xml_node child : top.children()) {
        const std::string tag = child.name();
        if (child.type() != pugi::node_element || tag == "Font" || tag == "Default") continue;
        EXPECT_FALSE(root) << "a second root control: " << tag;
        root = child;
    }
    return root;
}

// One image a control draws: its file (or res.xml id) and where it goes.
struct ImageUse {
    std::string file;
    std::vector<int> dest;  // empty: the whole control
    bool sliced = false;    // a source part or 9-slice corners
};

// The quoted value of key='...' in an image description; empty when absent.
std::string Quoted(const std::string& value, const std::string& key) {
    const size_t start = value.find(key + "='");
    if (start == std::string::npos) return {};
    const size_t first = start + key.size() + 2;
    return value.substr(first, value.find('\'', first) - first);
}

ImageUse ParseImage(const std::string& value) {
    ImageUse use;
    use.file = value.find("file='") == std::string::npos ? value : Quoted(value, "file");
    const std::string dest = Quoted(value, "dest");
    if (!dest.empty()) use.dest = Numbers(dest);
    use.sliced = !Quoted(value, "source").empty() || !Quoted(value, "corner").empty();
    return use;
}

// Width and height from a PNG's header; zeros when it is not a PNG.
std::pair<int, int> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
    auto number = [&](size_t at) {
        int value = 0;
        for (size_t i = at; i < at + 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
        return value;
    };
    return {number(16), number(20)};
}

std::string DoubleScaleName(const std::string& file) {
    const size_t dot = file.rfind('.');
    return file.substr(0, dot) + "@2x" + file.substr(dot);
}

TEST(SkinSources, InstallerCarriesThePackedSkin) {
    const std::string archive = ReadFileBytes(SKIN_ARCHIVE);
    ASSERT_FALSE(archive.empty());
    EXPECT_EQ(SectionBytes(BuiltProgram("velmora-setup"), ".rsrc/ZIPRES/IDR_ZIPRES"), archive);
    for (const char* file : {"DlgMain.xml", "Welcome.xml", "Progress.xml", "Complete.xml", "res.xml"}) {
        pugi::xml_document document;
        EXPECT_TRUE(ParseLayout(file, document)) << file;
    }
}

TEST(SkinSources, NamedControlsHaveTheKindsTheWizardExpects) {
    const struct {
        const char* file;
        const char* tag;
        const char* name;
        std::map<std::string, std::string> attributes;
    } cases[] = {
        {"DlgMain.xml", "VerticalLayout", "layoutWelcomeBg", {}},
        {"DlgMain.xml", "VerticalLayout", "layoutProgressBg", {{"visible", "false"}}},
        {"DlgMain.xml", "VerticalLayout", "layoutCompleteBg", {{"visible", "false"}}},
        {"DlgMain.xml", "TabLayout", "stepTabLayout", {}},
        {"Welcome.xml", "Button", "btnStepInstall", {}},
        {"Welcome.xml", "CheckBox", "checkboxProtocol", {}},
        {"Welcome.xml", "Button", "btnProtocol", {}},
        {"Welcome.xml", "Button", "btnPivate", {}},
        {"Welcome.xml", "Button", "btnCustom", {}},
        {"Welcome.xml", "VerticalLayout", "layoutWelcomeBottom", {}},
        {"Welcome.xml", "Edit", "edtInstallpath", {}},
        {"Welcome.xml", "Button", "btnBrowserPath", {}},
        {"Welcome.xml", "CheckBox", "checkCreateStartmenu", {}},
        {"Welcome.xml", "CheckBox", "checkCreateDesktop", {}},
        {"Progress.xml", "Label", "labInstallingText", {}},
        {"Progress.xml", "Label", "labInstallingPosText", {}},
        {"Progress.xml", "Progress", "progInstaingPos", {{"min", "0"}, {"max", "100"}}},
        {"Progress.xml", "Label", "labInstallFailed", {{"visible", "false"}}},
        {"Complete.xml", "Button", "btnInstallComplete", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.name);
        pugi::xml_document document;
        ASSERT_TRUE(ParseLayout(c.file, document));
        const pugi::xpath_node_set found = Named(document, c.name);
        ASSERT_EQ(found.size(), 1u);
        const pugi::xml_node control = found.first().node();
        EXPECT_STREQ(control.name(), c.tag);
        for (const auto& [attribute, value] : c.attributes)
            EXPECT_EQ(control.attribute(attribute.c_str()).value(), value) << attribute;
    }
}

TEST(SkinSources, WindowHoldsTheStepsAndTheFoldingPanel) {
    pugi::xml_document main, welcome;
    ASSERT_TRUE(ParseLayout("DlgMain.xml", main));
    ASSERT_TRUE(ParseLayout("Welcome.xml", welcome));

    for (const char* background : {"layoutWelcomeBg", "layoutProgressBg", "layoutCompleteBg"}) {
        SCOPED_TRACE(background);
        const pugi::xml_node layout = Named(main, background).first().node();
        for (const char* button : {"btnMin", "btnClose"}) {
            const pugi::xpath_node_set found = Named(layout, button);
            ASSERT_EQ(found.size(), 1u) << button;
            EXPECT_STREQ(found.first().node().name(), "Button");
        }
    }
    EXPECT_EQ(Named(main, "btnMin").size(), 3u) << "a pair of buttons outside the step backgrounds";

    std::vector<std::string> pages;
    for (pugi::xml_node page : Named(main, "stepTabLayout").first().node().children()) pages.push_back(page.name());
    EXPECT_EQ(pages, (std::vector<std::string>{"WelcomeWidget", "ProgressWidget", "CompleteWidget"}));

    // Folding the panel away takes its height off the bottom of the window:
    // the window is the header over the whole welcome page, panel last.
    const pugi::xml_node page = RootControl(welcome);
    ASSERT_STREQ(page.last_child().attribute("name").value(), "layoutWelcomeBottom");
    int pageHeight = 0;
    for (pugi::xml_node part : page.children()) {
        EXPECT_GT(part.attribute("height").as_int(), 0) << "a welcome page part of no fixed height";
        pageHeight += part.attribute("height").as_int();
    }
    const std::vector<int> size = Numbers(main.document_element().attribute("size").value());
    ASSERT_EQ(size.size(), 2u);
    const int header = Named(main, "layoutWelcomeBg").first().node().attribute("height").as_int();
    EXPECT_EQ(size[1], header + pageHeight);
    EXPECT_EQ(Numbers(main.document_element().attribute("caption").value()), (std::vector<int>{0, 0, 0, header}));
}

TEST(SkinSources, EveryImageComesInBothScalesAtItsDrawnSize) {
    pugi::xml_document resources;
    ASSERT_TRUE(ParseLayout("res.xml", resources));
    std::map<std::string, std::string> ids;
    std::vector<ImageUse> uses;
    for (pugi::xml_node image : resources.document_element().children("Image")) {
        ids[image.attribute("id").value()] = image.attribute("path").value();
        uses.push_back({image.attribute("path").value(), {}, false});
    }
    for (pugi::xml_node layout : resources.document_element().children("Xml"))
        EXPECT_TRUE(FindSkinEntry(PackedSkin(), layout.attribute("path").value())) << layout.attribute("path").value();

    const std::set<std::string> imageAttributes = {
        "bkimage",       "normalimage",   "hotimage",         "pushedimage",           "disabledimage",
        "focusedimage",  "selectedimage", "selectedhotimage", "selecteddisabledimage", "foreimage"};
    for (const char* file : kLayouts) {
        pugi::xml_document document;
        ASSERT_TRUE(ParseLayout(file, document)) << file;
        for (pugi::xpath_node node : document.select_nodes("//*"))
            for (pugi::xml_attribute attribute : node.node().attributes())
                if (imageAttributes.count(attribute.name())) uses.push_back(ParseImage(attribute.value()));
    }
    ASSERT_FALSE(uses.empty());
    for (const ImageUse& use : uses) {
        SCOPED_TRACE(use.file);
        const std::string file = ids.count(use.file) ? ids[use.file] : use.file;
        const SkinEntry* single = FindSkinEntry(PackedSkin(), file);
        const SkinEntry* doubled = FindSkinEntry(PackedSkin(), DoubleScaleName(file));
        ASSERT_TRUE(single && doubled) << "missing at 1x or @2x";
        const auto [width, height] = PngSize(single->bytes);
        ASSERT_GT(width, 0);
        EXPECT_EQ(PngSize(doubled->bytes), std::make_pair(2 * width, 2 * height));
        if (use.dest.empty() || use.sliced) continue;
        ASSERT_EQ(use.dest.size(), 4u);
        EXPECT_EQ(std::make_pair(use.dest[2] - use.dest[0], use.dest[3] - use.dest[1]), std::make_pair(width, height))
            << "drawn stretched, never crisp";
    }
}

TEST(SkinSources, FontsAreDefinedAndFocusShows) {
    pugi::xml_document main;
    ASSERT_TRUE(ParseLayout("DlgMain.xml", main));
    std::set<std::string> fonts;
    int defaults = 0;
    for (pugi::xml_node font : main.document_element().children("Font")) {
        fonts.insert(font.attribute("id").value());
        EXPECT_STREQ(font.attribute("name").value(), "Noto Sans CJK SC");
        defaults += font.attribute("default").as_bool();
    }
    EXPECT_EQ(defaults, 1);

    const std::set<std::string> focusable = {"Button", "Option", "CheckBox", "Edit"};
    for (const char* file : kLayouts) {
        pugi::xml_document document;
        ASSERT_TRUE(ParseLayout(file, document)) << file;
        for (pugi::xpath_node node : document.select_nodes("//*")) {
            const pugi::xml_node control = node.node();
            SCOPED_TRACE(std::string(file) + " " + control.name() + " " + control.attribute("name").value());
            if (control.attribute("font")) {
                EXPECT_TRUE(fonts.count(control.attribute("font").value()));
            }
            if (focusable.count(control.name())) {
                EXPECT_TRUE(control.attribute("focusbordercolor"));
            }
        }
    }
}

}  // namespace
