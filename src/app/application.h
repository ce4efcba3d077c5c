#pragma once

// cook's application object: made by main() before any window, it does the start-up work and
// keeps what the main window shows (the catalogue) and watches (pers.txt) for the whole run.
#include "catalogue/catalogue.h"
#include "core/report.h"
#include "core/session.h"
#include "personal/backup.h"
#include "personal/personal_watch.h"

#include <atomic>
#include <optional>
#include <string>
#include <thread>

namespace savorel {

class Application final {
public:
    explicit Application(Session& session);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start-up steps before the main window appears, in this order: the catalogue is
    // loaded, the watch on pers.txt starts and the temporary folder is taken (cook.ini).
    // Messages go to `reporter`, owned by the main window that is being built. The rest of the
    // start-up runs beside the window: see StartDailyBackup.
    void Start(Reporter& reporter);

    // The start-up work that grows with the collection, on a thread of its own, so that it
    // never keeps the main window from appearing or answering: copies an interrupted save left
    // behind are removed, then the day's backup is made. The main window starts it once it is
    // shown. The backup takes the store's lock only for its last short step. Started once; the
    // object's end stops it (leaving nothing half-made) and waits for it.
    void StartDailyBackup();
    // Whether the backup was started and has finished.
    [[nodiscard]] bool DailyBackupDone() const;
    // Blocks until a started backup has finished (tests, benchmarks).
    void WaitForDailyBackup();
    // Once the backup has finished, the message it leaves for the user (the clock looks wrong),
    // handed out once; no value otherwise.
    [[nodiscard]] std::optional<std::string> TakeBackupNotice();

    // virt-dir.txt read again (the own recipes changed). False when it could not be read; the
    // reporter was told.
    [[nodiscard]] bool ReloadCatalogue(Reporter& reporter);

    // One tick of the main window's timer on pers.txt: true when the catalogue must be reloaded.
    [[nodiscard]] bool PersonalListChanged();

    Session& GetSession() { return m_session; }
    const CategoryTable& Catalogue() const { return m_table; }
    // Valid once Start has run.
    const PersonalListWatch& Watch() const { return *m_watch; }

private:
    void TakeTempFolder(Reporter& reporter);

    Session& m_session;
    CategoryTable m_table;
    std::optional<PersonalListWatch> m_watch;
    // The backup thread writes the result and notes, then sets m_backupDone; the window's
    // thread reads them only after seeing it set.
    std::thread m_backup;
    std::atomic<bool> m_stopBackup{false};
    std::atomic<bool> m_backupDone{false};
    BackupResult m_backupResult = BackupResult::Unchanged;
    BackupNotes m_backupNotes;
    std::string m_backupDay;
    bool m_backupStarted = false;
    bool m_noticeTaken = false;
};

} // namespace savorel
