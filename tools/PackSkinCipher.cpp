#include "PackSkinCipher.h"

#include "BuildConfig.h"

#include <cryptopp/aes.h>
#include <cryptopp/modes.h>

bool EncipherSkin(std::string& bytes, std::string& error) {
    static const CryptoPP::byte kKey[32] = {VELMORA_SKIN_KEY_BYTES};
    static const CryptoPP::byte kIv[16] = {VELMORA_SKIN_IV_BYTES};
    try {
        CryptoPP::CFB_Mode<CryptoPP::AES>::Encryption encryption(kKey, sizeof(kKey), kIv);
        auto* data = reinterpret_cast<CryptoPP::byte*>(bytes.data());
        encryption.ProcessData(data, data, bytes.size());
    } catch (const CryptoPP::Exception& failure) {
        error = failure.what();
        return false;
    }
    return true;
}
