// Registry records in one comparable form: full key names
// ("HKEY_LOCAL_MACHINE\Software\...") with their values, read from the
// prefix's hives as wincompat keeps them, or from a .reg file Wine exported.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct RegistryRecord {
    std::wstring name;        // empty: the default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;   // string types as UTF-16LE, as Windows stores them
};

// Keys by their full name in upper case; each keeps its spelling in `key`.
struct RegistryKeyRecords {
    std::wstring key;
    std::vector<RegistryRecord> values;
};
using RegistryRecords = std::map<std::wstring, RegistryKeyRecords>;

std::wstring UpperCase(std::wstring text);

// Every key of the prefix's two hives that holds values.
RegistryRecords ReadPrefixRecords(const std::string& prefix);

// The keys of a file `reg export` wrote (UTF-16LE with a byte order mark).
RegistryRecords ParseRegExport(const std::string& bytes);

// The value in the form `reg export` writes it, for messages.
std::string DescribeRecord(const RegistryRecord& value);
