// The entry form's announcement text box: one line of text with a colour per character.
// Enter never breaks the line, and every line break that comes in (a paste, a template,
// a stored text) becomes a space; typing stops at the length the table's field holds,
// and a paste is cut to it.
#pragma once

#include <QList>
#include <QString>
#include <QTextEdit>

#include <functional>

namespace vornelta {

// The text as one line: each line break ("\r\n", "\r", "\n", the Unicode line and
// paragraph separators) becomes one space. Every way text enters the entry form goes
// through this.
QString oneLineText(const QString& text);

class TOneLineTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit TOneLineTextEdit(QWidget* parent);

    // Called for Enter instead of a line break.
    std::function<void()> onEnter;
    // Called when a paste was cut to the length limit, with the number of characters
    // left out.
    std::function<void(int dropped)> onPasteCut;

    // The most characters typing and pasting may bring the text to; 0: no limit. A text
    // set whole (setColouredText) is not cut: the save refuses what does not fit.
    void setMaxLength(int length) { m_maxLength = length; }
    int maxLength() const { return m_maxLength; }

    // Replaces the whole text in one edit (the change event sees it once), a colour per
    // character; characters past the colours are white.
    void setColouredText(const QString& text, const QList<int>& colours);
    // The colour of every character, and the colour typed next (Windows colour numbers).
    QList<int> textColours() const;
    int insertionColour() const;
    // Colours the selection, if any, and what is typed next.
    void applyColour(int colour);

    void insertFromMimeData(const QMimeData* source) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // How many characters may still be added in place of the selection.
    int room() const;

    int m_maxLength = 0;
};

} // namespace vornelta
