// A Windows program that reports what it sees of its own image, for tests
// that change a copy of it with the maker tools:
//   resource-probe resource TYPE NAME [null]
//       writes the resource's bytes to standard output, or "error N" with
//       the error code and exit status 2; "id:N" stands for
//       MAKEINTRESOURCEW(N); "null" passes a null module in place of
//       GetModuleHandleW(NULL)
//   resource-probe markers
//       prints the three marker texts as the image holds them, one a line,
//       then "value X, placeholder present|gone" read from the channel
//       marker directly
//   resource-probe wait
//       runs until its standard input ends
#include <windows.h>

#include "app/ChannelMarkers.h"

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

int PrintResource(const std::wstring& type, const std::wstring& name, bool nullModule) {
    auto asId = [](const std::wstring& text) {
        return text.starts_with(L"id:") ? MAKEINTRESOURCEW(std::stoi(text.substr(3))) : text.c_str();
    };
    HMODULE module = nullModule ? nullptr : GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, asId(name), asId(type));
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    if (!loaded) {
        printf("error %u\n", GetLastError());
        return 2;
    }
    fwrite(LockResource(loaded), 1, SizeofResource(module, resource), stdout);
    FreeResource(loaded);
    return 0;
}

// Copied as the installer copies them, with their full byte counts: a
// compiler that knew the texts could turn such a copy into constants.
void PrintMarker(const char* marker, size_t bytes) {
    char copy[kApplicationMarkerBytes] = {};
    memcpy(copy, marker, bytes);
    printf("%s\n", copy);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "resource" && (argc == 4 || argc == 5))
        return PrintResource(Widen(argv[2]), Widen(argv[3]), argc == 5 && std::string(argv[4]) == "null");
    if (command == "markers") {
        PrintMarker(ApplicationMarker(), kApplicationMarkerBytes);
        PrintMarker(IdentifierMarker(), kIdentifierMarkerBytes);
        PrintMarker(ChannelMarker(), kChannelMarkerBytes);
        // Reads an optimiser could answer from the texts as built.
        const char* channel = ChannelMarker();
        printf("value %c, placeholder %s\n", channel[7], strstr(channel, "xvrnkolpaz") ? "present" : "gone");
        return 0;
    }
    if (command == "wait") {
        while (getchar() != EOF) {
        }
        return 0;
    }
    fprintf(stderr, "usage: resource-probe resource TYPE NAME [null] | markers | wait\n");
    return 1;
}
