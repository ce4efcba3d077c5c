// Backup names, the choice a restore makes among backups, and a restore from a hostile index.
// Input: a candidate name, "@@", today's date, "@@", lines "NAME MADE" (the backups present),
// "@@", the bytes of an index. Every expectation is worked out here on its own terms: the
// calendar from the leap-year rule, the order from the numbers as written.
#include "fuzz_util.h"
#include "personal/backup.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

using namespace savorel;

namespace {

bool Digits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

unsigned long long Value(std::string_view digits) {
    unsigned long long v = 0;
    for (const char c : digits)
        v = v * 10 + static_cast<unsigned>(c - '0');
    return v;
}

bool RealDate(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-' || !Digits(s.substr(0, 4)) ||
        !Digits(s.substr(5, 2)) || !Digits(s.substr(8, 2)))
        return false;
    const unsigned long long y = Value(s.substr(0, 4)), m = Value(s.substr(5, 2)),
                             d = Value(s.substr(8, 2));
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= static_cast<unsigned long long>(kDays[m - 1] + (m == 2 && leap ? 1 : 0));
}

// The day's number of a backup name, 0 when it is none.
unsigned NumberOf(std::string_view s) {
    if (!RealDate(s.substr(0, 10)))
        return 0;
    if (s.size() == 10)
        return 1;
    const std::string_view n = s.substr(std::min<std::size_t>(s.size(), 11));
    if (s[10] != '-' || !Digits(n) || n[0] == '0' || n.size() > 4)
        return 0;
    return Value(n) >= 2 ? static_cast<unsigned>(Value(n)) : 0;
}

struct Listed {
    std::string name;
    unsigned long long made;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DataFolder();
    const auto parts =
        fuzz::SplitParts<4>(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    const std::string candidate(parts[0]), today(parts[1]);

    // Names: a real calendar date, and a day's number from 2 to 9999 as written.
    const auto parsed = ParseBackupName(candidate);
    const unsigned number = NumberOf(candidate);
    FUZZ_CHECK(parsed.has_value() == (number != 0));
    if (parsed) {
        FUZZ_CHECK(parsed->number == number);
        FUZZ_CHECK(static_cast<int>(parsed->date.year()) ==
                   static_cast<int>(Value(candidate.substr(0, 4))));
        FUZZ_CHECK(static_cast<unsigned>(parsed->date.month()) == Value(candidate.substr(5, 2)));
        FUZZ_CHECK(static_cast<unsigned>(parsed->date.day()) == Value(candidate.substr(8, 2)));
    }
    FUZZ_CHECK(ParseDate(candidate).has_value() == (candidate.size() == 10 && RealDate(candidate)));

    // The backups present: valid names only, each once (a folder's entries), made numbers.
    std::vector<Listed> listed;
    std::set<std::string> seen;
    std::string_view lines = parts[2];
    while (!lines.empty() && listed.size() < 64) {
        auto [line, rest] = fuzz::SplitAt(lines, "\n");
        lines = rest;
        auto [name, made] = fuzz::SplitAt(line, " ");
        if (!NumberOf(name) || !seen.insert(std::string(name)).second)
            continue;
        listed.push_back({std::string(name), Digits(made) && made.size() < 16 ? Value(made) : 0});
    }
    std::vector<BackupEntry> entries;
    for (const Listed& l : listed)
        entries.push_back({l.name, l.made});

    // The newest made: the highest number, then the later date, then the day's number.
    const auto key = [](const Listed& l) {
        return std::make_tuple(l.made, l.name.substr(0, 10), NumberOf(l.name));
    };
    std::optional<Listed> newest;
    for (const Listed& l : listed)
        if (!newest || key(*newest) < key(l))
            newest = l;
    const bool todayReal = today.size() == 10 && RealDate(today);
    std::vector<std::string> later;
    for (const Listed& l : listed)
        if (todayReal && l.name.substr(0, 10) > today) // YYYY-MM-DD sorts as the calendar
            later.push_back(l.name);
    FUZZ_CHECK(DatedAfter(entries, today) == later);

    const BackupChoice chosen = ChooseBackup(entries, candidate, today);
    if (!candidate.empty()) {
        const bool present = seen.count(candidate) > 0;
        FUZZ_CHECK(chosen.kind == (!number   ? BackupChoice::Kind::NotABackupName
                                   : present ? BackupChoice::Kind::Chosen
                                             : BackupChoice::Kind::NoSuchBackup));
        FUZZ_CHECK(chosen.kind != BackupChoice::Kind::Chosen || chosen.name == candidate);
    }
    const BackupChoice unnamed = ChooseBackup(entries, "", today);
    if (!newest) {
        FUZZ_CHECK(unnamed.kind == BackupChoice::Kind::NoSuchBackup);
    } else {
        FUZZ_CHECK(unnamed.name == newest->name);
        const bool ahead = todayReal && newest->name.substr(0, 10) > today;
        FUZZ_CHECK(unnamed.kind == (ahead ? BackupChoice::Kind::NewestDatedAfterToday
                                          : BackupChoice::Kind::Chosen));
    }

    // A restore from a folder holding a hostile index: refused unless the index is whole,
    // and a refused restore leaves the user's file as it was; none ever removes it.
    std::error_code error;
    std::filesystem::remove_all(kBackupFolder, error);
    std::filesystem::create_directories(std::string(kBackupFolder) + "/2024-01-01", error);
    fuzz::WriteFile("copii/2024-01-01/cuprins.lst", parts[3]);
    fuzz::WriteFile("copii/2024-01-01/pers.txt", "din copie");
    fuzz::WriteFile("pers.txt", "de acum");
    fuzz::WriteFile("xet1.txt", "reteta");
    const RestoreResult result = RestoreBackup("2024-01-01", "2024-01-02");
    const bool headed = parts[3].substr(0, 16) == "savorel-copii 1\n";
    if (!headed)
        FUZZ_CHECK(result == RestoreResult::NotABackup);
    struct stat st;
    FUZZ_CHECK(::stat("xet1.txt", &st) == 0);
    if (result != RestoreResult::Restored) {
        FILE* f = std::fopen("pers.txt", "rb");
        char text[16] = {};
        FUZZ_CHECK(f && std::fread(text, 1, sizeof text, f) == 7);
        std::fclose(f);
        FUZZ_CHECK(std::string(text, 7) == "de acum");
    }
    return 0;
}
