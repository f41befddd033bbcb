// A window's control tree without the window: the name index, DoInit,
// notifications, option groups, the progress range and layout.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "SkinFixture.h"
#include "toolkit/UIlib.h"

using namespace DuiLib;

namespace {

// Counts its DoInit calls; like a wizard page, builds its own sub-skin then.
class CountingPage : public CHorizontalLayoutUI {
public:
    CountingPage(std::map<std::wstring, int>& inits, IDialogBuilderCallback* callback)
        : m_inits(inits), m_callback(callback) {}
    void DoInit() override {
        ++m_inits[GetName()];
        CDialogBuilder builder;
        CControlUI* page = builder.Create(L"Page.xml", nullptr, m_callback, GetManager());
        if (page) Add(page);
    }

private:
    std::map<std::wstring, int>& m_inits;
    IDialogBuilderCallback* m_callback;
};

class CountingControl : public CControlUI {
public:
    explicit CountingControl(std::map<std::wstring, int>& inits) : m_inits(inits) {}
    void DoInit() override { ++m_inits[GetName()]; }

private:
    std::map<std::wstring, int>& m_inits;
};

class Factory : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(LPCWSTR pstrClass) override {
        std::wstring tag = pstrClass;
        if (tag == L"Page") return new CountingPage(inits, this);
        if (tag == L"Counted") return new CountingControl(inits);
        return nullptr;
    }
    std::map<std::wstring, int> inits;
};

struct Recorder : INotifyUI {
    explicit Recorder(std::vector<std::wstring>& log, std::wstring tag) : log(log), tag(std::move(tag)) {}
    void Notify(TNotifyUI& msg) override {
        log.push_back(tag + L":" + msg.sType + L":" + (msg.pSender ? msg.pSender->GetName() : L""));
    }
    std::vector<std::wstring>& log;
    std::wstring tag;
};

CControlUI* Build(CPaintManagerUI& manager, const wchar_t* xml, IDialogBuilderCallback* callback = nullptr) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(xml, nullptr, callback, &manager);
    if (root) manager.AttachDialog(root);
    return root;
}

}  // namespace

TEST(ControlTree, NamesAndDoInitReachControlsAddedDuringDoInit) {
    ScopedSkin skin(SkinFiles{{"Page.xml", "<VerticalLayout name=\"inner\"><Counted name=\"deep\"/><Edit name=\"field\"/></VerticalLayout>"}});
    Factory factory;
    CPaintManagerUI manager;
    ASSERT_NE(Build(manager, L"<TabLayout name=\"tabs\"><Page name=\"one\"/><Counted name=\"c\"/></TabLayout>", &factory), nullptr);

    EXPECT_EQ(factory.inits[L"one"], 1);
    EXPECT_EQ(factory.inits[L"c"], 1);
    EXPECT_EQ(factory.inits[L"deep"], 1);
    ASSERT_NE(manager.FindControl(L"field"), nullptr);
    EXPECT_EQ(manager.FindControl(L"field")->GetManager(), &manager);
    EXPECT_EQ(manager.FindControl(L"inner")->GetParent(), manager.FindControl(L"one"));
    EXPECT_EQ(manager.FindControl(L"Field"), nullptr);  // case counts
    EXPECT_EQ(manager.FindControl(L"absent"), nullptr);

    // Moving a subtree to another container of the same tree initialises nothing twice.
    auto* tabs = static_cast<CContainerUI*>(manager.FindControl(L"tabs"));
    auto* extra = new CountingControl(factory.inits);
    extra->SetName(L"extra");
    tabs->Add(extra);
    EXPECT_EQ(factory.inits[L"extra"], 1);
    EXPECT_EQ(manager.FindControl(L"extra"), extra);
    tabs->Remove(extra);
    EXPECT_EQ(manager.FindControl(L"extra"), nullptr);  // deleted controls leave the index
    EXPECT_EQ(factory.inits[L"deep"], 1);
}

TEST(ControlTree, RenamedControlsMoveInTheIndex) {
    CPaintManagerUI manager;
    Build(manager, L"<VerticalLayout><Label name=\"before\"/></VerticalLayout>");
    CControlUI* label = manager.FindControl(L"before");
    label->SetName(L"after");
    EXPECT_EQ(manager.FindControl(L"before"), nullptr);
    EXPECT_EQ(manager.FindControl(L"after"), label);
}

TEST(ControlTree, NotifiersHearInRegistrationOrder) {
    CPaintManagerUI manager;
    Build(manager, L"<VerticalLayout><Button name=\"b\"/></VerticalLayout>");
    std::vector<std::wstring> log;
    Recorder first(log, L"1"), second(log, L"2");
    EXPECT_TRUE(manager.AddNotifier(&first));
    EXPECT_TRUE(manager.AddNotifier(&second));
    EXPECT_FALSE(manager.AddNotifier(&first));
    static_cast<CButtonUI*>(manager.FindControl(L"b"))->Activate();
    manager.SendNotify(nullptr, L"custom", 7, 8);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"1:click:b", L"2:click:b", L"1:custom:", L"2:custom:"}));

    struct Remover : INotifyUI {
        CPaintManagerUI* manager;
        INotifyUI* other;
        void Notify(TNotifyUI&) override { manager->RemoveNotifier(other); }
    } remover;
    CPaintManagerUI quiet;
    Recorder late(log, L"late");
    remover.manager = &quiet;
    remover.other = &late;
    quiet.AddNotifier(&remover);
    quiet.AddNotifier(&late);
    log.clear();
    quiet.SendNotify(nullptr, L"x");
    EXPECT_TRUE(log.empty());  // removed while others were told: not told any more
}

TEST(ControlTree, DisabledOrHiddenButtonsDoNotActivate) {
    CPaintManagerUI manager;
    Build(manager, L"<VerticalLayout><Button name=\"off\" enabled=\"false\"/>"
                   L"<VerticalLayout visible=\"false\"><Button name=\"hidden\"/></VerticalLayout></VerticalLayout>");
    std::vector<std::wstring> log;
    Recorder recorder(log, L"n");
    manager.AddNotifier(&recorder);
    EXPECT_FALSE(static_cast<CButtonUI*>(manager.FindControl(L"off"))->Activate());
    EXPECT_FALSE(static_cast<CButtonUI*>(manager.FindControl(L"hidden"))->Activate());
    EXPECT_TRUE(log.empty());
}

class OptionRules : public ::testing::Test {
protected:
    void SetUp() override {
        Build(manager, L"<VerticalLayout>"
                       L"<Option name=\"a\" group=\"g\" selected=\"true\"/><Option name=\"b\" group=\"g\"/>"
                       L"<HorizontalLayout><Option name=\"c\" group=\"g\"/></HorizontalLayout>"
                       L"<Option name=\"lone\"/><CheckBox name=\"check\" selected=\"true\"/></VerticalLayout>");
        manager.AddNotifier(&recorder);
    }
    COptionUI* Option(const wchar_t* name) { return static_cast<COptionUI*>(manager.FindControl(name)); }

    CPaintManagerUI manager;
    std::vector<std::wstring> log;
    Recorder recorder{log, L"n"};
};

TEST_F(OptionRules, GroupMembersGiveWayQuietly) {
    Option(L"c")->Selected(true);
    EXPECT_EQ(log, std::vector<std::wstring>{L"n:selectchanged:c"});
    EXPECT_FALSE(Option(L"a")->IsSelected());
    EXPECT_FALSE(Option(L"b")->IsSelected());
    EXPECT_TRUE(Option(L"check")->IsSelected());  // another group is left alone

    log.clear();
    Option(L"c")->Selected(true);  // same state: nothing
    Option(L"c")->Selected(false);  // a grouped option losing its selection: silent
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(Option(L"c")->IsSelected());
}

TEST_F(OptionRules, LoneOptionsAndCheckBoxesTell) {
    Option(L"lone")->Selected(true);
    Option(L"check")->Selected(false);
    Option(L"check")->Selected(false);
    Option(L"lone")->Selected(false, false);  // asked not to tell
    EXPECT_EQ(log, (std::vector<std::wstring>{L"n:selectchanged:lone", L"n:selectchanged:check"}));
}

TEST_F(OptionRules, ActivateClicksFirstThenSelects) {
    Option(L"b")->Activate();
    Option(L"b")->Activate();  // a group member stays selected
    Option(L"check")->Activate();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"n:click:b", L"n:selectchanged:b", L"n:click:b", L"n:click:check",
                                              L"n:selectchanged:check"}));
    EXPECT_TRUE(Option(L"b")->IsSelected());
    EXPECT_FALSE(Option(L"a")->IsSelected());
    EXPECT_FALSE(Option(L"check")->IsSelected());
}

TEST(ControlTree, NoSelectChangedBeforeTheWindowHasANotifier) {
    CPaintManagerUI manager;
    Build(manager, L"<VerticalLayout><Option name=\"a\"/></VerticalLayout>");
    auto* option = static_cast<COptionUI*>(manager.FindControl(L"a"));
    option->Selected(true);
    EXPECT_TRUE(option->IsSelected());
    std::vector<std::wstring> log;
    Recorder recorder(log, L"n");
    manager.AddNotifier(&recorder);
    option->Selected(false);
    EXPECT_EQ(log, std::vector<std::wstring>{L"n:selectchanged:a"});
}

TEST(ControlTree, ProgressTakesOnlyNewValuesInRange) {
    CProgressUI progress;
    EXPECT_EQ(progress.GetMinValue(), 0);
    EXPECT_EQ(progress.GetMaxValue(), 100);
    progress.SetMinValue(10);
    progress.SetMaxValue(50);
    progress.SetValue(20);
    struct Case {
        int value;
        int expected;
    };
    const Case cases[] = {{20, 20}, {9, 20}, {51, 20}, {10, 10}, {50, 50}, {-1, 50}, {35, 35}};
    for (const Case& c : cases) {
        progress.SetValue(c.value);
        EXPECT_EQ(progress.GetValue(), c.expected) << c.value;
    }
}

TEST(ControlTree, LayoutFlowsFixedAndSharedSpace) {
    CPaintManagerUI manager;
    Build(manager, L"<VerticalLayout inset=\"10,10,10,10\" childpadding=\"4\">"
                   L"<Control name=\"top\" height=\"30\" padding=\"5,0,5,0\"/>"
                   L"<Control name=\"fill1\"/><Control name=\"hidden\" height=\"50\" visible=\"false\"/>"
                   L"<HorizontalLayout name=\"row\" height=\"40\">"
                   L"<Control name=\"left\" width=\"100\"/><Control name=\"right\"/>"
                   L"<Button name=\"float\" float=\"true\" pos=\"5,6,25,16\"/></HorizontalLayout>"
                   L"<Control name=\"fill2\"/></VerticalLayout>");
    manager.SetClientSize(SIZE{300, 200});
    manager.UpdateLayout();
    auto pos = [&](const wchar_t* name) {
        const RECT& r = manager.FindControl(name)->GetPos();
        return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
    };
    // 180 high inside the inset: 30 + 40 fixed, 3 gaps of 4, 98 shared by two.
    EXPECT_EQ(pos(L"top"), (std::vector<LONG>{15, 10, 285, 40}));
    EXPECT_EQ(pos(L"fill1"), (std::vector<LONG>{10, 44, 290, 93}));
    EXPECT_EQ(pos(L"row"), (std::vector<LONG>{10, 97, 290, 137}));
    EXPECT_EQ(pos(L"left"), (std::vector<LONG>{10, 97, 110, 137}));
    EXPECT_EQ(pos(L"right"), (std::vector<LONG>{110, 97, 290, 137}));
    EXPECT_EQ(pos(L"float"), (std::vector<LONG>{15, 103, 35, 113}));
    EXPECT_EQ(pos(L"fill2"), (std::vector<LONG>{10, 141, 290, 190}));

    manager.FindControl(L"hidden")->SetVisible(true);  // takes 50 + a gap from the shared space
    manager.UpdateLayout();
    EXPECT_EQ(pos(L"fill1"), (std::vector<LONG>{10, 44, 290, 66}));
}

TEST(ControlTree, TabLayoutShowsOnlyTheSelectedPage) {
    CPaintManagerUI manager;
    Build(manager, L"<TabLayout name=\"tabs\" selectedid=\"1\"><Button name=\"p0\"/><Button name=\"p1\"/><Button name=\"p2\"/></TabLayout>");
    auto* tabs = static_cast<CTabLayoutUI*>(manager.FindControl(L"tabs"));
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(manager.FindControl(L"p0")->IsVisible());
    EXPECT_TRUE(manager.FindControl(L"p1")->IsVisible());
    manager.FindControl(L"p1")->SetFocus();
    EXPECT_TRUE(tabs->SelectItem(2));
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_FALSE(manager.FindControl(L"p1")->IsVisible());
    EXPECT_TRUE(manager.FindControl(L"p2")->IsVisible());
    EXPECT_EQ(manager.GetFocus(), nullptr);  // focus left with its page
}

TEST(ControlTree, SizesScaleWithTheDisplay) {
    CPaintManagerUI manager;
    manager.SetDPI(192);
    Build(manager, L"<VerticalLayout><Label name=\"l\" height=\"30\" width=\"45\" padding=\"1,2,3,4\"/></VerticalLayout>");
    CControlUI* label = manager.FindControl(L"l");
    EXPECT_EQ(manager.GetDPI(), 192);
    EXPECT_EQ(label->GetFixedHeight(), 60);
    EXPECT_EQ(label->GetFixedWidth(), 90);
    EXPECT_EQ(label->GetPadding().bottom, 8);
    manager.SetDPI(144);
    EXPECT_EQ(label->GetFixedHeight(), 45);
    manager.SetClientSize(SIZE{400, 400});
    manager.UpdateLayout();
    EXPECT_EQ(label->GetPos().top, 3);
    EXPECT_EQ(label->GetPos().bottom, 48);
}
