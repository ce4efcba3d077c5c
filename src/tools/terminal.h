#pragma once

// cookbook speaks the terminal's encoding: arguments arrive and standard output and error
// leave in the locale's encoding, while the book's files are Windows-1250. The conversion
// happens here, at the edge, and nowhere else.
#include <streambuf>
#include <string>

namespace cookbook {

// Reads the locale (LC_CTYPE from the environment) and, unless it already is Windows-1250,
// puts converting buffers under std::cout and std::cerr.
void SetUpTerminal();

// The locale's name for its encoding, as SetUpTerminal found it.
const std::string& TerminalEncoding();

// An argument in the data files' encoding. False, with a message fit for stderr, when the
// argument holds a character Windows-1250 cannot hold or is not valid in the locale's encoding.
[[nodiscard]] bool ArgumentToBook(const std::string& argument, std::string& bytes,
                                  std::string& problem);

// Standard output without conversion, for commands whose output is bytes (scramble).
std::streambuf* RawStdout();

} // namespace cookbook
