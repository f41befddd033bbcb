// MessageBoxW as a GTK message dialog in a Windows-style modal loop, with
// Chinese button labels; without a display it only reports to standard error.
#include "user32/Desktop.h"
#include "user32/ModalLoop.h"
#include "prefix/Prefix.h"

#include <stdio.h>

#include <string>
#include <vector>

using namespace wincompat;

namespace {

struct BoxButton {
    const char* label;
    int id;
};

struct BoxLayout {
    std::vector<BoxButton> buttons;
    int cancelAnswer;  // Escape, the window manager's close, or WM_QUIT
};

BoxLayout LayoutOf(UINT type) {
    const BoxButton ok{"确定", IDOK}, cancel{"取消", IDCANCEL}, yes{"是", IDYES}, no{"否", IDNO};
    const BoxButton retry{"重试", IDRETRY}, abort{"中止", IDABORT}, ignore{"忽略", IDIGNORE};
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{ok, cancel}, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {{abort, retry, ignore}, IDABORT};
    case MB_YESNOCANCEL: return {{yes, no, cancel}, IDCANCEL};
    case MB_YESNO: return {{yes, no}, IDNO};
    case MB_RETRYCANCEL: return {{retry, cancel}, IDCANCEL};
    default: return {{ok}, IDOK};
    }
}

GtkMessageType IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONWARNING: return GTK_MESSAGE_WARNING;
    case MB_ICONINFORMATION: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
    }
}

std::wstring CaptionOf(LPCWSTR caption) { return caption ? caption : L"错误"; }

void Report(LPCWSTR text, LPCWSTR caption) {
    std::string line = Utf8FromWide(CaptionOf(caption)) + ": " + Utf8FromWide(text ? text : L"") + "\n";
    fputs(line.c_str(), stderr);
    fflush(stderr);
}

int ShowBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    BoxLayout layout = LayoutOf(type);
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, IconOf(type), GTK_BUTTONS_NONE, "%s",
                                               Utf8FromWide(text ? text : L"").c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), Utf8FromWide(CaptionOf(caption)).c_str());
    for (const BoxButton& button : layout.buttons) gtk_dialog_add_button(GTK_DIALOG(dialog), button.label, button.id);
    size_t defaultButton = (type & MB_DEFBUTTON2) ? 1 : 0;
    if (defaultButton < layout.buttons.size())
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), layout.buttons[defaultButton].id);
    int response = RunModalDialog(GTK_DIALOG(dialog), owner);
    gtk_widget_destroy(dialog);
    for (const BoxButton& button : layout.buttons)
        if (response == button.id) return response;
    return layout.cancelAnswer;
}

}  // namespace

extern "C" int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (!DesktopAvailable()) {
        Report(text, caption);
        return IDOK;
    }
    int answer = 0;
    // No modal loop inside WM_PAINT: the window would stop repainting.
    if (!RunModalOnDesktop([&] { answer = ShowBox(owner, text, caption, type); })) {
        Report(text, caption);
        return 0;
    }
    return answer;
}

extern "C" BOOL WINAPI MessageBeep(UINT type) {
    if (DesktopRunning() && OnDesktopThread()) gdk_display_beep(gdk_display_get_default());
    return TRUE;
}
