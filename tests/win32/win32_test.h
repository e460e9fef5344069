// A small test runner for the Windows test programs, which run under Wine where no test
// framework is packaged for this compiler. Each TEST_CASE is one case; CHECK and CHECK_EQ
// record a failure and go on, REQUIRE ends the case. main() runs every case and prints
// "N passed, N failed", returning non-zero when any failed.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace win32_test {

struct Case {
    const char* name;
    void (*run)();
};

inline std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

inline int& FailuresInCase() {
    static int failures = 0;
    return failures;
}

struct Registrar {
    Registrar(const char* name, void (*run)()) { Cases().push_back({name, run}); }
};

// Thrown by REQUIRE to leave the case; never crosses a library boundary.
struct CaseAborted {};

inline void Fail(const char* file, int line, const std::string& what) {
    ++FailuresInCase();
    std::printf("  %s:%d: %s\n", file, line, what.c_str());
}

template <typename T>
std::string Show(const T& value) {
    std::ostringstream out;
    if constexpr (std::is_pointer_v<T>) {
        out << static_cast<const void*>(value);
    } else {
        out << value;
    }
    return out.str();
}

// Everything written to the debug output (OutputDebugStringA) by this process while it
// lives. The system raises DBG_PRINTEXCEPTION_C for each text before handing it to a
// debugger; a first-chance handler sees it and lets it go on.
class DebugOutputCapture {
  public:
    DebugOutputCapture() {
        Current() = this;
        handler_ = AddVectoredExceptionHandler(1, &DebugOutputCapture::OnException);
    }
    ~DebugOutputCapture() {
        RemoveVectoredExceptionHandler(handler_);
        Current() = nullptr;
    }
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    const std::string& Text() const { return text_; }
    void Clear() { text_.clear(); }

  private:
    static DebugOutputCapture*& Current() {
        static DebugOutputCapture* current = nullptr;
        return current;
    }
    static LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 &&
            Current() != nullptr) {
            Current()->text_ += reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    PVOID handler_ = nullptr;
    std::string text_;
};

inline int RunAll() {
    int passed = 0;
    int failed = 0;
    for (const Case& c : Cases()) {
        FailuresInCase() = 0;
        try {
            c.run();
        } catch (const CaseAborted&) {
        }
        if (FailuresInCase() == 0) {
            ++passed;
            std::printf("[ ok ] %s\n", c.name);
        } else {
            ++failed;
            std::printf("[FAIL] %s\n", c.name);
        }
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed == 0 ? 0 : 1;
}

}  // namespace win32_test

#define WIN32_TEST_CONCAT2(a, b) a##b
#define WIN32_TEST_CONCAT(a, b) WIN32_TEST_CONCAT2(a, b)
#define TEST_CASE(name)                                                         \
    static void WIN32_TEST_CONCAT(test_case_, __LINE__)();                      \
    static const win32_test::Registrar WIN32_TEST_CONCAT(registrar_, __LINE__)( \
        name, &WIN32_TEST_CONCAT(test_case_, __LINE__));                        \
    static void WIN32_TEST_CONCAT(test_case_, __LINE__)()

#define CHECK(condition)                                                   \
    do {                                                                   \
        if (!(condition)) {                                                \
            win32_test::Fail(__FILE__, __LINE__, "CHECK(" #condition ")"); \
        }                                                                  \
    } while (false)

#define CHECK_EQ(actual, expected)                                                              \
    do {                                                                                        \
        const auto& qm_actual = (actual);                                                       \
        const auto& qm_expected = (expected);                                                   \
        if (!(qm_actual == qm_expected)) {                                                      \
            win32_test::Fail(__FILE__, __LINE__,                                                \
                             #actual " == " #expected ": got [" + win32_test::Show(qm_actual) + \
                                 "], expected [" + win32_test::Show(qm_expected) + "]");        \
        }                                                                                       \
    } while (false)

#define REQUIRE(condition)                                                   \
    do {                                                                     \
        if (!(condition)) {                                                  \
            win32_test::Fail(__FILE__, __LINE__, "REQUIRE(" #condition ")"); \
            throw win32_test::CaseAborted{};                                 \
        }                                                                    \
    } while (false)

#define WIN32_TEST_MAIN()            \
    int main() {                     \
        return win32_test::RunAll(); \
    }
