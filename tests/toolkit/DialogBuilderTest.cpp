// The dialog builder: tags to controls, the callback for other tags, the
// <Window> settings, default attribute lists, and every way a build fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinFixture.h"
#include "toolkit/UIlib.h"

using namespace DuiLib;

namespace {

class RecordingCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(LPCWSTR pstrClass) override {
        asked.push_back(pstrClass);
        if (std::wstring(pstrClass) == L"PageWidget") return new CHorizontalLayoutUI();
        return nullptr;
    }
    std::vector<std::wstring> asked;
};

}  // namespace

TEST(DialogBuilder, BuiltInTagsMakeTheirControls) {
    struct Case {
        const wchar_t* tag;
        const wchar_t* className;
        const wchar_t* interfaceName;
    };
    const Case cases[] = {
        {L"Control", L"ControlUI", L"Control"},
        {L"Container", L"ContainerUI", L"Container"},
        {L"VerticalLayout", L"VerticalLayoutUI", L"VerticalLayout"},
        {L"HorizontalLayout", L"HorizontalLayoutUI", L"HorizontalLayout"},
        {L"TabLayout", L"TabLayoutUI", L"TabLayout"},
        {L"Label", L"LabelUI", L"Label"},
        {L"Text", L"TextUI", L"Text"},
        {L"Button", L"ButtonUI", L"Button"},
        {L"Option", L"OptionUI", L"Option"},
        {L"CheckBox", L"CheckBoxUI", L"CheckBox"},
        {L"Edit", L"EditUI", L"Edit"},
        {L"Progress", L"ProgressUI", L"Progress"},
    };
    for (const Case& c : cases) {
        std::wstring xml = std::wstring(L"<") + c.tag + L" name=\"x\"/>";
        CDialogBuilder builder;
        CControlUI* control = builder.Create(xml.c_str());
        ASSERT_NE(control, nullptr) << c.tag;
        EXPECT_EQ(control->GetClass(), c.className);
        EXPECT_EQ(control->GetInterface(c.interfaceName), control) << c.tag;
        EXPECT_EQ(control->GetName(), L"x");
        delete control;
    }
}

TEST(DialogBuilder, OtherTagsGoToTheCallback) {
    RecordingCallback callback;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<VerticalLayout><PageWidget name=\"page\"><Button/></PageWidget></VerticalLayout>",
                                      nullptr, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(callback.asked, std::vector<std::wstring>{L"PageWidget"});
    auto* layout = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    ASSERT_EQ(layout->GetCount(), 1);
    auto* page = static_cast<CContainerUI*>(layout->GetItemAt(0)->GetInterface(L"HorizontalLayout"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetName(), L"page");
    EXPECT_EQ(page->GetCount(), 1);
    EXPECT_EQ(page->GetParent(), root);
    delete root;
}

TEST(DialogBuilder, FailsAsAWholeOnAnyFault) {
    ScopedSkin skin(SkinFiles{{"Good.xml", "<Label/>"}});
    struct Case {
        const wchar_t* xml;
        const char* why;
    };
    const Case cases[] = {
        {L"<VerticalLayout><Unknown/></VerticalLayout>", "a tag nobody can create"},
        {L"<VerticalLayout><Label></VerticalLayout>", "invalid XML"},
        {L"Missing.xml", "a file the skin does not have"},
        {L"<Window size=\"10,10\"><Font id=\"0\"/></Window>", "a window without a control"},
        {L"<Window><Label/><Label/></Window>", "a window with two root controls"},
        {L"<Label><Button/></Label>", "children under a control that holds none"},
        {L"", "no name at all"},
    };
    RecordingCallback callback;
    for (const Case& c : cases) {
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(c.xml, nullptr, &callback), nullptr) << c.why;
    }
    CDialogBuilder builder;
    CControlUI* good = builder.Create(L"Good.xml");
    EXPECT_NE(good, nullptr);
    delete good;
}

TEST(DialogBuilder, WindowSettingsReachTheManager) {
    ScopedSkin skin(SkinFiles{{"Main.xml",
                      "<Window size=\"600,400\" caption=\"0,0,0,40\" mininfo=\"300,200\">"
                      "<Font id=\"0\" name=\"Noto Sans CJK SC\" size=\"13\"/>"
                      "<Font id=\"1\" name=\"Noto Sans CJK SC\" size=\"20\" bold=\"true\" default=\"true\"/>"
                      "<Default name=\"Button\" value=\"text=&quot;默认&quot; width=&quot;80&quot;\"/>"
                      "<VerticalLayout><Button name=\"a\"/><Button name=\"b\" text=\"自己的\"/></VerticalLayout>"
                      "</Window>"}});
    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"Main.xml", nullptr, nullptr, &manager);
    ASSERT_NE(root, nullptr);
    manager.AttachDialog(root);
    EXPECT_EQ(manager.GetInitSize().cx, 600);
    EXPECT_EQ(manager.GetInitSize().cy, 400);
    EXPECT_EQ(manager.GetMinInfo().cx, 300);
    EXPECT_EQ(manager.GetFont(-1).iSize, 20);  // the one marked default
    EXPECT_TRUE(manager.GetFont(-1).bBold);
    EXPECT_EQ(manager.GetFont(0).iSize, 13);
    // The default list comes first; the element's own attributes win.
    EXPECT_EQ(manager.FindControl(L"a")->GetText(), L"默认");
    EXPECT_EQ(manager.FindControl(L"a")->GetFixedWidth(), 80);
    EXPECT_EQ(manager.FindControl(L"b")->GetText(), L"自己的");
    EXPECT_EQ(manager.FindControl(L"b")->GetFixedWidth(), 80);
}

TEST(DialogBuilder, PageSkinsHaveAControlAsRoot) {
    ScopedSkin skin(SkinFiles{{"Page.xml", "<VerticalLayout name=\"page\"><Edit name=\"path\"/></VerticalLayout>"}});
    CPaintManagerUI manager;
    auto* parent = new CVerticalLayoutUI();
    manager.AttachDialog(parent);
    CDialogBuilder builder;
    CControlUI* page = builder.Create(L"Page.xml", nullptr, nullptr, &manager, parent);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetName(), L"page");
    EXPECT_EQ(parent->GetItemAt(0), page);  // a container parent takes it in
    EXPECT_FALSE(parent->Add(page));        // and only once
    EXPECT_EQ(manager.FindControl(L"path")->GetClass(), L"EditUI");
}

TEST(DialogBuilder, ResourceListNamesFilesAndImages) {
    ScopedSkin skin(SkinFiles{{"res.xml", "<Res><Image id=\"logo\" path=\"img/logo.png\"/><Xml id=\"main\" path=\"ui/Main.xml\"/></Res>"},
                     {"ui/Main.xml", "<Label name=\"fromList\"/>"}});
    CResourceManager* resources = CResourceManager::GetInstance();
    ASSERT_TRUE(resources->LoadResource(L"res.xml"));
    EXPECT_EQ(resources->GetImagePath(L"logo"), L"img/logo.png");
    EXPECT_EQ(resources->GetXmlPath(L"main"), L"ui/Main.xml");
    EXPECT_EQ(resources->GetImagePath(L"nothing"), L"");
    CDialogBuilder builder;
    CControlUI* control = builder.Create(L"main");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetName(), L"fromList");
    delete control;
    EXPECT_FALSE(resources->LoadResource(L"ui/Main.xml"));  // not a resource list
}

TEST(DialogBuilder, AttributeValues) {
    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<HorizontalLayout inset=\"1,2,3,4\" childpadding=\"5\">"
        L"<Label name=\"l\" bkcolor=\"#112233\" bkcolor2=\"#80445566\" align=\"right,bottom\" visible=\"false\"/>"
        L"<Button name=\"b\" pos=\"10,20,40,60\" float=\"true\" enabled=\"false\" tabstop=\"false\"/>"
        L"<Progress name=\"p\" min=\"10\" max=\"20\" value=\"15\"/>"
        L"</HorizontalLayout>",
        nullptr, nullptr, &manager);
    ASSERT_NE(root, nullptr);
    manager.AttachDialog(root);
    auto* label = static_cast<CLabelUI*>(manager.FindControl(L"l"));
    EXPECT_EQ(label->GetBkColor(), 0xFF112233u);
    EXPECT_EQ(label->GetTextStyle() & (UITEXT_HMASK | UITEXT_VMASK), UITEXT_RIGHT | UITEXT_BOTTOM);
    EXPECT_FALSE(label->IsVisible());
    CControlUI* button = manager.FindControl(L"b");
    EXPECT_TRUE(button->IsFloat());
    EXPECT_EQ(button->GetFixedWidth(), 30);
    EXPECT_EQ(button->GetFixedHeight(), 40);
    EXPECT_FALSE(button->IsEnabled());
    EXPECT_FALSE(button->IsTabStop());
    auto* progress = static_cast<CProgressUI*>(manager.FindControl(L"p"));
    EXPECT_EQ(progress->GetMinValue(), 10);
    EXPECT_EQ(progress->GetMaxValue(), 20);
    EXPECT_EQ(progress->GetValue(), 15);
    auto* layout = static_cast<CContainerUI*>(root);
    EXPECT_EQ(layout->GetInset().bottom, 4);
    EXPECT_EQ(layout->GetChildPadding(), 5);
}
