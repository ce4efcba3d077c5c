#pragma once

#include <QString>
#include <QTextBrowser>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>

class QPrinter;

namespace savorel::ui {

// The page view of the recipe window: shows local HTML files by their file:// address, runs
// no scripts, prints the shown page without a dialog.
class CWebBrowser final : public QTextBrowser {
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
    // Prints the shown page on `printer`: a copy of it, passed through the print filter
    // when one is set (what is laid over the view for reading stays off the paper).
    void PrintTo(QPrinter& printer) const;
    // The document as PrintTo prints it: no page background, the print filter applied.
    std::unique_ptr<QTextDocument> PrintedCopy() const;
    void SetPrintFilter(std::function<void(QTextDocument&)> filter) {
        m_printFilter = std::move(filter);
    }

signals:
    // After every Navigate, with the address now shown.
    void Navigated(const QUrl& url);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QUrl m_shown;
    QString m_folder;
    std::function<void(QTextDocument&)> m_printFilter;
};

} // namespace savorel::ui
