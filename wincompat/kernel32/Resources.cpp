// Resources of the main image. Each one is a non-allocated section
// ".rsrc/TYPE/NAME" of the executable (see ResourceSectionName.h), so it can
// be replaced after the build without relinking. On first use the section
// table of /proc/self/exe is read and every resource mapped; the mappings
// stay for the life of the process, as a loaded image's resources do.
// FreeResource gives the resident pages back, as Windows trims an image's
// pages from the working set: the mapping is private and never written, so a
// later read brings the same bytes back from the file.
#include <windows.h>

#include "kernel32/ElfSections.h"
#include "kernel32/ResourcePages.h"
#include "kernel32/ResourceSectionName.h"
#include "prefix/Prefix.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace wincompat {

namespace {

struct Resource {
    std::wstring type;
    std::wstring name;
    const BYTE* data = nullptr;
    DWORD size = 0;
    void* mapping = nullptr;  // page-aligned start of the mapping holding data; null for an empty resource
    size_t mappingLength = 0;
};

// Answers LoadResource for an empty resource, which must not look like failure.
const BYTE kEmptyResource[1] = {};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Maps [offset, offset + size) of the file read-only into the resource;
// false on failure.
bool MapRange(int fd, uint64_t offset, uint64_t size, Resource& resource) {
    resource.size = static_cast<DWORD>(size);
    if (size == 0) {
        resource.data = kEmptyResource;
        return true;
    }
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    const uint64_t start = offset - offset % page;
    const size_t length = size + (offset - start);
    void* mapping = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(start));
    if (mapping == MAP_FAILED) return false;
    resource.data = static_cast<const BYTE*>(mapping) + (offset - start);
    resource.mapping = mapping;
    resource.mappingLength = length;
    return true;
}

// Integer ids are written "#123", as Windows accepts them in text form;
// leading zeros are dropped so that "#0123" and "#123" agree.
std::wstring CanonicalKey(std::wstring key) {
    if (key.size() < 2 || key[0] != L'#' || key.find_first_not_of(L"0123456789", 1) != std::wstring::npos) return key;
    unsigned long id = 0;
    for (size_t i = 1; i < key.size(); ++i) {
        id = id * 10 + static_cast<unsigned long>(key[i] - L'0');
        if (id > 0xFFFF) return key;
    }
    return L"#" + std::to_wstring(id);
}

std::vector<Resource> LoadImageResources() {
    std::vector<Resource> resources;
    FileDescriptor image(open("/proc/self/exe", O_RDONLY | O_CLOEXEC));
    std::vector<ElfSection> sections;
    if (image.get() < 0 || !ReadElfSections(image.get(), sections, nullptr)) return resources;
    for (const auto& section : sections) {
        std::string_view type, name;
        if (!SplitResourceSectionName(section.name, type, name) || section.size > 0xFFFFFFFFu) continue;
        Resource resource{CanonicalKey(WideFromUtf8(type)), CanonicalKey(WideFromUtf8(name))};
        if (MapRange(image.get(), section.offset, section.size, resource)) resources.push_back(std::move(resource));
    }
    return resources;
}

const std::vector<Resource>& ImageResources() {
    static const std::vector<Resource> resources = LoadImageResources();
    return resources;
}

// A name or type argument, which is either text or MAKEINTRESOURCEW(id).
std::wstring ResourceKey(LPCWSTR id) {
    if (IS_INTRESOURCE(id)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(id));
    return CanonicalKey(id);
}

bool IsMainImage(HMODULE module) { return !module || module == GetModuleHandleW(nullptr); }

const Resource* FindImageResource(LPCWSTR name, LPCWSTR type, DWORD& error) {
    const auto& resources = ImageResources();
    if (resources.empty()) {
        error = ERROR_RESOURCE_DATA_NOT_FOUND;
        return nullptr;
    }
    const std::wstring typeKey = ResourceKey(type);
    const std::wstring nameKey = ResourceKey(name);
    error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    for (const auto& resource : resources) {
        if (!EqualNoCase(resource.type, typeKey)) continue;
        if (EqualNoCase(resource.name, nameKey)) return &resource;
        error = ERROR_RESOURCE_NAME_NOT_FOUND;
    }
    return nullptr;
}

const Resource* FromHandle(HRSRC handle) { return reinterpret_cast<const Resource*>(handle); }

// The mapped resource whose loaded data this is; null for any other pointer.
const Resource* MappedResourceOfData(HGLOBAL data) {
    for (const auto& resource : ImageResources())
        if (resource.mapping && resource.data == data) return &resource;
    return nullptr;
}

}  // namespace

bool DropResourcePages(const void* address, size_t size) {
    const BYTE* first = static_cast<const BYTE*>(address);
    for (const auto& resource : ImageResources()) {
        if (!resource.mapping) continue;
        const BYTE* start = static_cast<const BYTE*>(resource.mapping);
        const BYTE* end = start + resource.mappingLength;
        if (first < start || first >= end || size > static_cast<size_t>(end - first)) continue;
        // Whole pages: the mapping starts on a page boundary and owns its last page whole.
        const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
        const uintptr_t from = reinterpret_cast<uintptr_t>(first) & ~(page - 1);
        const uintptr_t to = reinterpret_cast<uintptr_t>(first) + (size ? size : 1);
        const uintptr_t last = (to + page - 1) & ~(page - 1);
        return madvise(reinterpret_cast<void*>(from), last - from, MADV_DONTNEED) == 0;
    }
    return false;
}

}  // namespace wincompat

using namespace wincompat;

extern "C" HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    DWORD error = ERROR_RESOURCE_DATA_NOT_FOUND;
    const Resource* resource = IsMainImage(module) ? FindImageResource(name, type, error) : nullptr;
    if (!resource) SetLastError(error);
    return reinterpret_cast<HRSRC>(const_cast<Resource*>(resource));
}

extern "C" HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return const_cast<BYTE*>(FromHandle(resource)->data);
}

extern "C" DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return FromHandle(resource)->size;
}

// Loaded resource data is the mapped bytes themselves.
extern "C" LPVOID WINAPI LockResource(HGLOBAL resourceData) { return resourceData; }

// The data stays valid, as the image's resources do on Windows, which answers
// FALSE here too; only the pages that were read are dropped from memory.
extern "C" BOOL WINAPI FreeResource(HGLOBAL resourceData) {
    const Resource* resource = resourceData ? MappedResourceOfData(resourceData) : nullptr;
    if (resource) madvise(resource->mapping, resource->mappingLength, MADV_DONTNEED);
    return FALSE;
}
