#pragma once

// What one run of the program keeps between its windows. main() owns it and hands it to the
// main window, which hands it to every window it opens; a test builds a fresh one, so no
// state crosses from one test to the next.
#include <optional>
#include <string>

namespace savorel {

struct Session {
    // The temporary folder as cook.ini holds it (folder + "/"), taken by the main window at
    // start-up; empty until then.
    std::string tempFolder;

    // Recipes open in the plain window only: the page view is not built (cook --plain; also how
    // tests reach the fallback).
    bool browserUnavailable = false;

    // Printing goes to the default printer; a path here prints into that PDF file instead.
    std::string printTarget;

    // The dictionary's look-up buffer: the explanation found last.
    std::string dictionaryBuffer;

    // Where window places are remembered: no value remembers nothing (so that tests never
    // read or write the user's settings), an empty path the user's configuration (QSettings
    // organisation "Savorel", application "cook"), otherwise that INI file.
    std::optional<std::string> windowPlacesFile;
};

} // namespace savorel
