#include "install/SevenZipLibrary.h"

namespace sevenzip {

namespace {

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
    if (module) function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

// The string functions: the library's own exports where it has them (they
// must match the allocator its SysFreeString uses), else the system's.
bool ResolveStringFunctions(HMODULE library, Library& functions) {
    HMODULE system = nullptr;
    auto resolve = [&](const char* name, auto& function) {
        if (Resolve(library, name, function)) return true;
        if (!system) system = LoadLibraryW(L"oleaut32.dll");
        return Resolve(system, name, function);
    };
    return resolve("SysAllocString", functions.SysAllocString) && resolve("SysFreeString", functions.SysFreeString) &&
           resolve("VariantClear", functions.VariantClear);
}

const Library* Load() {
    static Library functions;
    HMODULE library = LoadLibraryW(L"7z.dll");
    if (!Resolve(library, "CreateObject", functions.CreateObject)) return nullptr;
    if (!ResolveStringFunctions(library, functions)) return nullptr;
    return &functions;
}

}  // namespace

const Library* LoadLibraryFunctions() {
    static const Library* const library = Load();
    return library;
}

}  // namespace sevenzip
