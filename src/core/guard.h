#pragma once

// The last line of defence of cook's and cookbook's main(): whatever a fault throws (a number
// out of range in a hand-edited file, memory exhausted, a library's own exception) ends the
// program with a message and a failure code instead of an abort. Nothing is half-written by
// it: every file is replaced whole or not at all, so the user's files stay as last saved.
#include <functional>
#include <ostream>
#include <string_view>

namespace savorel {

// Runs `body` and answers what it answered. An exception that leaves it is reported on `err`
// ("PROGRAM: stopped by an unexpected error: WHAT ...") and answered as `failureCode`.
int RunGuarded(std::string_view program, const std::function<int()>& body, std::ostream& err,
               int failureCode);

} // namespace savorel
