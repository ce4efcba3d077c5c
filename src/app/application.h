#pragma once

// cook's application object: made by main() before any window, it does the start-up work and
// keeps what the main window shows (the catalogue) and watches (pers.txt) for the whole run.
#include "catalogue/catalogue.h"
#include "core/report.h"
#include "core/session.h"
#include "personal/personal_watch.h"

#include <optional>

namespace savorel {

class Application final {
public:
    explicit Application(Session& session);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The start-up steps, in this order: copies an interrupted save left behind are removed,
    // the day's backup is made, the catalogue is loaded, the watch on pers.txt starts and the
    // temporary folder is taken (cook.ini). Messages go to `reporter`, owned by the main
    // window that is being built.
    void Start(Reporter& reporter);

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
    void MakeDailyBackup();
    void TakeTempFolder(Reporter& reporter);

    Session& m_session;
    CategoryTable m_table;
    std::optional<PersonalListWatch> m_watch;
};

} // namespace savorel
