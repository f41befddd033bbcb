// Enciphering a skin archive for embedding: AES-256-CFB with the build's
// skin key and IV, the transformation the installer's DecryptResource undoes.
#pragma once

#include <string>

// Enciphers bytes in place; the length stays the same. False, with error
// set, when the cipher refused.
bool EncipherSkin(std::string& bytes, std::string& error);
