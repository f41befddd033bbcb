// SHBrowseForFolderW: GTK's folder chooser in a Windows-style modal loop.
// The caller's callback gets a message-only window of the picker's own, which
// answers BFFM_SETSELECTIONW and BFFM_ENABLEOK as the shell's picker does.
#include "shell32/FolderBrowserIdList.h"
#include "user32/ModalLoop.h"
#include "prefix/Prefix.h"

#include <objbase.h>
#include <shlobj.h>

#include <gtk/gtk.h>
#include <stdlib.h>
#include <sys/stat.h>

using namespace wincompat;

namespace {

const wchar_t kCallbackClass[] = L"WincompatFolderBrowser";
constexpr gint kDefaultWidth = 760;
constexpr gint kDefaultHeight = 520;

bool IsFolder(const std::string& unixPath) {
    struct stat info;
    return stat(unixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder's real path, so that the chooser shows "drive_c", not the drive link.
std::string UnixFolderOf(const std::wstring& dosPath) {
    std::string unixPath;
    DWORD error = 0;
    if (!DosToUnix(dosPath, unixPath, &error) || !IsFolder(unixPath)) return std::string();
    char* real = realpath(unixPath.c_str(), nullptr);
    if (!real) return unixPath;
    std::string folder = real;
    free(real);
    return folder;
}

// The root the caller gave, else the user's documents, else drive C.
std::string StartFolder(const BROWSEINFOW& info) {
    std::wstring rootPath;
    if (info.pidlRoot && DosPathFromIdList(info.pidlRoot, rootPath)) {
        if (std::string folder = UnixFolderOf(rootPath); !folder.empty()) return folder;
    }
    if (std::string folder = UnixFolderOf(L"C:\\users\\" + UserName() + L"\\Documents"); !folder.empty())
        return folder;
    return UnixFolderOf(L"C:\\");
}

std::wstring DosPathOf(GtkFileChooser* chooser) {
    gchar* chosen = gtk_file_chooser_get_filename(chooser);
    if (!chosen) return std::wstring();
    std::wstring dosPath = UnixToDos(chosen);
    g_free(chosen);
    return dosPath;
}

LRESULT CALLBACK CallbackWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<GtkDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!dialog) return DefWindowProcW(window, message, wParam, lParam);
    if (message == BFFM_SETSELECTIONW && lParam) {
        std::wstring dosPath;
        if (wParam) dosPath = reinterpret_cast<LPCWSTR>(lParam);
        else DosPathFromIdList(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), dosPath);
        std::string folder = UnixFolderOf(dosPath);
        if (!folder.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), folder.c_str());
        return TRUE;
    }
    if (message == BFFM_ENABLEOK) {
        gtk_dialog_set_response_sensitive(dialog, GTK_RESPONSE_ACCEPT, lParam != 0);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The window the caller's callback talks to, for the dialog's lifetime.
class CallbackWindow {
public:
    CallbackWindow(const BROWSEINFOW& info, GtkDialog* dialog) : info_(info) {
        if (!info.lpfn) return;
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = CallbackWindowProcedure;
        windowClass.lpszClassName = kCallbackClass;
        RegisterClassExW(&windowClass);  // fails harmlessly once registered
        window_ = CreateWindowExW(0, kCallbackClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
        g_signal_connect(dialog, "map", G_CALLBACK(OnMap), this);
        g_signal_connect(dialog, "current-folder-changed", G_CALLBACK(OnFolderChanged), this);
    }
    ~CallbackWindow() {
        if (window_) DestroyWindow(window_);
    }
    CallbackWindow(const CallbackWindow&) = delete;
    CallbackWindow& operator=(const CallbackWindow&) = delete;

private:
    static void OnMap(GtkWidget*, gpointer data) {
        auto* self = static_cast<CallbackWindow*>(data);
        self->info_.lpfn(self->window_, BFFM_INITIALIZED, 0, self->info_.lParam);
    }
    static void OnFolderChanged(GtkFileChooser* chooser, gpointer data) {
        auto* self = static_cast<CallbackWindow*>(data);
        gchar* folder = gtk_file_chooser_get_current_folder(chooser);
        PIDLIST_ABSOLUTE pidl = folder ? IdListFromDosPath(UnixToDos(folder)) : nullptr;
        g_free(folder);
        self->info_.lpfn(self->window_, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(pidl), self->info_.lParam);
        ILFree(pidl);
    }

    const BROWSEINFOW& info_;
    HWND window_ = nullptr;
};

void StoreDisplayName(const BROWSEINFOW& info, const std::wstring& dosPath) {
    if (!info.pszDisplayName) return;
    size_t slash = dosPath.find_last_of(L'\\');
    std::wstring name = slash + 1 < dosPath.size() ? dosPath.substr(slash + 1) : dosPath.substr(0, 2);
    name = name.substr(0, MAX_PATH - 1);
    name.copy(info.pszDisplayName, name.size());
    info.pszDisplayName[name.size()] = L'\0';
}

// The chooser sizes itself from its font when shown, often beyond the
// screen; ours comes after.
void OnMapResize(GtkWidget* dialog, gpointer owner) {
    gtk_window_resize(GTK_WINDOW(dialog), kDefaultWidth, kDefaultHeight);
    CentreDialog(GTK_WINDOW(dialog), static_cast<HWND>(owner), kDefaultWidth, kDefaultHeight);
}

PIDLIST_ABSOLUTE Browse(const BROWSEINFOW& info) {
    std::string title = Utf8FromWide(info.lpszTitle ? info.lpszTitle : L"浏览文件夹");
    GtkWidget* dialog = gtk_file_chooser_dialog_new(title.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
                                                    "取消", GTK_RESPONSE_CANCEL, "确定", GTK_RESPONSE_ACCEPT,
                                                    nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    g_signal_connect_after(dialog, "map", G_CALLBACK(OnMapResize), info.hwndOwner);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_create_folders(chooser, !(info.ulFlags & BIF_NONEWFOLDERBUTTON));
    if (std::string start = StartFolder(info); !start.empty())
        gtk_file_chooser_set_current_folder(chooser, start.c_str());
    PIDLIST_ABSOLUTE chosen = nullptr;
    {
        CallbackWindow callback(info, GTK_DIALOG(dialog));
        if (RunModalDialog(GTK_DIALOG(dialog), info.hwndOwner) == GTK_RESPONSE_ACCEPT) {
            std::wstring dosPath = DosPathOf(chooser);
            chosen = IdListFromDosPath(dosPath);
            if (chosen) StoreDisplayName(info, dosPath);
        }
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

}  // namespace

extern "C" PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW info) {
    if (!info) return nullptr;
    PIDLIST_ABSOLUTE chosen = nullptr;
    // Without a display (or inside WM_PAINT) there is nothing to choose with.
    RunModalOnDesktop([&] { chosen = Browse(*info); });
    return chosen;
}
