// Parsing reg.exe's command line: the operation, the key and its switches.
#include "reg/RegArguments.h"

#include "prefix/Prefix.h"
#include "reg/RegData.h"

namespace regtool {

namespace {

using wincompat::EqualNoCase;

struct RootName {
    const wchar_t* shortName;
    const wchar_t* longName;
    HKEY key;
};

const RootName kRoots[] = {
    {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
};

bool ParseKey(const std::wstring& text, RegArguments& arguments) {
    size_t slash = text.find(L'\\');
    std::wstring root = text.substr(0, slash);
    for (const RootName& name : kRoots) {
        if (!EqualNoCase(root, name.shortName) && !EqualNoCase(root, name.longName)) continue;
        arguments.root = name.key;
        arguments.rootName = name.longName;
        arguments.subKey = slash == std::wstring::npos ? std::wstring() : text.substr(slash + 1);
        while (!arguments.subKey.empty() && arguments.subKey.back() == L'\\') arguments.subKey.pop_back();
        return true;
    }
    return false;
}

bool IsSwitch(const std::wstring& argument, const wchar_t* name) {
    return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-') &&
           EqualNoCase(std::wstring_view(argument).substr(1), name);
}

// One switch at argv[i]; those with a parameter take argv[i + 1] as well.
bool ParseSwitch(int argc, char** argv, int& i, RegArguments& arguments) {
    std::wstring argument = wincompat::WideFromUtf8(argv[i]);
    bool hasNext = i + 1 < argc;
    auto next = [&] { return wincompat::WideFromUtf8(argv[++i]); };
    bool adding = arguments.operation == Operation::Add;
    if (IsSwitch(argument, L"v") && hasNext && !arguments.oneValue) {
        arguments.oneValue = true;
        arguments.valueName = next();
    } else if (IsSwitch(argument, L"ve") && !arguments.oneValue) {
        arguments.oneValue = true;
    } else if (IsSwitch(argument, L"va") && arguments.operation == Operation::Delete) {
        arguments.allValues = true;
    } else if (IsSwitch(argument, L"t") && hasNext && adding) {
        return TypeFromName(next(), arguments.type);
    } else if (IsSwitch(argument, L"d") && hasNext && adding) {
        arguments.hasData = true;
        arguments.data = next();
    } else if (IsSwitch(argument, L"s") && hasNext && adding) {
        arguments.separator = next();
    } else if (IsSwitch(argument, L"f") && arguments.operation != Operation::Query) {
        arguments.force = true;
    } else if (IsSwitch(argument, L"reg:32")) {
        arguments.view = KEY_WOW64_32KEY;
    } else if (IsSwitch(argument, L"reg:64")) {
        arguments.view = KEY_WOW64_64KEY;
    } else {
        return false;
    }
    return true;
}

}  // namespace

const char* OperationName(Operation operation) {
    switch (operation) {
        case Operation::Add: return "ADD";
        case Operation::Delete: return "DELETE";
        default: return "QUERY";
    }
}

ParseError ParseRegArguments(int argc, char** argv, RegArguments& arguments) {
    if (argc < 3) return ParseError::Syntax;
    std::wstring operation = wincompat::WideFromUtf8(argv[1]);
    if (EqualNoCase(operation, L"query")) arguments.operation = Operation::Query;
    else if (EqualNoCase(operation, L"add")) arguments.operation = Operation::Add;
    else if (EqualNoCase(operation, L"delete")) arguments.operation = Operation::Delete;
    else return ParseError::Syntax;
    for (int i = 3; i < argc; ++i)
        if (!ParseSwitch(argc, argv, i, arguments)) return ParseError::Syntax;
    if (arguments.allValues && arguments.oneValue) return ParseError::Syntax;
    if (!ParseKey(wincompat::WideFromUtf8(argv[2]), arguments)) return ParseError::KeyName;
    return ParseError::None;
}

}  // namespace regtool
