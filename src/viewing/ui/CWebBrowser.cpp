#include "viewing/ui/CWebBrowser.h"

#include "catalogue/page.h"
#include "core/files.h"
#include "core/ui/qt_text.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextFrame>

#include <memory>

namespace savorel::ui {

CWebBrowser::CWebBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false); // a recipe page is read, not surfed
    setObjectName(QStringLiteral("browser"));
}

void CWebBrowser::Navigate(const QUrl& url) {
    std::string bytes;
    if (!ReadWholeFile(url.toLocalFile().toLocal8Bit().toStdString(), bytes)) {
        m_shown = url;
        m_folder = QFileInfo(url.toLocalFile()).absolutePath();
        setHtml(QStringLiteral("<html><body><h3>Pagina nu poate fi afisata</h3><p>%1</p>"
                               "</body></html>")
                    .arg(url.toDisplayString().toHtmlEscaped()));
        emit Navigated(url);
        return;
    }
    ShowPage(bytes, url);
}

void CWebBrowser::ShowPage(const std::string& bytes, const QUrl& url) {
    m_shown = url;
    m_folder = QFileInfo(url.toLocalFile()).absolutePath();
    // The pages of lossless recipes say they are UTF-8; every other page is Windows-1250.
    const QString html = PageIsUtf8(bytes)
                             ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                             : FromCp1250(bytes);
    setHtml(html);
    // A browser paints a body's background picture over its background colour; the rich
    // text engine keeps only the colour when both are given, so the picture is laid on here.
    static const QRegularExpression picture(
        QStringLiteral("<body[^>]*\\sbackground\\s*=\\s*\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = picture.match(html);
    if (m.hasMatch()) {
        QImage image;
        image.loadFromData(
            loadResource(QTextDocument::ImageResource, QUrl(m.captured(1))).toByteArray());
        if (!image.isNull()) {
            QTextFrameFormat format = document()->rootFrame()->frameFormat();
            format.setBackground(QBrush(image));
            document()->rootFrame()->setFrameFormat(format);
        }
    }
    emit Navigated(url);
}

QVariant CWebBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && name.isRelative()) {
        for (const QString& folder : {m_folder, QDir::currentPath()}) {
            const QString candidate = QDir(folder).filePath(name.path());
            if (std::string bytes; ReadWholeFile(candidate.toStdString(), bytes))
                return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
        }
        return {};
    }
    if (type == QTextDocument::ImageResource && name.isLocalFile()) {
        // Regular files only: a planted FIFO or device must not hang the window.
        if (std::string bytes; ReadWholeFile(name.toLocalFile().toStdString(), bytes))
            return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
        return {};
    }
    return QTextBrowser::loadResource(type, name);
}

std::unique_ptr<QTextDocument> CWebBrowser::PrintedCopy() const {
    std::unique_ptr<QTextDocument> copy(document()->clone());
    // Paper gets the text, not the coffee beans nor the grey behind them: the ink is the
    // reader's, and the page on screen keeps its look.
    QTextFrameFormat format = copy->rootFrame()->frameFormat();
    format.clearBackground();
    copy->rootFrame()->setFrameFormat(format);
    if (m_printFilter)
        m_printFilter(*copy);
    return copy;
}

void CWebBrowser::PrintTo(QPrinter& printer) const {
    PrintedCopy()->print(&printer);
}

} // namespace savorel::ui
