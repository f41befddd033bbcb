#include "UnpackedSkin.h"

#include "report/ByteBuffer.h"
#include "report/ResourceLoader.h"

#include <zip.h>

#include <memory>

namespace {

struct ZipDiscard {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
struct FileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

bool ReadEntry(zip_t* zip, zip_uint64_t index, SkinEntry& entry) {
    zip_stat_t stat;
    if (zip_stat_index(zip, index, 0, &stat) != 0) return false;
    entry.name = stat.name;
    entry.compression = stat.comp_method;
    entry.modified = stat.mtime;
    std::unique_ptr<zip_file_t, FileClose> file(zip_fopen_index(zip, index, 0));
    if (!file) return false;
    entry.bytes.resize(stat.size);
    return zip_fread(file.get(), entry.bytes.data(), stat.size) == static_cast<zip_int64_t>(stat.size);
}

}  // namespace

bool UnpackSkin(const std::string& enciphered, std::vector<SkinEntry>& entries, std::string& error) {
    entries.clear();
    ByteBuffer plain;
    if (DecryptResource(reinterpret_cast<const uint8_t*>(enciphered.data()),
                        static_cast<uint32_t>(enciphered.size()), plain) != 0) {
        error = "does not decipher";
        return false;
    }
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* source = zip_source_buffer_create(plain.Data(), plain.Size(), 0, &openError);
    std::unique_ptr<zip_t, ZipDiscard> zip(source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &openError)
                                                  : nullptr);
    if (!zip) {
        error = std::string("not a zip: ") + zip_error_strerror(&openError);
        if (source) zip_source_free(source);
        zip_error_fini(&openError);
        return false;
    }
    zip_error_fini(&openError);
    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        SkinEntry entry;
        if (!ReadEntry(zip.get(), static_cast<zip_uint64_t>(index), entry)) {
            error = "entry " + std::to_string(index) + " unreadable: " + zip_strerror(zip.get());
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

const SkinEntry* FindSkinEntry(const std::vector<SkinEntry>& entries, const std::string& name) {
    for (const SkinEntry& entry : entries)
        if (entry.name == name) return &entry;
    return nullptr;
}
