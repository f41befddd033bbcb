#include "report/InstallReport.h"

#include "BuildConfig.h"
#include "app/AnsiText.h"
#include "app/InstallOptions.h"
#include "report/ByteBuffer.h"
#include "report/HttpClient.h"
#include "report/ReportFields.h"
#include "report/SystemInfo.h"
#include "report/TextCipher.h"

#include <windows.h>

#include <memory>
#include <string>

namespace {

constexpr wchar_t kProductVersion[] = L"1.0.1.2016";
constexpr char kDefaultIdentity[] = "gf";
constexpr size_t kLineBufferSize = 2048;
constexpr size_t kFormatBufferSize = 1024;  // the most wsprintfW writes
constexpr WORD kArchitectureAmd64 = 9;
constexpr WORD kArchitectureIa64 = 6;

// The install report never holds the install up for long.
constexpr ReportDestination kInstallReportDestination = {VELMORA_REPORT_URL, {10, 30}};

using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);

// The plain channel identity from the encrypted option text, or the default one.
std::wstring ChannelIdentity(const std::string& qid) {
    std::string identity = qid.empty() ? std::string() : DecryptText(IdentityKeySet, qid);
    return WideFromAnsi(identity.empty() ? kDefaultIdentity : identity);
}

int NativeBitness() {
    SYSTEM_INFO info = {};
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    auto getNativeSystemInfo = kernel32 ? reinterpret_cast<GetNativeSystemInfoFunction>(reinterpret_cast<void (*)(void)>(
                                              GetProcAddress(kernel32, "GetNativeSystemInfo")))
                                        : nullptr;
    if (getNativeSystemInfo) getNativeSystemInfo(&info);
    else GetSystemInfo(&info);
    WORD architecture = info.wProcessorArchitecture;
    return architecture == kArchitectureAmd64 || architecture == kArchitectureIa64 ? 64 : 32;
}

// For example "window-10_64_64": the label already ends in the bitness, which is appended again.
std::wstring OsField() {
    WCHAR text[kFormatBufferSize] = {};
    wsprintfW(text, L"%s_%d", GetOsLabel().c_str(), NativeBitness());
    return text;
}

std::wstring ComposeLine() {
    std::string qid = AnsiFromWide(GetOption(L"Qid"));
    ReportFields& fields = GetReportFields();
    fields.EnsureFields();
    fields.Set(0, kProductVersion);
    fields.Set(1, ChannelIdentity(qid));
    fields.Set(2, OsField());
    return fields.Join();
}

// The narrow line as held in the fixed line buffer, terminator included; empty
// when it would not fit, so that a cut-off report is never sent.
std::string LineBufferText(const std::wstring& line) {
    char buffer[kLineBufferSize] = {};
    int written = WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
    return written > 0 ? std::string(buffer) : std::string();
}

}  // namespace

bool SendInstallReportTo(const ReportDestination& destination) {
    std::wstring line = ComposeLine();
    if (line.empty()) return true;
    auto client = std::make_unique<CHttpClient>();
    std::string encrypted = EncryptText(ReportKeySet, LineBufferText(line));
    if (encrypted.empty()) return true;
    // The Base64 text goes as it is: "+", "/" and "=" are not escaped.
    std::string body = "data=" + encrypted;
    ByteBuffer response;
    client->Post(destination.url, body.c_str(), &response, destination.limits);  // the outcome changes nothing
    response.Release();
    return true;
}

bool SendInstallReport(CStepsScript* script) { return SendInstallReportTo(kInstallReportDestination); }
