// pugixml over the bytes of a skin file; text is UTF-8 inside pugixml.
#include "toolkit/builder/SkinXml.h"

#include <vector>

#include "toolkit/core/Utf8Text.h"
#include "toolkit/resources/SkinSource.h"

namespace DuiLib {

bool LoadSkinXml(const std::wstring& nameOrText, pugi::xml_document& document) {
    size_t first = nameOrText.find_first_not_of(L" \t\r\n");
    if (first != std::wstring::npos && nameOrText[first] == L'<') {
        std::string utf8 = Utf8FromWide(nameOrText);
        return document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
    }
    std::vector<BYTE> bytes;
    if (!CSkinSource::Get().Read(nameOrText, bytes)) return false;
    // pugixml finds the encoding from a byte order mark or the declaration.
    return document.load_buffer(bytes.data(), bytes.size());
}

std::wstring XmlText(const char* utf8) { return utf8 ? WideFromUtf8(utf8) : std::wstring(); }

}  // namespace DuiLib
