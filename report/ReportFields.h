// The fields of the install report line.
#pragma once

#include <map>
#include <string>

// Field number to wide text; joined in ascending number order.
class ReportFields {
public:
    static constexpr int kFieldCount = 14;

    // Adds each missing number 0 to 13 with an empty text.
    void EnsureFields();
    // Replaces the text of an existing number; does nothing for an absent one.
    void Set(int number, const std::wstring& text);
    // The texts separated by "|", an empty text written as "0".
    std::wstring Join() const;

private:
    std::map<int, std::wstring> fields_;
};

// The process-wide table, created on first use (thread-safe), kept until exit.
ReportFields& GetReportFields();
