#include "app/application.h"

#include "core/files.h"
#include "core/folders.h"
#include "personal/backup.h"

#include <cstdlib>

namespace savorel {

Application::Application(Session& session) : m_session(session) {}

Application::~Application() {
    m_stopBackup = true;
    if (m_backup.joinable())
        m_backup.join();
}

void Application::Start(Reporter& reporter) {
    (void)ReloadCatalogue(reporter); // a missing catalogue was said and beeped
    m_watch.emplace();
    TakeTempFolder(reporter);
}

void Application::StartDailyBackup() {
    if (m_backupStarted)
        return;
    m_backupStarted = true;
    m_backupDay = Today();
    // A copy a day of the user's own files, when they changed; quietly skipped when it cannot
    // be made (a read-only folder, another copy saving): the book still opens.
    m_backup = std::thread([this] {
        // Copies that an interrupted save left behind are of no use to anyone; with a large
        // collection, looking for them is a walk through a long folder, so it is done here.
        RemoveStaleWorkingCopies();
        m_backupResult = BackupIfChanged(m_backupDay, &m_stopBackup, &m_backupNotes);
        m_backupDone.store(true, std::memory_order_release);
    });
}

bool Application::DailyBackupDone() const {
    return m_backupDone.load(std::memory_order_acquire);
}

void Application::WaitForDailyBackup() {
    if (m_backup.joinable())
        m_backup.join();
}

std::optional<std::string> Application::TakeBackupNotice() {
    if (m_noticeTaken || !DailyBackupDone())
        return std::nullopt;
    m_noticeTaken = true;
    // Said once, on the day's first backup: backups dated after today mean the clock was ahead
    // when they were made, or is behind now, and names would no longer tell their order.
    if (m_backupResult != BackupResult::Made || m_backupNotes.datedAfterToday.empty())
        return std::nullopt;
    return ClockLooksWrongMessage(m_backupNotes.datedAfterToday, m_backupDay);
}

void Application::TakeTempFolder(Reporter& reporter) {
    const auto folder = savorel::TakeTempFolder([](const char* name) { return std::getenv(name); },
                                                "/tmp", ReadCookIni());
    if (!folder) {
        reporter.Show(BoxForm::Owned, kNoTempFolderMessage);
        return;
    }
    // cook.ini is the one place every window takes the folder from; what it holds after the
    // write, taken or not, is what the session holds too.
    (void)WriteCookIni(TempFolderText(*folder));
    if (const auto text = ReadCookIni())
        m_session.tempFolder = *text;
}

bool Application::ReloadCatalogue(Reporter& reporter) {
    return LoadCatalogue(m_table, reporter);
}

bool Application::PersonalListChanged() {
    return m_watch && m_watch->Tick();
}

} // namespace savorel
