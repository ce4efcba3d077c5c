#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace savorel {

// The two forms a message takes: a box owned by the window with the message as its text and
// the program's name as caption, or a box owned by no window with the message as its title.
enum class BoxForm { Owned, CaptionOnly };

// Logic never shows anything itself; it hands each message to one of these.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void Show(BoxForm form, std::string_view text) = 0;
    virtual void Beep() {}
};

// Keeps every message, for tests and for the command-line tool.
class CollectingReporter final : public Reporter {
public:
    struct Entry {
        BoxForm form;
        std::string text;
    };
    void Show(BoxForm form, std::string_view text) override;
    void Beep() override { ++beeps; }

    std::vector<Entry> entries;
    int beeps = 0;
};

} // namespace savorel
