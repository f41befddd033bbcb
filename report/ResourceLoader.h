// Reading a named resource of the running executable into a ByteBuffer,
// deciphering it on the way when asked (AES-256-CFB with the build's skin key).
#pragma once

#include "report/ByteBuffer.h"

#include <stdint.h>

// Always true; whether anything was found shows in the buffer's size.
bool LoadResourceData(const wchar_t* type, const wchar_t* name, ByteBuffer& buffer, bool decipher);

// 0 when plaintext of the same length was appended, -1 otherwise.
int DecryptResource(const uint8_t* bytes, uint32_t count, ByteBuffer& buffer);
