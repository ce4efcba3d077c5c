#include "dictionary/ui/CDictionaryDlg.h"

#include "core/ui/qt_geometry.h"
#include "core/ui/qt_list_box.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "core/ui/qt_window_frame.h"
#include "dictionary/dictionary.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSvgRenderer>

namespace savorel::ui {

namespace {

constexpr int kStaticId = 65535;

// The arrow pictures, drawn at this size inside 62 x 16 dialog-unit buttons.
constexpr QSize kArrowSize(84, 20);

// Bitmaps 133 and 134: loaded on the first opening, kept for the life of the program.
struct ArrowPictures {
    QPixmap down;
    QPixmap up;
};

QPixmap LoadArrow(const QString& resource) {
    QPixmap picture(kArrowSize);
    picture.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}

const ArrowPictures& Arrows() {
    static const ArrowPictures arrows{LoadArrow(QStringLiteral(":/img/arrow_down.svg")),
                                      LoadArrow(QStringLiteral(":/img/arrow_up.svg"))};
    return arrows;
}

QString HeaderText() {
    return QString(41, QLatin1Char(' ')) +
           QStringLiteral("Introduceti cuvantul a carui explicatie doriti sa o cautati in "
                          "dictionar\n") +
           QString(49, QLatin1Char(' ')) +
           QStringLiteral("Puteti selecta, de asemenea, un cuvant spre a fi afisat.....");
}

} // namespace

CDictionaryDlg::CDictionaryDlg(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setWindowTitle(QStringLiteral("Dictionar de termeni culinari"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    resize(DluX(317), DluY(212));

    auto* header = new QLabel(HeaderText(), this);
    header->setObjectName(QStringLiteral("header"));
    header->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    header->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Place(header, kStaticId, 0, 0, 313, 21);
    // The indents are blanks of the text; the font is fitted so that both lines show whole.
    FitFontToWidth(header, header->text(), header->contentsRect().width() - 4);

    m_words = new SortedListBox(this);
    m_words->setObjectName(QStringLiteral("words"));
    Place(m_words, 1000, 1, 29, 151, 181);

    m_word = new QLineEdit(this);
    m_word->setObjectName(QStringLiteral("word"));
    Place(m_word, 1009, 164, 29, 151, 20);

    // Picture buttons: the template texts "Button1" and "Button2" are never shown.
    m_lookUp = MakeButton(this, 1003, "lookUp", QString(), 165, 52, 62, 16);
    m_lookUp->setAccessibleName(QStringLiteral("Button1"));
    m_takeMarked = MakeButton(this, 1004, "takeMarkedWord", QString(), 254, 52, 62, 16);
    m_takeMarked->setAccessibleName(QStringLiteral("Button2"));

    m_explanation = new QPlainTextEdit(this);
    m_explanation->setObjectName(QStringLiteral("explanation"));
    m_explanation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_explanation->setTabChangesFocus(true);
    Place(m_explanation, 1010, 165, 72, 151, 113);

    QPushButton* help = MakeButton(this, 1005, "help", QStringLiteral("Ajutor"), 165, 192, 66, 20);
    QPushButton* exit = MakeButton(this, 1, "exit", QStringLiteral("Iesire"), 251, 192, 66, 20);
    exit->setDefault(true); // Enter in the word field closes the window

    // Grown, the word list and the explanation share the width and take the height.
    m_frame = new WindowFrame(this, QStringLiteral("dictionary"), m_session);
    m_frame->Anchor(header, {0, 0, 1, 0});
    m_frame->Anchor(m_words, {0, 0, 0.5, 1});
    m_frame->Anchor(m_word, {0.5, 0, 0.5, 0});
    m_frame->Anchor(m_lookUp, {0.5, 0, 0, 0});
    m_frame->Anchor(m_takeMarked, kStayTopRight);
    m_frame->Anchor(m_explanation, {0.5, 0, 0.5, 1});
    m_frame->Anchor(help, {0.5, 1, 0, 0});
    m_frame->Anchor(exit, kStayBottomRight);

    connect(m_lookUp, &QPushButton::clicked, this, &CDictionaryDlg::OnLookUp);
    connect(m_takeMarked, &QPushButton::clicked, this, &CDictionaryDlg::OnTakeMarkedWord);
    connect(help, &QPushButton::clicked, this, &CDictionaryDlg::OnHelp);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    m_words->onSelchange = [this] { OnSelchangeWords(); };
    connect(m_word, &QLineEdit::textEdited, this, &CDictionaryDlg::OnWordEdited);

    OnInitDialog();
}

void CDictionaryDlg::OnInitDialog() {
    // A dictionary that cannot be opened leaves the list empty, silently.
    if (const auto words = ReadDictionaryWords())
        for (const std::string& word : *words)
            m_words->AddString(FromCp1250(word));
    const ArrowPictures& arrows = Arrows();
    m_lookUp->setIcon(QIcon(arrows.down));
    m_lookUp->setIconSize(arrows.down.size());
    m_takeMarked->setIcon(QIcon(arrows.up));
    m_takeMarked->setIconSize(arrows.up.size());
}

void CDictionaryDlg::ShowWord(const QString& word) {
    m_word->setText(word);
    const auto items = m_words->findItems(word, Qt::MatchExactly);
    if (!items.isEmpty())
        m_words->scrollToItem(items.front());
    OnLookUp();
}

// Finds as the user types: the list moves to the first word that begins with the text typed,
// chosen but not looked up, so the explanation stays until the user asks for another.
void CDictionaryDlg::OnWordEdited(const QString& text) {
    const std::string typed = ToCp1250(text).substr(0, kDictionaryWordLimit);
    for (int row = 0; row < m_words->count(); ++row) {
        QListWidgetItem* item = m_words->item(row);
        if (!WordStartsWith(ToCp1250(item->text()), typed))
            continue;
        const QSignalBlocker quiet(m_words);
        m_words->setCurrentItem(item);
        m_words->scrollToItem(item, QAbstractItemView::PositionAtTop);
        return;
    }
}

void CDictionaryDlg::OnLookUp() {
    m_explanation->clear();
    const std::string word(TrimTypedWord(ToCp1250(m_word->text()).substr(0, kDictionaryWordLimit)));
    if (DictionaryLookup(word, m_session.dictionaryBuffer) == LookupResult::Found)
        m_explanation->setPlainText(FromCp1250(m_session.dictionaryBuffer));
    else
        ShowMessage(this, QString::fromLatin1(kWordNotFound));
}

void CDictionaryDlg::OnSelchangeWords() {
    const QListWidgetItem* item = m_words->currentItem();
    if (!item)
        return;
    m_explanation->clear();
    m_word->setText(item->text());
    OnLookUp();
}

void CDictionaryDlg::OnTakeMarkedWord() {
    if (!m_explanation->textCursor().hasSelection()) {
        ShowMessage(this, QString::fromLatin1(kNothingMarked));
        return;
    }
    // Through the clipboard, as the platform's edit controls copy and paste; the clipboard
    // keeps the marked text afterwards.
    m_explanation->copy();
    m_word->clear();
    m_word->paste();
    m_word->setText(FromCp1250(TrimMarkedWord(ToCp1250(m_word->text()))));
}

void CDictionaryDlg::OnHelp() {
    ShowMessage(this, QString::fromLatin1(kDictionaryHelp));
}

} // namespace savorel::ui
