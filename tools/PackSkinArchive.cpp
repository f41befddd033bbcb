#include "PackSkinArchive.h"

#include <zip.h>

#include <time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace {

struct ZipDiscard {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipDiscard>;
using ZipSource = std::unique_ptr<zip_source_t, SourceFree>;

bool ReadWholeFile(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Zip entries store local calendar time; a stamp made from a local calendar
// time converts back to the same fields in every time zone.
time_t FixedStamp() {
    struct tm fields = {};
    fields.tm_year = 2016 - 1900;
    fields.tm_mon = 0;
    fields.tm_mday = 1;
    fields.tm_hour = 12;
    fields.tm_isdst = -1;
    return mktime(&fields);
}

bool AddEntry(zip_t* zip, const SkinFile& file, time_t stamp) {
    zip_source_t* source = zip_source_buffer(zip, file.bytes.data(), file.bytes.size(), 0);
    if (!source) return false;
    zip_int64_t index = zip_file_add(zip, file.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    return zip_set_file_compression(zip, entry, ZIP_CM_DEFLATE, 9) == 0 &&
           zip_file_set_mtime(zip, entry, stamp, 0) == 0;
}

// The bytes zip_close left in the buffer source.
bool ReadSource(zip_source_t* source, std::string& bytes) {
    zip_stat_t stat;
    if (zip_source_open(source) != 0) return false;
    bool read = zip_source_stat(source, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE);
    if (read) {
        bytes.resize(static_cast<size_t>(stat.size));
        read = zip_source_read(source, bytes.data(), stat.size) == static_cast<zip_int64_t>(stat.size);
    }
    zip_source_close(source);
    return read;
}

}  // namespace

bool ReadSkinFolder(const std::string& folder, std::vector<SkinFile>& files, std::string& error) {
    files.clear();
    std::error_code failure;
    if (!fs::is_directory(folder, failure)) {
        error = folder + ": not a folder";
        return false;
    }
    fs::recursive_directory_iterator entries(folder, failure), end;
    for (; !failure && entries != end; entries.increment(failure)) {
        if (!entries->is_regular_file(failure)) continue;
        SkinFile file;
        file.name = entries->path().lexically_relative(folder).generic_string();
        if (!ReadWholeFile(entries->path(), file.bytes)) {
            error = entries->path().string() + ": cannot read";
            return false;
        }
        files.push_back(std::move(file));
    }
    if (failure) {
        error = folder + ": " + failure.message();
        return false;
    }
    if (files.empty()) {
        error = folder + ": holds no files";
        return false;
    }
    std::sort(files.begin(), files.end(), [](const SkinFile& a, const SkinFile& b) { return a.name < b.name; });
    return true;
}

bool ZipSkinFiles(const std::vector<SkinFile>& files, std::string& archive, std::string& error) {
    zip_error_t openError;
    zip_error_init(&openError);
    ZipSource buffer(zip_source_buffer_create(nullptr, 0, 0, &openError));
    ZipArchive zip(buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &openError) : nullptr);
    if (!zip) {
        error = std::string("cannot start the archive: ") + zip_error_strerror(&openError);
        zip_error_fini(&openError);
        return false;
    }
    zip_error_fini(&openError);
    // The archive takes over a reference; ours keeps the buffer past zip_close.
    zip_source_keep(buffer.get());

    const time_t stamp = FixedStamp();
    for (const SkinFile& file : files) {
        if (!AddEntry(zip.get(), file, stamp)) {
            error = file.name + ": " + zip_strerror(zip.get());
            return false;
        }
    }
    if (zip_close(zip.get()) != 0) {
        error = std::string("cannot write the archive: ") + zip_strerror(zip.get());
        return false;
    }
    zip.release();  // zip_close freed it
    if (!ReadSource(buffer.get(), archive)) {
        error = "cannot read the finished archive";
        return false;
    }
    return true;
}
