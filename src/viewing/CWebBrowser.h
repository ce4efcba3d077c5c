#pragma once

#include <QString>
#include <QTextBrowser>
#include <QUrl>

#include <string>

class QPrinter;

namespace savorel::ui {

// The page view of the recipe window: shows local HTML files by their file:// address, runs
// no scripts, prints the shown page without a dialog.
class CWebBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit CWebBrowser(QWidget* parent = nullptr);

    // Shows the file a file:// address names. The page is decoded as Windows-1250; relative
    // pictures resolve against the page's folder, then against the data folder.
    void Navigate(const QUrl& url);
    // Shows page bytes already at hand as the page of that address.
    void ShowPage(const std::string& bytes, const QUrl& url);
    // The address shown, or an empty one when nothing was shown yet.
    QUrl Document() const { return m_shown; }
    bool HasDocument() const { return !m_shown.isEmpty(); }
    // Prints the shown page on `printer`.
    void PrintTo(QPrinter& printer) const;

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QUrl m_shown;
    QString m_folder;
};

} // namespace savorel::ui
