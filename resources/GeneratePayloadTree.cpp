// Writes the bulky part of the sample product tree: program images, plugins,
// signature tables, translations and help pages, about 18 MB in some 500
// files that pack to about 14 MB. The content is pseudo-random but fixed:
// every file's bytes follow from its path alone, so each build packs the
// same tree. Usage: generate-payload-tree FOLDER
#include <stdint.h>
#include <stdio.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// splitmix64: small, fast and the same on every platform.
class Random {
public:
    explicit Random(const std::string& seedText) {
        for (unsigned char c : seedText) state_ = (state_ ^ c) * 0x100000001B3ull;
    }
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t bound) { return static_cast<size_t>(Next() % bound); }

private:
    uint64_t state_ = 0xCBF29CE484222325ull;
};

const char* const kWords[] = {
    "file",     "recovery", "drive",    "partition", "scan",     "deep",     "quick",    "restore", "folder",
    "photo",    "document", "archive",  "video",     "music",    "deleted",  "lost",     "format",  "sector",
    "cluster",  "volume",   "preview",  "select",    "target",   "source",   "progress", "result",  "filter",
    "size",     "date",     "type",     "name",      "path",     "found",    "missing",  "damaged", "repair",
    "export",   "save",     "open",     "cancel",    "continue", "finish",   "settings", "language", "help",
    "license",  "register", "update",   "version",   "signature", "table",   "engine",   "plugin",  "module",
    "the",      "a",        "of",       "to",        "and",      "in",       "is",       "for",     "on",
    "with",     "from",     "your",     "this",      "that",     "can",      "will",     "be",      "not",
    "all",      "when",     "after",    "before",    "while",    "only",     "each",     "every",   "more",
    "disk",     "memory",   "card",     "usb",       "camera",   "phone",    "backup",   "copy",    "move",
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::string Sentence(Random& random) {
    std::string text;
    const size_t words = 6 + random.Below(12);
    for (size_t i = 0; i < words; ++i) {
        std::string word = kWords[random.Below(kWordCount)];
        if (i == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
        text += (i ? " " : "") + word;
    }
    return text + ".";
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A program image: a PE-like header, then incompressible code and data.
std::string Image(const std::string& name, size_t size) {
    Random random(name);
    std::string bytes = "MZ";
    bytes.resize(0x80, '\0');
    bytes += "PE";
    bytes.resize(0x400, '\0');
    while (bytes.size() < size) {
        const uint64_t value = random.Next();
        for (int i = 0; i < 8 && bytes.size() < size; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
    return bytes;
}

std::string Ini(const std::string& name, size_t size) {
    Random random(name);
    std::string text = "; " + name + "\r\n[Strings]\r\n";
    for (int key = 1; text.size() < size; ++key) text += "IDS_" + std::to_string(key) + "=" + Sentence(random) + "\r\n";
    return text;
}

std::string HelpPage(const std::string& name, size_t size) {
    Random random(name);
    std::string text = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + name + "</title></head>\n<body>\n";
    while (text.size() < size) {
        text += "<h2>" + Sentence(random) + "</h2>\n<p>";
        for (int i = 0; i < 8; ++i) text += Sentence(random) + " ";
        text += "</p>\n";
    }
    return text + "</body></html>\n";
}

struct Tree {
    fs::path root;
    bool ok = true;
    void Add(const std::string& path, const std::string& bytes) { ok = WriteBytes(root / path, bytes) && ok; }
};

void AddPrograms(Tree& tree) {
    const struct {
        const char* name;
        size_t size;
    } images[] = {
        {"Pellamor.exe", 2200000},  {"Quistral.exe", 1150000}, {"Dravenko.exe", 880000},
        {"Myrtelo.exe", 610000},    {"Sorvanda.exe", 420000},  {"Tellurin.dll", 530000},
        {"Tellurin64.dll", 720000}, {"VelmoraCore.dll", 1250000}, {"RecoveryEngine.dll", 1200000},
    };
    for (const auto& image : images) tree.Add(image.name, Image(image.name, image.size));
}

void AddPlugins(Tree& tree) {
    const char* const plugins[] = {"Ntfs", "Fat", "ExFat", "Ext4", "Hfs", "Apfs", "Raid", "Photo", "Office", "Mail"};
    for (const char* plugin : plugins) {
        const std::string folder = std::string("Plugins/") + plugin + "/";
        Random random(folder);
        tree.Add(folder + plugin + ".dll", Image(folder + plugin, 120000 + random.Below(180000)));
        tree.Add(folder + "plugin.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<plugin name=\"" +
                                            std::string(plugin) + "\" version=\"1.0.1.2016\">\n  <description>" +
                                            Sentence(random) + "</description>\n</plugin>\n");
    }
}

void AddSignatures(Tree& tree) {
    for (int i = 1; i <= 290; ++i) {
        char name[64];
        snprintf(name, sizeof(name), "Data/Signatures/sig-%04d.bin", i);
        Random random(name);
        tree.Add(name, Image(name, 4000 + random.Below(9000)).substr(0x400));
    }
    for (int i = 1; i <= 50; ++i) {
        const std::string name = "Data/FileTypes/type-" + std::to_string(i) + ".def";
        tree.Add(name, Ini(name, 6000));
    }
}

void AddTexts(Tree& tree) {
    const char* const languages[] = {"ar-SA", "bg-BG", "cs-CZ", "da-DK", "el-GR", "es-ES", "et-EE", "fi-FI",
                                     "fr-FR", "he-IL", "hr-HR", "hu-HU", "it-IT", "ja-JP", "ko-KR", "lt-LT",
                                     "lv-LV", "nb-NO", "nl-NL", "pl-PL", "pt-BR", "pt-PT", "ro-RO", "ru-RU",
                                     "sk-SK", "sl-SI", "sr-SP", "sv-SE", "th-TH", "tr-TR", "uk-UA", "zh-CN",
                                     "zh-TW"};
    for (const char* language : languages) tree.Add(std::string("Languages/") + language + ".ini", Ini(language, 60000));
    const char* const helpLanguages[] = {"en-US", "zh-CN", "de-DE", "ja-JP"};
    for (const char* language : helpLanguages)
        for (int page = 1; page <= 24; ++page) {
            const std::string name = std::string("Help/") + language + "/page-" + std::to_string(page) + ".html";
            tree.Add(name, HelpPage(name, 28000));
        }
}

// The release date on every entry, so the packed tree does not depend on
// when it was built.
bool SetReleaseTimes(const fs::path& root) {
    using namespace std::chrono;
    const fs::file_time_type release =
        time_point_cast<fs::file_time_type::duration>(file_clock::from_sys(sys_seconds{sys_days{year{2026} / 12 / 1}} + seconds{9 * 3600}));
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        fs::last_write_time(entry.path(), release, error);
        if (error) return false;
    }
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    Tree tree{argv[1]};
    AddPrograms(tree);
    AddPlugins(tree);
    AddSignatures(tree);
    AddTexts(tree);
    tree.ok = SetReleaseTimes(tree.root) && tree.ok;
    if (!tree.ok) fprintf(stderr, "%s: cannot write the tree in %s\n", argv[0], argv[1]);
    return tree.ok ? 0 : 1;
}
