#include "report/ResourceLoader.h"

#include "BuildConfig.h"

#include <windows.h>

#include <cryptopp/aes.h>
#include <cryptopp/filters.h>
#include <cryptopp/modes.h>

#include <stdio.h>

#include <vector>

namespace {

// Built at run time from constants, so the key never sits whole in the image's data.
void BuildSkinKey(CryptoPP::byte (&key)[32], CryptoPP::byte (&iv)[16]) {
    static const CryptoPP::byte kKey[32] = {VELMORA_SKIN_KEY_BYTES};
    static const CryptoPP::byte kIv[16] = {VELMORA_SKIN_IV_BYTES};
    for (size_t i = 0; i < sizeof(key); ++i) key[i] = kKey[i];
    for (size_t i = 0; i < sizeof(iv); ++i) iv[i] = kIv[i];
}

}  // namespace

int DecryptResource(const uint8_t* bytes, uint32_t count, ByteBuffer& buffer) {
    if (!bytes || count == 0) return -1;
    CryptoPP::byte key[32], iv[16];
    BuildSkinKey(key, iv);
    std::vector<CryptoPP::byte> input(bytes, bytes + count);
    std::vector<CryptoPP::byte> output(count);
    size_t produced = 0;
    try {
        CryptoPP::CFB_Mode<CryptoPP::AES>::Decryption decryption(key, sizeof(key), iv);
        auto* sink = new CryptoPP::ArraySink(output.data(), output.size());
        CryptoPP::StringSource source(input.data(), input.size(), true,
                                      new CryptoPP::StreamTransformationFilter(decryption, sink));
        produced = static_cast<size_t>(sink->TotalPutLength());
    } catch (const CryptoPP::Exception& error) {
        // A cipher failure is a failed decipher, never the end of the process.
        fprintf(stderr, "%s\nError decrypting\n", error.what());
        return -1;
    }
    if (produced == 0) return -1;
    return buffer.Append(output.data(), static_cast<uint32_t>(produced)) ? 0 : -1;
}

bool LoadResourceData(const wchar_t* type, const wchar_t* name, ByteBuffer& buffer, bool decipher) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name, type);
    if (!resource) return true;
    HGLOBAL loaded = LoadResource(module, resource);
    DWORD size = SizeofResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return true;
    if (decipher) DecryptResource(static_cast<const uint8_t*>(bytes), size, buffer);
    else buffer.Append(bytes, size);
    return true;
}
