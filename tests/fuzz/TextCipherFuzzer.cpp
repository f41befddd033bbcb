// Base64 and DecryptText on any text: never more than the plaintext buffer,
// and what is decrypted enciphers to a text that decrypts to it again.
#include "report/TextCipher.h"

#include "FuzzCheck.h"

#include <stddef.h>
#include <stdint.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    for (const TextKeySet* keys : {&IdentityKeySet, &ReportKeySet}) {
        std::string plaintext = DecryptText(*keys, text);
        FuzzCheck(plaintext.size() <= 3072, "a plaintext fits the decryption buffer");
        if (plaintext.empty()) continue;
        FuzzCheck(DecryptText(*keys, EncryptText(*keys, plaintext)) == plaintext, "a plaintext survives a round trip");
    }
    return 0;
}
