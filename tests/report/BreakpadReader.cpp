#include "report/BreakpadReader.h"

#include "support/ProcessRunner.h"

#include <unistd.h>

#include <filesystem>
#include <sstream>

#ifndef TEST_TOOLS_DIR
#define TEST_TOOLS_DIR ""
#endif

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '|')) fields.push_back(field);
    if (!line.empty() && line.back() == '|') fields.push_back("");
    return fields;
}

// Places the program's symbol file where minidump_stackwalk looks for it:
// STORE/<name>/<id>/<name>.sym, from its first line "MODULE Linux x86_64 <id> <name>".
bool StoreSymbols(const std::string& program, const std::string& store) {
    ProcessResult symbols = RunProcess({BreakpadToolsFolder() + "/dump_syms", program}, {}, 120);
    if (symbols.exitCode != 0) return false;
    std::istringstream first(symbols.output.substr(0, symbols.output.find('\n')));
    std::string word, system, architecture, id, name;
    first >> word >> system >> architecture >> id >> name;
    if (word != "MODULE" || id.empty() || name.empty()) return false;
    fs::path folder = fs::path(store) / name / id;
    fs::create_directories(folder);
    WriteWholeFile((folder / (name + ".sym")).string(), symbols.output);
    return true;
}

void ReadStackwalkOutput(StackwalkReading* reading) {
    std::istringstream lines(reading->output);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields = Fields(line);
        if (fields.size() >= 4 && fields[0] == "Crash") {
            reading->crashReason = fields[1];
            reading->crashThread = atoi(fields[3].c_str());
        } else if (fields.size() >= 2 && fields[0] == "Module") {
            reading->modules.push_back(fields[1]);
        } else if (fields.size() >= 4 && !fields[0].empty() && isdigit(static_cast<unsigned char>(fields[0][0])) &&
                   reading->crashThread >= 0 && atoi(fields[0].c_str()) == reading->crashThread &&
                   !fields[3].empty()) {
            reading->crashThreadFunctions.push_back(fields[3]);
        }
    }
}

}  // namespace

std::string BreakpadToolsFolder() {
    std::string folder = std::string(TEST_TOOLS_DIR) + "/node_modules/minidump/bin/linux-x64";
    return access((folder + "/minidump_stackwalk").c_str(), X_OK) == 0 ? folder : std::string();
}

StackwalkReading WalkDump(const std::string& dumpPath, const std::string& program) {
    StackwalkReading reading;
    std::string store = dumpPath + ".symbols";
    if (!StoreSymbols(program, store)) {
        reading.output = "dump_syms could not write the symbols of " + program;
        return reading;
    }
    ProcessResult walk = RunProcess({BreakpadToolsFolder() + "/minidump_stackwalk", "-m", dumpPath, store}, {}, 120);
    reading.exitCode = walk.exitCode;
    reading.output = walk.output;
    ReadStackwalkOutput(&reading);
    return reading;
}

DumpListing ListDump(const std::string& dumpPath) {
    ProcessResult listing = RunProcess({BreakpadToolsFolder() + "/minidump_dump", dumpPath}, {}, 120);
    return {listing.exitCode, listing.output + listing.errors};
}
