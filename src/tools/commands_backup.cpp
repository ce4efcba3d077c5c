// cookbook restore: puts one of the daily copies of the user's files back.
#include "tools/cookbook.h"

#include "personal/backup.h"

#include <iostream>

namespace cookbook {

namespace {

// "pers.txt, xet1.txt and 3 more": a restore of a large collection stays readable.
std::string NameList(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 20;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i)
        text += (i ? ", " : "") + names[i];
    if (names.size() > kShown)
        text += " and " + std::to_string(names.size() - kShown) + " more";
    return text;
}

void SayClock(const savorel::RestoreReport& report) {
    if (report.datedAfterToday.empty())
        return;
    std::cerr << "cookbook restore: the clock looks wrong: today is " << savorel::Today()
              << ", yet backups are dated later (" << NameList(report.datedAfterToday)
              << "); they were made while the clock was ahead, or it is behind now" << std::endl;
}

} // namespace

int RunRestore(const Args& args) {
    if (args.size() > 1)
        return UsageError(FindCommand("restore"), "takes at most one date");
    const std::string wanted = args.empty() ? std::string() : args[0];
    std::string saved;
    savorel::RestoreReport report;
    const savorel::RestoreResult result =
        savorel::RestoreBackup(wanted, savorel::Today(), &saved, &report);
    if (result != savorel::RestoreResult::NewestDatedAfterToday) // that refusal says it itself
        SayClock(report);
    switch (result) {
    case savorel::RestoreResult::Restored:
    case savorel::RestoreResult::NotWritten:
        if (saved.empty())
            break;
        std::cout << "restored " << report.chosen << " from " << savorel::kBackupFolder << "/"
                  << std::endl;
        if (!report.replaced.empty())
            std::cout << "  replaced: " << NameList(report.replaced) << std::endl;
        if (!report.added.empty())
            std::cout << "  brought back: " << NameList(report.added) << std::endl;
        if (!report.unchanged.empty())
            std::cout << "  already as in the backup: " << report.unchanged.size() << " file"
                      << (report.unchanged.size() == 1 ? "" : "s") << std::endl;
        if (!report.kept.empty())
            std::cout << "  left as they are (not in the backup): " << NameList(report.kept)
                      << std::endl;
        std::cout << "the files as they were are kept in " << savorel::kBackupFolder << "/" << saved
                  << std::endl;
        if (result == savorel::RestoreResult::Restored)
            return kOk;
        return Failure("cookbook restore: could not be written back: " +
                       NameList(report.notWritten));
    case savorel::RestoreResult::NoSuchBackup: {
        std::string known;
        for (const std::string& b : savorel::ListBackups())
            known += " " + b;
        return Failure("cookbook restore: no backup " + (wanted.empty() ? "at all" : wanted) +
                       (known.empty() ? std::string() : "; there are:" + known));
    }
    case savorel::RestoreResult::NotABackup:
        return Failure("cookbook restore: " + std::string(savorel::kBackupFolder) + "/" +
                       report.chosen + " is no backup to restore: " + report.problem +
                       "; nothing was changed");
    case savorel::RestoreResult::NewestDatedAfterToday:
        return Failure("cookbook restore: the newest backup, " + report.chosen +
                       ", is dated after today (" + savorel::Today() +
                       "): check the clock; to restore it all the same, name it: cookbook "
                       "restore " +
                       report.chosen + "; nothing was changed");
    case savorel::RestoreResult::Busy:
        return Failure("cookbook restore: another copy of Savorel is changing the files; try "
                       "again in a few seconds");
    }
    return Failure("cookbook restore: the files could not be written; nothing was changed");
}

} // namespace cookbook
