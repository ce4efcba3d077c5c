#include "viewing/ui/qt_term_links.h"

#include "catalogue/page.h"
#include "core/cp1250.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "dictionary/terms.h"
#include "dictionary/ui/CDictionaryDlg.h"
#include "viewing/ui/CWebBrowser.h"

#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace savorel::ui {

namespace {

const QString kScheme = QStringLiteral("term");
// Properties a link keeps of the text it lies over, so printing can give the text back.
constexpr int kIsTermLink = QTextFormat::UserProperty + 1;
constexpr int kOldForeground = QTextFormat::UserProperty + 2;
constexpr int kOldUnderline = QTextFormat::UserProperty + 3;

} // namespace

TermLinks::TermLinks(QWidget* window, CWebBrowser* browser, Session& session)
    : QObject(window), m_window(window), m_browser(browser), m_session(session) {
    m_panel = new QFrame(window);
    m_panel->setObjectName(QStringLiteral("termPanel"));
    m_panel->setFrameShape(QFrame::Box);
    m_panel->setAutoFillBackground(true);
    PlaceBeside(browser->geometry());
    auto* layout = new QVBoxLayout(m_panel);
    auto* top = new QHBoxLayout;
    m_word = new QLabel(m_panel);
    m_word->setObjectName(QStringLiteral("termWord"));
    QFont bold = m_word->font();
    bold.setBold(true);
    m_word->setFont(bold);
    m_word->setWordWrap(true);
    auto* close = new QPushButton(QStringLiteral("x"), m_panel);
    close->setObjectName(QStringLiteral("termClose"));
    close->setFixedWidth(DluX(14));
    top->addWidget(m_word, 1);
    top->addWidget(close);
    layout->addLayout(top);
    m_explanation = new QTextBrowser(m_panel);
    m_explanation->setObjectName(QStringLiteral("termExplanation"));
    layout->addWidget(m_explanation, 1);
    auto* open = new QPushButton(QStringLiteral("Deschide dictionarul"), m_panel);
    open->setObjectName(QStringLiteral("termOpenDictionary"));
    layout->addWidget(open);
    m_panel->hide();

    connect(close, &QPushButton::clicked, m_panel, &QWidget::hide);
    connect(open, &QPushButton::clicked, this, &TermLinks::OnOpenDictionary);
    connect(browser, &CWebBrowser::Navigated, this, &TermLinks::OnNavigated);
    connect(browser, &QTextBrowser::anchorClicked, this, &TermLinks::OnLinkClicked);
    browser->SetPrintFilter([](QTextDocument& document) { StripLinks(document); });
}

TermLinks::~TermLinks() = default;

void TermLinks::PlaceBeside(const QRect& page) {
    const int width = page.width() * 2 / 5;
    m_panel->setGeometry(page.right() + 1 - width, page.top(), width, page.height());
}

void TermLinks::OnNavigated(const QUrl& url) {
    m_links = 0;
    m_panel->hide();
    // Only the recipe page holds recipe text; the calorie page is left as written.
    if (QFileInfo(url.toLocalFile()).fileName() != QString::fromLatin1(kRecipePageName))
        return;
    if (!m_loaded) {
        m_finder = LoadTermFinder(); // read once per window; no dictionary, no links
        m_loaded = true;
    }
    if (!m_finder)
        return;
    QTextDocument* document = m_browser->document();
    // One byte per UTF-16 unit, so that the spans found are the document's positions; letters
    // Windows-1250 lacks fold to their base letter, as the dictionary's words do.
    const QString plain = document->toPlainText();
    std::string text;
    text.reserve(static_cast<std::size_t>(plain.size()));
    for (const QChar ch : plain)
        text.push_back(ch.isSurrogate() ? '?' : Cp1250CharFolded(ch.unicode()));
    QTextCursor cursor(document);
    for (const TermSpan& span : m_finder->Find(text)) {
        const QString href = kScheme + QLatin1Char(':') + QString::number(span.entry);
        for (std::size_t p = span.begin; p < span.end; ++p) {
            cursor.setPosition(static_cast<int>(p));
            cursor.setPosition(static_cast<int>(p) + 1, QTextCursor::KeepAnchor);
            QTextCharFormat format = cursor.charFormat();
            format.setProperty(kIsTermLink, true);
            format.setProperty(kOldForeground, format.hasProperty(QTextFormat::ForegroundBrush)
                                                   ? QVariant(format.foreground())
                                                   : QVariant());
            format.setProperty(kOldUnderline, format.fontUnderline());
            format.setAnchor(true);
            format.setAnchorHref(href);
            format.setForeground(QColor(0x00, 0x33, 0x99));
            format.setFontUnderline(true);
            format.setUnderlineStyle(QTextCharFormat::DotLine);
            cursor.setCharFormat(format);
        }
        ++m_links;
    }
}

void TermLinks::StripLinks(QTextDocument& document) {
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (!format.boolProperty(kIsTermLink))
                continue;
            const QVariant foreground = format.property(kOldForeground);
            if (foreground.isValid())
                format.setForeground(foreground.value<QBrush>());
            else
                format.clearForeground();
            format.setFontUnderline(format.boolProperty(kOldUnderline));
            format.setUnderlineStyle(format.boolProperty(kOldUnderline)
                                         ? QTextCharFormat::SingleUnderline
                                         : QTextCharFormat::NoUnderline);
            format.setAnchor(false);
            format.clearProperty(QTextFormat::AnchorHref);
            for (const int p : {kIsTermLink, kOldForeground, kOldUnderline})
                format.clearProperty(p);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
}

void TermLinks::OnLinkClicked(const QUrl& url) {
    if (url.scheme() != kScheme || !m_finder)
        return;
    bool ok = false;
    const std::size_t entry = url.path().toULongLong(&ok);
    if (!ok || entry >= m_finder->Entries().size())
        return;
    const DictionaryEntry& e = m_finder->Entries()[entry];
    m_word->setText(FromCp1250(e.word));
    m_explanation->setPlainText(FromCp1250(e.explanation));
    m_panel->show();
    m_panel->raise();
}

void TermLinks::OnOpenDictionary() {
    CDictionaryDlg dictionary(m_session, m_window);
    dictionary.ShowWord(m_word->text());
    RunModal(dictionary);
}

} // namespace savorel::ui
