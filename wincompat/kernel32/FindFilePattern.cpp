#include "kernel32/FindFilePattern.h"

#include "prefix/Prefix.h"

#include <string>

namespace wincompat {

namespace {

// The mask rewritten into the file system's DOS wildcards, as kernel32 hands
// a pattern to the file system.
constexpr wchar_t kDosStar = L'<';  // "*" before a dot: a run that does not take the name's last dot
constexpr wchar_t kDosQm = L'>';    // "?": one character, or none at a dot or the end
constexpr wchar_t kDosDot = L'"';   // a dot before a wildcard or at the end: a dot, or the end

std::wstring DosExpression(std::wstring_view mask) {
    if (mask == L"*.*") return L"*";
    std::wstring expression;
    for (size_t i = 0; i < mask.size(); ++i) {
        wchar_t c = mask[i];
        wchar_t next = i + 1 < mask.size() ? mask[i + 1] : L'\0';
        if (c == L'?') c = kDosQm;
        else if (c == L'*' && next == L'.') c = kDosStar;
        else if (c == L'.' && (next == L'?' || next == L'*' || next == L'\0')) c = kDosDot;
        expression += c;
    }
    return expression;
}

class Matcher {
public:
    explicit Matcher(std::wstring_view name) : name_(name), lastDot_(name.rfind(L'.')) {}

    bool Match(std::wstring_view expression, size_t at) const {
        if (expression.empty()) return at == name_.size();
        wchar_t c = expression[0];
        std::wstring_view rest = expression.substr(1);
        switch (c) {
        case L'*': return MatchRun(rest, at, name_.size());
        case kDosStar: return MatchRun(rest, at, StarLimit(at));
        case kDosQm:
            if (at == name_.size() || name_[at] == L'.') return Match(rest, at);
            return Match(rest, at + 1);
        case kDosDot:
            if (at == name_.size()) return Match(rest, at);
            return name_[at] == L'.' && Match(rest, at + 1);
        default: return at < name_.size() && UpperCase(name_[at]) == UpperCase(c) && Match(rest, at + 1);
        }
    }

private:
    // A DOS star stops before the last dot; past it, it can still match nothing.
    size_t StarLimit(size_t at) const {
        if (lastDot_ == std::wstring_view::npos) return name_.size();
        return lastDot_ > at ? lastDot_ : at;
    }

    // A run from at to any end up to limit, then the rest of the expression.
    bool MatchRun(std::wstring_view rest, size_t at, size_t limit) const {
        for (size_t end = at; end <= limit && end <= name_.size(); ++end)
            if (Match(rest, end)) return true;
        return false;
    }

    std::wstring_view name_;
    size_t lastDot_;
};

}  // namespace

bool HasWildcard(std::wstring_view mask) { return mask.find_first_of(L"*?") != std::wstring_view::npos; }

bool MatchesFindPattern(std::wstring_view mask, std::wstring_view name) {
    std::wstring expression = DosExpression(mask);
    return Matcher(name).Match(expression, 0);
}

}  // namespace wincompat
