#include "output/ScriptWriter.h"

#include "platform/TextFileWriter.h"
#include "tables/AnnouncementTables.h"
#include "tables/ColourRuns.h"

#include <QRegularExpression>

namespace vornelta {

namespace {

const QString kHeader = QStringLiteral("\\\\");
const QString kBaseFont = QStringLiteral(
    "\\FVER1.10,129471,Arial,66,100,400,0,0,0,1,0,2,1,1,16777215,16777215,,255,255,0,0,0,0,"
    "16777215,16777215,,255,255,0,0,1,1,16777215,16777215,,255,255,Normal");

struct FontDef {
    int colour;     // the editor's colour number
    int fontColour; // the colour in the font's definition line
};
// In the order of the font numbers \f001 … \f008.
constexpr FontDef kFonts[] = {
    {kColourWhite, 16777215},  {kColourRed, 255},      {kColourNavy, 16711680},
    {kColourPurple, 16711808}, {kColourBlack, 0},      {kColourGreen, 65280},
    {kColourYellow, 4259584},  {kColourOrange, 33023},
};

QString fontCode(int index) {
    return QStringLiteral("\\f%1").arg(index + 1, 3, 10, QLatin1Char('0'));
}

QString fontDefinition(int index) {
    const QString c = QString::number(kFonts[index].fontColour);
    return fontCode(index) + QStringLiteral("=VER1.10,129471,Arial,45,100,700,0,0,0,1,0,2,1,1,") +
           c + QLatin1Char(',') + c +
           QStringLiteral(",,255,255,0,0,0,0,0,0,,0,0,0,1,1,1,0,0,,255,255,Normal");
}

const QString kWindowLine = QStringLiteral("\\w0,45,0,725,580,0,0,0");
const QString kTextPage = QStringLiteral("\\p0,4,495,40,45,30,0,0,1,0,1,8,0,0,0,");
const QString kTelephonePage = QStringLiteral("\\p4,4,495,80,45,30,0,0,1,1,1,8,0,0,0,");
const QString kEndPage = QStringLiteral("\\p4,10,400,2000,45,30,0,0,1,1,1,8,0,0,0,");

void terminate(QStringList& out, const QString& pageLine) {
    out << QStringLiteral("\\n0,0,0,0") << kWindowLine << pageLine;
}

// The value's lines: CR LF, CR or LF end a line; a break at the very end opens none.
QStringList splitLines(const QString& value) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = value.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// One announcement: its lines, then one empty line. `font` is the code in force.
void appendAnnouncement(QStringList& out, const QString& xml, QString& font) {
    static const QRegularExpression marker(QStringLiteral("^<<(\\d+)>>"));
    QStringList lines = splitLines(xml);
    lines << QString();
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = marker.match(line);
        if (!m.hasMatch()) {
            out << withCrLfBreaks(unescapeRunText(line));
            continue;
        }
        bool ok = false;
        const qint64 colour = m.captured(1).toLongLong(&ok);
        const QString code = ok ? fontCodeForColour(colour) : QString();
        if (!code.isEmpty()) font = code;
        out << font << withCrLfBreaks(unescapeRunText(line.mid(m.capturedLength())));
    }
}

} // namespace

QString fontCodeForColour(qint64 colour) {
    for (int i = 0; i < int(std::size(kFonts)); ++i)
        if (kFonts[i].colour == colour) return fontCode(i);
    return {};
}

QStringList titlingScriptLines(const QList<TDayRow>& rows, const QString& stringFirst,
                               const QString& stringLast) {
    QStringList out;
    out << kHeader << kBaseFont;
    for (int i = 0; i < int(std::size(kFonts)); ++i)
        out << fontDefinition(i);

    const QString white = fontCode(0);
    out << white << withCrLfBreaks(stringFirst);
    terminate(out, kTextPage);

    QString font; // none until the first colour marker of the file
    for (const TDayRow& row : rows) {
        appendAnnouncement(out, row.XML, font);
        terminate(out, kTextPage);
        if (row.Povt) {
            out << withCrLfBreaks(row.Tel);
            terminate(out, kTelephonePage);
        }
    }

    out << white << withCrLfBreaks(stringLast);
    terminate(out, kTextPage);
    out << QString();
    terminate(out, kEndPage);
    return out;
}

QString titlingScriptFileName(const QDate& today) {
    return QStringLiteral("scr_%1_%2.sc").arg(today.day()).arg(today.month());
}

} // namespace vornelta
