// Zips through libzip's in-memory buffer source, PNGs through cairo.
#include "SkinFixture.h"

#include <cairo.h>
#include <zip.h>

#include <cstdio>

#include "toolkit/UIlib.h"
#include "toolkit/resources/SkinSource.h"

std::string MakeZip(const std::map<std::string, std::string>& files, const char* password) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : files) {
        zip_source_t* data = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        zip_int64_t index = zip_file_add(archive, name.c_str(), data, ZIP_FL_ENC_UTF_8);
        if (password) zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, password);
    }
    zip_close(archive);

    std::string result;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        result.resize(static_cast<size_t>(size > 0 ? size : 0));
        zip_source_read(buffer, result.data(), result.size());
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    return result;
}

namespace {

cairo_status_t AppendPng(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string MakePng(int width, int height, unsigned int argb) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* context = cairo_create(surface);
    cairo_set_source_rgba(context, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
    cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
    cairo_paint(context);
    std::string png;
    cairo_surface_write_to_png_stream(surface, &AppendPng, &png);
    cairo_destroy(context);
    cairo_surface_destroy(surface);
    return png;
}

std::wstring DosPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

ScopedSkin::ScopedSkin() { DuiLib::CSkinSource::Get().Reset(); }

ScopedSkin::ScopedSkin(const std::map<std::string, std::string>& files, const char* password) {
    DuiLib::CSkinSource::Get().Reset();
    std::wstring widePassword;
    if (password) widePassword.assign(password, password + std::char_traits<char>::length(password));
    SetArchiveBytes(MakeZip(files, password), password ? widePassword.c_str() : nullptr);
}

ScopedSkin::~ScopedSkin() {
    DuiLib::CSkinSource::Get().Reset();
    DuiLib::CResourceManager::GetInstance()->Clear();
}

void ScopedSkin::SetArchiveBytes(const std::string& bytes, const wchar_t* password) {
    m_bytes = bytes;
    DuiLib::CPaintManagerUI::SetResourceZip(m_bytes.data(), static_cast<unsigned int>(m_bytes.size()), password);
}
