// CLSID_TaskbarList: one object behind the three taskbar interfaces, in
// Windows' vtable order, whose progress reaches the launcher entry on the
// session bus when there is one, and goes nowhere, quietly, when there is not.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include "support/BackgroundProcess.h"
#include "support/TestPrefix.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>

namespace {

// Windows' slots: IUnknown 0-2, ITaskbarList 3-7, ITaskbarList2 8, ITaskbarList3 9-20.
constexpr int kSetProgressValueSlot = 9;
constexpr int kSetProgressStateSlot = 10;

using ProgressValue = HRESULT (*)(void*, HWND, ULONGLONG, ULONGLONG);
using ProgressState = HRESULT (*)(void*, HWND, TBPFLAG);

template <typename Function>
Function Slot(void* object, int index) {
    return reinterpret_cast<Function>((*static_cast<void***>(object))[index]);
}

struct LauncherUpdate {
    std::string uri;
    double progress = -1;
    bool visible = false;
    int count = 0;
};

void OnUpdate(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
              gpointer data) {
    auto* update = static_cast<LauncherUpdate*>(data);
    const gchar* uri = nullptr;
    GVariant* properties = nullptr;
    g_variant_get(parameters, "(&s@a{sv})", &uri, &properties);
    update->uri = uri;
    g_variant_lookup(properties, "progress", "d", &update->progress);
    gboolean visible = FALSE;
    g_variant_lookup(properties, "progress-visible", "b", &visible);
    update->visible = visible;
    ++update->count;
    g_variant_unref(properties);
}

class TaskbarListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ASSERT_EQ(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                   reinterpret_cast<void**>(&list_)),
                  S_OK);
    }
    void TearDown() override {
        if (list_) list_->Release();
        CoUninitialize();
    }

    ITaskbarList3* list_ = nullptr;
};

}  // namespace

TEST_F(TaskbarListTest, OneObjectAnswersForEveryTaskbarInterface) {
    for (const IID* iid : {&IID_IUnknown, &IID_ITaskbarList, &IID_ITaskbarList2, &IID_ITaskbarList3}) {
        void* other = nullptr;
        ASSERT_EQ(list_->QueryInterface(*iid, &other), S_OK);
        EXPECT_EQ(other, static_cast<void*>(list_));
        static_cast<IUnknown*>(other)->Release();
    }
    void* link = nullptr;
    EXPECT_EQ(list_->QueryInterface(IID_IPersistFile, &link), E_NOINTERFACE);
    EXPECT_EQ(link, nullptr);
    EXPECT_EQ(list_->HrInit(), S_OK);
    EXPECT_EQ(list_->SetProgressValue(nullptr, 1, 0), E_INVALIDARG) << "a total of nothing";
}

TEST_F(TaskbarListTest, WithoutASessionBusProgressGoesNowhereQuietly) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(list_->SetProgressState(nullptr, TBPF_NORMAL), S_OK);
    EXPECT_EQ(list_->SetProgressValue(nullptr, 3, 4), S_OK);
    EXPECT_EQ(list_->SetProgressState(nullptr, TBPF_NOPROGRESS), S_OK);
}

TEST_F(TaskbarListTest, ProgressReachesTheLauncherEntryOnTheSessionBus) {
    std::string daemon = FindProgram("dbus-daemon");
    if (daemon.empty()) GTEST_SKIP() << "dbus-daemon is not installed";
    std::string socket = MakeTestFolder("session-bus") + "/bus";
    std::string address = "unix:path=" + socket;
    BackgroundProcess bus({daemon, "--session", "--nofork", "--address=" + address}, socket);
    ASSERT_TRUE(bus.Running());
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);

    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GDBusConnection* listener = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    ASSERT_NE(listener, nullptr);
    LauncherUpdate update;
    guint subscription =
        g_dbus_connection_signal_subscribe(listener, nullptr, "com.canonical.Unity.LauncherEntry", "Update", nullptr,
                                           nullptr, G_DBUS_SIGNAL_FLAGS_NONE, OnUpdate, &update, nullptr);
    // Windows' vtable slots, not just our own declaration's.
    auto waitFor = [&](int count) {
        for (int turns = 0; update.count < count && turns < 500; ++turns) {
            while (g_main_context_iteration(context, FALSE)) {
            }
            Sleep(10);
        }
    };
    EXPECT_EQ(Slot<ProgressValue>(list_, kSetProgressValueSlot)(list_, nullptr, 1, 2), S_OK);
    waitFor(1);
    EXPECT_EQ(update.uri, "application://wincompat_tests.desktop");
    EXPECT_DOUBLE_EQ(update.progress, 0.5);
    EXPECT_TRUE(update.visible) << "a value shows the progress";
    int seen = update.count;
    EXPECT_EQ(Slot<ProgressState>(list_, kSetProgressStateSlot)(list_, nullptr, TBPF_NOPROGRESS), S_OK);
    waitFor(seen + 1);
    EXPECT_FALSE(update.visible);

    g_dbus_connection_signal_unsubscribe(listener, subscription);
    g_object_unref(listener);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}
