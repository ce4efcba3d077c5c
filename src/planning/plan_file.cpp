#include "planning/plan_file.h"

#include "core/files.h"
#include "core/scramble.h"
#include "core/store_lock.h"

#include <charconv>
#include <cstdio>

namespace savorel {

namespace {

constexpr int kKeptCopies = 9999;

// Why the file cannot be used, or empty when `text` now holds it unscrambled.
std::string Problem(const char* name, std::size_t limit, std::string& text,
                    const TextCheck& valid) {
    const long long size = DataFileSize(name);
    if (size < 0)
        return "nu este un fisier obisnuit care sa poata fi citit";
    if (static_cast<unsigned long long>(size) > limit)
        return "are mai mult de " + std::to_string(limit >> 10) + " KiB";
    std::string raw;
    if (!ReadWholeDataFile(name, raw))
        return "nu poate fi citit";
    if (raw.size() > limit)
        return "are mai mult de " + std::to_string(limit >> 10) + " KiB";
    text = ScrambleBytes(raw);
    std::string why;
    if (!valid(text, &why))
        return why.empty() ? "nu poate fi inteles" : why;
    return {};
}

} // namespace

KeptFileRead ReadKeptFile(const char* name, std::size_t limit, std::string& text,
                          std::string& message, std::string& keptAs, const TextCheck& valid) {
    keptAs.clear();
    message.clear();
    if (!DataEntryExists(name))
        return KeptFileRead::Missing;
    if (Problem(name, limit, text, valid).empty())
        return KeptFileRead::Read;
    StoreLock lock;
    if (!lock.Held()) {
        message = kStoreBusy;
        return KeptFileRead::Busy;
    }
    // Under the lock again: another copy may have just replaced it with a whole file.
    if (!DataEntryExists(name))
        return KeptFileRead::Missing;
    const std::string why = Problem(name, limit, text, valid);
    if (why.empty())
        return KeptFileRead::Read;
    text.clear();
    for (int n = 1; n <= kKeptCopies && keptAs.empty(); ++n) {
        const std::string candidate = std::string(name) + ".stricat-" + std::to_string(n);
        if (!DataEntryExists(candidate) && std::rename(name, candidate.c_str()) == 0)
            keptAs = candidate;
    }
    message = "Fisierul " + std::string(name) + " era deteriorat (" + why + "). ";
    if (keptAs.empty())
        message += "Nu a putut fi pus deoparte, deci nu va fi scris peste el.";
    else
        message += "A fost pus deoparte ca " + keptAs + "; se incepe unul nou.";
    return KeptFileRead::Damaged;
}

} // namespace savorel
