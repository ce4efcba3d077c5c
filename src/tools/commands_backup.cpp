// cookbook restore: puts one of the daily copies of the user's files back.
#include "tools/cookbook.h"

#include "personal/backup.h"

#include <iostream>

namespace cookbook {

int RunRestore(const Args& args) {
    if (args.size() > 1)
        return UsageError(FindCommand("restore"), "takes at most one date");
    const std::string wanted = args.empty() ? std::string() : args[0];
    std::string saved;
    switch (savorel::RestoreBackup(wanted, savorel::Today(), &saved)) {
    case savorel::RestoreResult::Restored: {
        const std::string restored = wanted.empty() ? "the newest backup" : wanted;
        std::cout << "restored " << restored << "; the files as they were are kept in "
                  << savorel::kBackupFolder << "/" << saved << std::endl;
        return kOk;
    }
    case savorel::RestoreResult::NoSuchBackup: {
        std::string known;
        for (const std::string& b : savorel::ListBackups())
            known += " " + b;
        return Failure("cookbook restore: no backup " + (wanted.empty() ? "at all" : wanted) +
                       (known.empty() ? std::string() : "; there are:" + known));
    }
    case savorel::RestoreResult::Busy:
        return Failure("cookbook restore: another copy of Savorel is changing the files; try "
                       "again in a few seconds");
    case savorel::RestoreResult::NotWritten:
        break;
    }
    return Failure("cookbook restore: the files could not be written");
}

} // namespace cookbook
