#pragma once

// The dictionary inside every recipe: the dictionary terms of the shown recipe page become
// links laid over the view (the page file stays as written), and a click shows the term's
// explanation beside the page, with a way to open the dictionary window at that word.
#include <QObject>
#include <QString>

#include "core/session.h"

#include <memory>

class QFrame;
class QLabel;
class QTextDocument;
class QTextBrowser;
class QUrl;

namespace savorel {
class TermFinder;
}

namespace savorel::ui {

class CWebBrowser;

class TermLinks final : public QObject {
    Q_OBJECT
public:
    // Watches `browser`: whenever it shows a recipe page the terms become links. The
    // dictionary window it opens works in `session`.
    TermLinks(QWidget* window, CWebBrowser* browser, Session& session);
    ~TermLinks() override;

    // The shown explanation panel, for tests.
    QFrame* Panel() const { return m_panel; }
    // Places the explanation panel along the right side of `page` (window coordinates).
    void PlaceBeside(const QRect& page);
    // Number of links laid over the page shown now.
    int LinkCount() const { return m_links; }

    // Takes the link styling out of a copy of the document that is about to be printed.
    static void StripLinks(QTextDocument& document);

private:
    void OnNavigated(const QUrl& url);
    void OnLinkClicked(const QUrl& url);
    void OnOpenDictionary();

    QWidget* m_window;
    CWebBrowser* m_browser;
    Session& m_session;
    std::unique_ptr<TermFinder> m_finder;
    bool m_loaded = false;
    int m_links = 0;
    QFrame* m_panel = nullptr;
    QLabel* m_word = nullptr;
    QTextBrowser* m_explanation = nullptr;
};

} // namespace savorel::ui
