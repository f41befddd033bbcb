#include "report/ReportFields.h"

void ReportFields::EnsureFields() {
    for (int number = 0; number < kFieldCount; ++number) fields_.try_emplace(number);
}

void ReportFields::Set(int number, const std::wstring& text) {
    if (auto found = fields_.find(number); found != fields_.end()) found->second = text;
}

std::wstring ReportFields::Join() const {
    std::wstring line;
    bool first = true;
    for (const auto& [number, text] : fields_) {
        if (!first) line += L'|';
        line += text.empty() ? L"0" : text;
        first = false;
    }
    return line;
}

ReportFields& GetReportFields() {
    static ReportFields fields;
    return fields;
}
