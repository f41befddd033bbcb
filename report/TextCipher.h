// Short texts enciphered with AES-256-CBC (PKCS #7 padding) and carried as
// one line of Base64.
#pragma once

#include <string>

// A key and an IV given as upper-case hexadecimal text; the characters
// themselves are the key and IV bytes.
struct TextKeySet {
    const char* key;  // 32 characters
    const char* iv;   // 16 characters
};

extern const TextKeySet IdentityKeySet;  // the channel identity in option "Qid"
extern const TextKeySet ReportKeySet;    // the install report body

// Base64 of the ciphertext; empty for empty input or on failure.
std::string EncryptText(const TextKeySet& keys, const std::string& plaintext);
// The plaintext; empty for empty input, bad Base64, a wrong key or bad padding.
std::string DecryptText(const TextKeySet& keys, const std::string& base64);

std::string EncryptIdentity(const std::string& plaintext);
std::string DecryptIdentity(const std::string& base64);
std::string EncryptReport(const std::string& plaintext);
