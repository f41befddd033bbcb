#include "prefix/CodePageNames.h"

#include <iconv.h>

namespace wincompat {

namespace {

constexpr UINT kUtf8 = 65001;  // CP_UTF8

}  // namespace

std::string IconvNameOfCodePage(UINT codePage) {
    switch (codePage) {
    case kUtf8: return "UTF-8";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 936: return "GBK";
    case 950: return "BIG5";
    case 932: return "CP932";
    case 949: return "CP949";
    default: return "CP" + std::to_string(codePage);
    }
}

bool CodePageConverts(UINT codePage) {
    if (codePage == kUtf8) return true;
    iconv_t converter = iconv_open("UTF-32LE", IconvNameOfCodePage(codePage).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(converter);
    return true;
}

}  // namespace wincompat
