#include "app/application.h"

#include "core/files.h"
#include "core/folders.h"
#include "personal/backup.h"

#include <cstdlib>

namespace savorel {

Application::Application(Session& session) : m_session(session) {}

Application::~Application() = default;

void Application::Start(Reporter& reporter) {
    // Copies that an interrupted save left behind are of no use to anyone.
    RemoveStaleWorkingCopies();
    MakeDailyBackup();
    (void)ReloadCatalogue(reporter); // a missing catalogue was said and beeped
    m_watch.emplace();
    TakeTempFolder(reporter);
}

void Application::MakeDailyBackup() {
    // A copy a day of the user's own files, when they changed; quietly skipped when it cannot
    // be made (a read-only folder, another copy saving): the book still opens.
    (void)BackupIfChanged(Today());
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
