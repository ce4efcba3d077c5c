#pragma once

#include <QDialog>

#include "core/session.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace savorel::ui {

class WindowFrame;

class SortedListBox;

// The dictionary of culinary terms: the words of dict.txt, a word field, its explanation, and
// a button that carries a word marked in the explanation up into the word field.
class CDictionaryDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CDictionaryDlg(Session& session, QWidget* parent = nullptr);

    // Opens at a word: the word field holds it, the list shows it, its explanation is shown.
    void ShowWord(const QString& word);

public slots:
    void OnLookUp();
    void OnSelchangeWords();
    void OnTakeMarkedWord();
    void OnHelp();
    void OnWordEdited(const QString& text);

private:
    void OnInitDialog();

    SortedListBox* m_words;
    QLineEdit* m_word;
    QPushButton* m_lookUp;
    QPushButton* m_takeMarked;
    QPlainTextEdit* m_explanation;
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
    Session& m_session;
};

} // namespace savorel::ui
