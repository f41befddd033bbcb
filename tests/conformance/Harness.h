// A small assertion harness that compiles against wincompat and against
// MinGW's Windows headers alike, so the same cases run natively and on Wine.
//
// A case is a function registered with CONFORMANCE_CASE(Area, Name). CHECK and
// CHECK_EQ record a failure and go on; REQUIRE and REQUIRE_EQ end the case.
// Every expectation states what Windows answers. Where Wine is known to answer
// otherwise, WINE_DIVERGES("reason", CHECK_EQ(...)) keeps the expectation for
// the native side and turns a failure on Wine into a reported divergence.
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>
#include <vector>

namespace conformance {

using CaseFunction = void (*)();
// A mode of the suite's own program started as a child process: gets the
// arguments after "--child NAME" and returns the exit code.
using ChildFunction = int (*)(const std::vector<std::wstring>& arguments);

bool RegisterCase(const char* area, const char* name, CaseFunction run);
bool RegisterChild(const char* name, ChildFunction run);

// What the program is and where it runs.
bool OnWine();
int ProgramBits();                  // the bitness Windows sees the program as
const std::wstring& Login();        // the user name that names C:\Users\<login>
const std::wstring& ProgramPath();  // GetModuleFileNameW(NULL)

// Text for messages, as UTF-8.
std::string Utf8(const std::wstring& text);

// Outcome of one expectation. Return the condition so REQUIRE can stop the case.
bool Expect(bool ok, const char* file, int line, const std::string& what);
// Marks the current case skipped with the reason printed; SKIP_CASE also
// returns. For behaviour one side cannot show, or a known fault of a part of
// wincompat that is being reworked elsewhere; the reason says which.
void Skip(const std::string& reason);

// While alive, failures on Wine are divergences with this reason.
class WineDivergence {
public:
    WineDivergence(const char* reason, const char* file, int line);
    ~WineDivergence();
    WineDivergence(const WineDivergence&) = delete;
    WineDivergence& operator=(const WineDivergence&) = delete;

private:
    const char* previous_;
    int divergencesBefore_;
    const char* file_;
    int line_;
};

std::string Describe(long long value);
std::string Describe(const std::wstring& value);
std::string Describe(const std::string& value);
std::string Describe(const std::vector<std::wstring>& value);
std::string DescribePointer(const void* value);
inline std::string Describe(const wchar_t* value) { return value ? Describe(std::wstring(value)) : "(null)"; }
inline std::string Describe(const char* value) { return value ? Describe(std::string(value)) : "(null)"; }

// Numbers compare by value whatever their types (DWORD against a literal,
// HRESULT against a constant); everything else with ==.
template <typename A, typename B>
bool Same(const A& a, const B& b) {
    if constexpr ((std::is_integral_v<A> || std::is_enum_v<A>) && (std::is_integral_v<B> || std::is_enum_v<B>))
        return static_cast<long long>(a) == static_cast<long long>(b);
    else
        return a == b;
}

template <typename T>
std::string DescribeValue(const T& value) {
    if constexpr (std::is_same_v<T, bool>)
        return value ? "true" : "false";
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return Describe(static_cast<long long>(value));
    else if constexpr (std::is_pointer_v<T> && !std::is_same_v<T, const wchar_t*> && !std::is_same_v<T, wchar_t*> &&
                       !std::is_same_v<T, const char*> && !std::is_same_v<T, char*>)
        return DescribePointer(reinterpret_cast<const void*>(value));
    else
        return Describe(value);
}

template <typename A, typename B>
bool ExpectEqual(const A& actual, const B& expected, const char* file, int line, const char* actualText,
                 const char* expectedText) {
    if (Same(actual, expected)) return Expect(true, file, line, std::string());
    return Expect(false, file, line,
                  std::string(actualText) + " is " + DescribeValue(actual) + ", expected " + expectedText + " = " +
                      DescribeValue(expected));
}

}  // namespace conformance

#define CONFORMANCE_CASE(area, name)                                                                        \
    static void area##_##name();                                                                            \
    [[maybe_unused]] static const bool area##_##name##_registered =                                         \
        ::conformance::RegisterCase(#area, #name, area##_##name);                                           \
    static void area##_##name()

#define CONFORMANCE_CHILD(name)                                                                             \
    static int Child_##name(const std::vector<std::wstring>& arguments);                                    \
    [[maybe_unused]] static const bool Child_##name##_registered =                                          \
        ::conformance::RegisterChild(#name, Child_##name);                                                  \
    static int Child_##name([[maybe_unused]] const std::vector<std::wstring>& arguments)

#define CHECK(condition) ::conformance::Expect(static_cast<bool>(condition), __FILE__, __LINE__, #condition)
#define CHECK_EQ(actual, expected) \
    ::conformance::ExpectEqual((actual), (expected), __FILE__, __LINE__, #actual, #expected)
#define REQUIRE(condition)                 \
    do {                                   \
        if (!CHECK(condition)) return;     \
    } while (0)
#define REQUIRE_EQ(actual, expected)               \
    do {                                           \
        if (!CHECK_EQ(actual, expected)) return;   \
    } while (0)
#define SKIP_CASE(reason)              \
    do {                               \
        ::conformance::Skip(reason);   \
        return;                        \
    } while (0)
#define WINE_DIVERGES(reason, ...)                                                     \
    do {                                                                               \
        ::conformance::WineDivergence conformanceDivergence(reason, __FILE__, __LINE__); \
        __VA_ARGS__;                                                                   \
    } while (0)
