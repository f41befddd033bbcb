// Creates a skinned window from a skin named on the command line:
//   toolkit_skin_probe folder|garbage-zip FOLDER FILE
// A skin that cannot be built ends the process inside window creation; a
// built one prints the DPI, the window's size and the fixed height of its
// control named "probe".
#include <cstdio>
#include <string>

#include "SkinFixture.h"
#include "TestWindow.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    std::string source = argv[1];
    DuiLib::CPaintManagerUI::SetResourcePath(DosPath(argv[2]).c_str());
    static const char garbage[] = "PK\x03\x04 but nothing a zip reader wants";
    if (source == "garbage-zip") DuiLib::CPaintManagerUI::SetResourceZip(garbage, sizeof(garbage));

    std::string file = argv[3];
    TestWindow window(std::wstring(file.begin(), file.end()));
    if (!window.Create(nullptr, L"probe", WS_POPUP, 0)) return 3;
    RECT rect{};
    ::GetWindowRect(window.GetHWND(), &rect);
    DuiLib::CControlUI* probe = window.Manager().FindControl(L"probe");
    std::printf("dpi %d window %dx%d height %d\n", window.Manager().GetDPI(), int(rect.right - rect.left),
                int(rect.bottom - rect.top), probe ? probe->GetFixedHeight() : -1);
    ::DestroyWindow(window.GetHWND());
    return 0;
}
