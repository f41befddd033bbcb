#include "report/TextCipher.h"

#include "BuildConfig.h"

#include <openssl/bio.h>
#include <openssl/evp.h>

#include <string.h>

#include <memory>
#include <vector>

const TextKeySet IdentityKeySet = {VELMORA_IDENTITY_KEY, VELMORA_IDENTITY_IV};
const TextKeySet ReportKeySet = {VELMORA_REPORT_KEY, VELMORA_REPORT_IV};

namespace {

constexpr size_t kPlaintextLimit = 3072;  // the decryption buffer

// Key followed by IV, as one working block.
struct KeyBlock {
    unsigned char bytes[48];
    explicit KeyBlock(const TextKeySet& keys) {
        memcpy(bytes, keys.key, 32);
        memcpy(bytes + 32, keys.iv, 16);
    }
    const unsigned char* key() const { return bytes; }
    const unsigned char* iv() const { return bytes + 32; }
};

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

struct BioFree {
    void operator()(BIO* bio) const { BIO_free_all(bio); }
};
using BioChain = std::unique_ptr<BIO, BioFree>;

std::vector<unsigned char> Encrypt(const TextKeySet& keys, const std::string& plaintext) {
    KeyBlock block(keys);
    CipherContext context(EVP_CIPHER_CTX_new());
    // The padded length: the next multiple of 16, a whole block more when already aligned.
    std::vector<unsigned char> out(plaintext.size() / 16 * 16 + 16);
    int written = 0, last = 0;
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, block.key(), block.iv()) != 1 ||
        EVP_EncryptUpdate(context.get(), out.data(), &written,
                          reinterpret_cast<const unsigned char*>(plaintext.data()),
                          static_cast<int>(plaintext.size())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), out.data() + written, &last) != 1)
        return {};
    out.resize(written + last);
    return out;
}

std::string Base64Encode(const std::vector<unsigned char>& bytes) {
    BioChain chain(BIO_push(BIO_new(BIO_f_base64()), BIO_new(BIO_s_mem())));
    if (!chain) return std::string();
    BIO_set_flags(chain.get(), BIO_FLAGS_BASE64_NO_NL);
    if (BIO_write(chain.get(), bytes.data(), static_cast<int>(bytes.size())) != static_cast<int>(bytes.size()) ||
        BIO_flush(chain.get()) != 1)
        return std::string();
    char* data = nullptr;
    long length = BIO_get_mem_data(BIO_next(chain.get()), &data);
    return std::string(data, static_cast<size_t>(length));
}

std::vector<unsigned char> Base64Decode(const std::string& text) {
    BIO* source = BIO_new_mem_buf(text.data(), static_cast<int>(text.size()));
    BioChain chain(BIO_push(BIO_new(BIO_f_base64()), source));
    if (!chain) return {};
    BIO_set_flags(chain.get(), BIO_FLAGS_BASE64_NO_NL);
    std::vector<unsigned char> bytes(text.size());
    int read = BIO_read(chain.get(), bytes.data(), static_cast<int>(bytes.size()));
    bytes.resize(read > 0 ? read : 0);
    return bytes;
}

}  // namespace

std::string EncryptText(const TextKeySet& keys, const std::string& plaintext) {
    if (plaintext.empty()) return std::string();
    std::vector<unsigned char> ciphertext = Encrypt(keys, plaintext);
    return ciphertext.empty() ? std::string() : Base64Encode(ciphertext);
}

std::string DecryptText(const TextKeySet& keys, const std::string& base64) {
    if (base64.empty()) return std::string();
    std::vector<unsigned char> ciphertext = Base64Decode(base64);
    // Refuse what could not fit the plaintext buffer instead of overrunning it.
    if (ciphertext.empty() || ciphertext.size() % 16 != 0 || ciphertext.size() > kPlaintextLimit) return std::string();
    KeyBlock block(keys);
    CipherContext context(EVP_CIPHER_CTX_new());
    std::vector<unsigned char> out(kPlaintextLimit + 16, 0);
    int written = 0, last = 0;
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, block.key(), block.iv()) != 1 ||
        EVP_DecryptUpdate(context.get(), out.data(), &written, ciphertext.data(),
                          static_cast<int>(ciphertext.size())) != 1 ||
        EVP_DecryptFinal_ex(context.get(), out.data() + written, &last) != 1)
        return std::string();
    size_t length = static_cast<size_t>(written + last);
    if (length == 0 || length > kPlaintextLimit) return std::string();
    return std::string(reinterpret_cast<const char*>(out.data()), length);
}

std::string EncryptIdentity(const std::string& plaintext) { return EncryptText(IdentityKeySet, plaintext); }
std::string DecryptIdentity(const std::string& base64) { return DecryptText(IdentityKeySet, base64); }
std::string EncryptReport(const std::string& plaintext) { return EncryptText(ReportKeySet, plaintext); }
