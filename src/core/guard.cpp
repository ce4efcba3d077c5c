#include "core/guard.h"

#include <exception>
#include <new>

namespace savorel {

namespace {

void Report(std::ostream& err, std::string_view program, const char* what) noexcept {
    try {
        err << program << ": stopped by an unexpected error: " << what
            << "; your files stay as they were last saved\n";
        err.flush();
    } catch (...) { // a stream set to throw: there is nobody left to tell
    }
}

} // namespace

int RunGuarded(std::string_view program, const std::function<int()>& body, std::ostream& err,
               int failureCode) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        Report(err, program, "out of memory");
    } catch (const std::exception& e) {
        Report(err, program, e.what());
    } catch (...) {
        Report(err, program, "an unknown exception");
    }
    return failureCode;
}

} // namespace savorel
