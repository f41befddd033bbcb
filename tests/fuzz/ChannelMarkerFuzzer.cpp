// The channel marker as a stamping tool may leave it: any bytes in the
// marker's field, read as the installer reads them (up to the first NUL,
// never past the field), and the identity made from them or from a file name.
#include "app/AnsiText.h"
#include "app/ChannelIdentity.h"
#include "app/ChannelMarkers.h"
#include "report/TextCipher.h"

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char field[kChannelMarkerBytes] = {};
    memcpy(field, data, size < sizeof(field) ? size : sizeof(field));
    std::string marker(field, strnlen(field, sizeof(field)));
    FuzzInput rest(data + (size < sizeof(field) ? size : sizeof(field)),
                   size < sizeof(field) ? 0 : size - sizeof(field));
    std::wstring modulePath = WideFromBytes(rest.Rest());

    bool usable = IsUsableStamp(marker);
    std::wstring identity = ResolveChannelIdentity(marker, usable, modulePath);
    FuzzCheck(!identity.empty() && identity.size() <= 11, "an identity has 1 to 11 characters");
    FileNameStem(modulePath);
    std::string ansi = AnsiFromWide(identity);
    std::string sealed = EncryptIdentity(ansi);
    FuzzCheck(ansi.empty() || DecryptIdentity(sealed) == ansi, "the identity decrypts as it was enciphered");
    return 0;
}
