// The titling script ("ALPHA"): backslash commands and text lines for the studio's
// titling system, one file per day of writing, `OutDev`\scr_D_M.sc.
//
//   \\                                       header
//   \FVER1.10,…                              base font
//   \f001=… … \f008=…                        the eight fonts, one per text colour
//   \f001, StringFirst, terminator(text)     opening page
//   per row: its lines, terminator(text)     [Povt: Tel, terminator(telephone)]
//   \f001, StringLast, terminator(text)      closing page
//   "", terminator(end)                      end page
//
// A terminator is "\n0,0,0,0", "\w0,45,0,725,580,0,0,0" and the page line. The font code
// in force is kept across announcements for the whole file.
//
// Lines of one announcement come from its colour runs (XML), each line on its own and
// one empty line after the last. A line starting with a colour marker "<<N>>" gives the
// font code of N (a number outside the eight keeps the code in force), writes the code
// in force (an empty line while none is set), then the text after the marker. Any other
// line is text. Run texts are stored escaped ("&lt;", "&gt;"…); the escape is undone
// here, so "<" and ">" typed in a text reach the screen as typed.
#pragma once

#include "output/DayList.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace vornelta {

struct TSettings;
class DriveMap;

// "\f001" … "\f008" for the eight text colours; empty for any other number.
QString fontCodeForColour(qint64 colour);

// The script's lines (each to be ended by CR LF).
QStringList titlingScriptLines(const QList<TDayRow>& rows, const QString& stringFirst,
                               const QString& stringLast);

// "scr_7_12.sc" for 7 December.
QString titlingScriptFileName(const QDate& today);

} // namespace vornelta
