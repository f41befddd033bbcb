#include "app/QidGlobal.h"

#include "app/AnsiText.h"
#include "app/ChannelIdentity.h"
#include "app/InstallOptions.h"
#include "app/UserConfig.h"
#include "report/TextCipher.h"

#include <windows.h>
#include <string.h>

#include <string>

namespace {

std::wstring ModulePath() {
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace

CQidGlobal::CQidGlobal() : valid_(0) {
    memset(applicationMarker_, 0, sizeof(applicationMarker_));
    memset(identifierMarker_, 0, sizeof(identifierMarker_));
    memset(channelMarker_, 0, sizeof(channelMarker_));
}

void CQidGlobal::Initialise() {
    memcpy(applicationMarker_, ApplicationMarker(), kApplicationMarkerBytes);
    memcpy(identifierMarker_, IdentifierMarker(), kIdentifierMarkerBytes);
    memcpy(channelMarker_, ChannelMarker(), kChannelMarkerBytes);
    ResolveChannelIdentity();
    LoadPreviousInstallPath();
}

bool CQidGlobal::CheckStamp() {
    std::string text(channelMarker_, strnlen(channelMarker_, sizeof(channelMarker_)));
    if (!text.empty()) valid_ = IsUsableStamp(text) ? 1 : 0;
    return valid_ != 0;
}

void CQidGlobal::ResolveChannelIdentity() {
    bool usable = CheckStamp();
    std::string text(channelMarker_, strnlen(channelMarker_, sizeof(channelMarker_)));
    std::wstring identity = ::ResolveChannelIdentity(text, usable, usable ? std::wstring() : ModulePath());
    SetOption(L"Qid", WideFromAnsi(EncryptIdentity(AnsiFromWide(identity))));
}
