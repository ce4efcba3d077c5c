#include "core/guard.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <system_error>

using namespace savorel;

// Whatever a fault throws ends in a message and the failure code; a body that returns is
// answered as it returned, and says nothing.
TEST(Guard, TurnsEveryEscapingExceptionIntoAReportedFailure) {
    const struct {
        const char* what;
        std::function<int()> body;
        int code;
        const char* said; // empty: nothing may be said
    } cases[] = {
        {"success", [] { return 0; }, 0, ""},
        {"a failure of its own", [] { return 2; }, 2, ""},
        {"a number out of range",
         []() -> int { return static_cast<int>(std::stoull("99999999999999999999")); }, 7,
         "stoull"},
        {"a logic error", []() -> int { throw std::logic_error("broken rule"); }, 7, "broken rule"},
        {"a system error",
         []() -> int {
             throw std::system_error(std::make_error_code(std::errc::io_error), "disk");
         },
         7, "disk"},
        {"memory exhausted", []() -> int { throw std::bad_alloc(); }, 7, "out of memory"},
        {"something that is no exception", []() -> int { throw 42; }, 7, "unknown exception"},
    };
    for (const auto& c : cases) {
        std::ostringstream err;
        EXPECT_EQ(RunGuarded("cookbook", c.body, err, 7), c.code) << c.what;
        if (*c.said == '\0') {
            EXPECT_EQ(err.str(), "") << c.what;
            continue;
        }
        EXPECT_EQ(err.str().rfind("cookbook: stopped by an unexpected error: ", 0), 0u)
            << c.what << ": " << err.str();
        EXPECT_NE(err.str().find(c.said), std::string::npos) << c.what << ": " << err.str();
    }
}

namespace {

// A stream whose every write fails: a closed standard error.
struct RefusingBuffer : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
};

} // namespace

TEST(Guard, AStreamThatThrowsStillEndsInTheFailureCode) {
    RefusingBuffer refusing;
    std::ostream err(&refusing);
    err.exceptions(std::ios::badbit);
    EXPECT_EQ(RunGuarded(
                  "cook", []() -> int { throw std::runtime_error("x"); }, err, 1),
              1);
    EXPECT_TRUE(err.bad());
}
