// A Windows program that reports what it sees of its own image, for tests
// that change a copy of it with the maker tools:
//   resource-probe resource TYPE NAME [null]
//       writes the resource's bytes to standard output, or "error N" with
//       the error code and exit status 2; "id:N" stands for
//       MAKEINTRESOURCEW(N); "null" passes a null module in place of
//       GetModuleHandleW(NULL)
//   resource-probe release TYPE NAME
//       reads every byte of the resource, calls FreeResource, and prints
//       "resident B1 B2 same|changed TRUE|FALSE": the bytes of the resource's
//       mapping in memory before and after the call (from /proc/self/smaps,
//       the one look past the Windows API), whether the data read afterwards
//       is what it was, and what FreeResource answered
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

// Resident bytes of the mapping that holds the address, as the kernel counts them.
long ResidentBytesAt(const void* address) {
    FILE* maps = fopen("/proc/self/smaps", "r");
    if (!maps) return -1;
    const auto at = reinterpret_cast<unsigned long>(address);
    char line[512];
    bool inside = false;
    long resident = -1;
    while (resident < 0 && fgets(line, sizeof(line), maps)) {
        unsigned long start = 0, end = 0;
        long kilobytes = 0;
        if (sscanf(line, "%lx-%lx ", &start, &end) == 2 && strchr(line, '-') < strchr(line, ' '))
            inside = start <= at && at < end;
        else if (inside && sscanf(line, "Rss: %ld kB", &kilobytes) == 1)
            resident = kilobytes * 1024;
    }
    fclose(maps);
    return resident;
}

int ReleaseResource(const std::wstring& type, const std::wstring& name) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name.c_str(), type.c_str());
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    if (!loaded) {
        printf("error %u\n", GetLastError());
        return 2;
    }
    const char* data = static_cast<const char*>(LockResource(loaded));
    const std::string before(data, SizeofResource(module, resource));
    const long residentBefore = ResidentBytesAt(data);
    const BOOL freed = FreeResource(loaded);
    const long residentAfter = ResidentBytesAt(data);
    const char* again = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const bool same = again == data && std::string(again, before.size()) == before;
    printf("resident %ld %ld %s %s\n", residentBefore, residentAfter, same ? "same" : "changed",
           freed ? "TRUE" : "FALSE");
    return 0;
}

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
    if (command == "release" && argc == 4) return ReleaseResource(Widen(argv[2]), Widen(argv[3]));
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
    fprintf(stderr, "usage: resource-probe resource TYPE NAME [null] | release TYPE NAME | markers | wait\n");
    return 1;
}
