#include "intake/OneLineTextEdit.h"

#include "tables/AnnouncementTables.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

#include <limits>

namespace vornelta {

namespace {

int colourOf(const QTextCharFormat& format) {
    const QBrush brush = format.foreground();
    return brush.style() == Qt::NoBrush ? kColourWhite : colourNumberFromQColor(brush.color());
}

} // namespace

QString oneLineText(const QString& text) {
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (const QChar lineBreak : {QChar(u'\r'), QChar(u'\n'), QChar(QChar::LineSeparator),
                                  QChar(QChar::ParagraphSeparator)})
        line.replace(lineBreak, QLatin1Char(' '));
    return line;
}

TOneLineTextEdit::TOneLineTextEdit(QWidget* parent) : QTextEdit(parent) {
    setLineWrapMode(QTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
}

int TOneLineTextEdit::room() const {
    if (m_maxLength <= 0) return std::numeric_limits<int>::max();
    const QTextCursor cursor = textCursor();
    const int kept = int(toPlainText().size()) - (cursor.selectionEnd() - cursor.selectionStart());
    return qMax(0, m_maxLength - kept);
}

void TOneLineTextEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (onEnter) onEnter();
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().isPrint() && typed.size() > room()) {
        event->accept(); // the field is full: typing stops
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TOneLineTextEdit::insertFromMimeData(const QMimeData* source) {
    QString text = oneLineText(source->text());
    const int fits = room();
    const int dropped = int(text.size()) - fits;
    if (dropped > 0) text.truncate(fits);
    textCursor().insertText(text);
    if (dropped > 0 && onPasteCut) onPasteCut(dropped);
}

void TOneLineTextEdit::setColouredText(const QString& text, const QList<int>& colours) {
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    const auto colourAt = [&](qsizetype i) {
        return i < colours.size() ? colours[i] : kColourWhite;
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const int colour = colourAt(i);
        qsizetype j = i + 1;
        while (j < text.size() && colourAt(j) == colour)
            ++j;
        QTextCharFormat format;
        format.setForeground(qColorFromColourNumber(colour));
        cursor.insertText(oneLineText(text.mid(i, j - i)), format);
        i = j;
    }
    cursor.endEditBlock();
}

QList<int> TOneLineTextEdit::textColours() const {
    QList<int> colours;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            colours.append(QList<int>(fragment.length(), colourOf(fragment.charFormat())));
        }
    }
    return colours;
}

int TOneLineTextEdit::insertionColour() const {
    return colourOf(currentCharFormat());
}

void TOneLineTextEdit::applyColour(int colour) {
    QTextCharFormat format;
    format.setForeground(qColorFromColourNumber(colour));
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) cursor.mergeCharFormat(format);
    mergeCurrentCharFormat(format); // what is typed next
}

} // namespace vornelta
