// prefix-probe: run under Wine on a prefix an install left, prints what Wine's
// own implementation reads there, one tab-separated line per item:
//   link:C:\path\name.lnk  ->  link  PATH  RESULT  TARGET  ARGUMENTS  FOLDER
//   tree:C:\folder         ->  entry  PATH-BELOW  ATTRIBUTES  EVERYONE-ACCESS   (for each entry)
// Text is UTF-8; the result, attributes and access masks are hexadecimal.
#include "PrefixReading.h"

#include <objbase.h>
#include <shellapi.h>

#include <stdio.h>

#include <string>

namespace {

void Print(const std::wstring& line) {
    std::wstring text = line + L"\n";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                            nullptr);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
}

std::wstring Hex(DWORD value) {
    WCHAR text[16];
    wsprintfW(text, L"%x", value);
    return text;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) {
        Print(L"usage: prefix-probe link:PATH... tree:FOLDER...");
        return 2;
    }
    CoInitialize(nullptr);
    for (int i = 1; i < count; ++i) {
        std::wstring argument = arguments[i];
        if (argument.rfind(L"link:", 0) == 0) {
            LinkFields link = ReadLink(argument.substr(5));
            Print(L"link\t" + argument.substr(5) + L"\t" + Hex(static_cast<DWORD>(link.result)) + L"\t" + link.target +
                  L"\t" + link.arguments + L"\t" + link.folder);
        } else if (argument.rfind(L"tree:", 0) == 0) {
            for (const TreeEntry& entry : ListTree(argument.substr(5)))
                Print(L"entry\t" + entry.path + L"\t" + Hex(entry.attributes) + L"\t" + Hex(entry.everyoneAccess));
        } else {
            Print(L"unknown\t" + argument);
        }
    }
    CoUninitialize();
    LocalFree(arguments);
    fflush(stdout);
    return 0;
}
