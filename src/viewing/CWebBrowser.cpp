#include "viewing/CWebBrowser.h"

#include "core/files.h"
#include "core/qt_dialogs.h"

#include <QDir>
#include <QFile>
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

void CWebBrowser::Navigate(const QString& url) {
    const QUrl address(url);
    const QString path = address.isLocalFile() ? address.toLocalFile() : url.mid(7);
    m_shown = address;
    m_folder = QFileInfo(path).absolutePath();
    std::string bytes;
    if (!ReadWholeFile(path.toStdString(), bytes)) {
        setHtml(QStringLiteral("<html><body><h3>Pagina nu poate fi afisata</h3><p>%1</p>"
                               "</body></html>")
                    .arg(url.toHtmlEscaped()));
        emit Navigated(address);
        return;
    }
    const QString html = FromCp1250(bytes);
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
    emit Navigated(address);
}

QVariant CWebBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && name.isRelative()) {
        for (const QString& folder : {m_folder, QDir::currentPath()}) {
            const QString candidate = QDir(folder).filePath(name.path());
            QFile file(candidate);
            if (file.open(QIODevice::ReadOnly))
                return file.readAll();
        }
        return {};
    }
    if (type == QTextDocument::ImageResource && name.isLocalFile()) {
        QFile file(name.toLocalFile());
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
        return {};
    }
    return QTextBrowser::loadResource(type, name);
}

void CWebBrowser::PrintTo(QPrinter& printer) const {
    if (!m_printFilter) {
        document()->print(&printer);
        return;
    }
    const std::unique_ptr<QTextDocument> copy(document()->clone());
    m_printFilter(*copy);
    copy->print(&printer);
}

} // namespace savorel::ui
