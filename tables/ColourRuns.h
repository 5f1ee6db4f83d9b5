// Colour runs: how an announcement's per-character colours are kept in the `XML` field of
// data.d. The text is cut into maximal runs of equal colour R1 … Rk with colours C1 … Ck;
// a marker is "<<" + decimal colour number + ">>":
//
//   <<C1>> CR LF R1 { CR LF <<Cj>> Rj }     no line break at the end
//   <<C>> CR LF                             an empty text; C is the colour at the caret
//
// Values are QStrings here; the field holds their Windows-1251 bytes. Markers, line
// breaks and escapes are ASCII, so encoding before or after the conversion gives the
// same bytes.
//
// Escaping. A run's text could otherwise hold "<<", ">>" or a line break and be taken
// for structure. Inside a run these characters are written as entities:
//
//   "<"  as "&lt;"      ">"  as "&gt;"      CR as "&#13;"      LF as "&#10;"
//   "&"  as "&amp;", but only where the characters after it would otherwise read as one
//        of these entities ("lt;", "gt;", "amp;", "#13;", "#10;"); any other "&" is kept
//
// So a stored run never holds "<", ">", CR or LF, and a text without "<", ">", CR, LF and
// without such "&" sequences is stored byte for byte as typed. Every reader below undoes
// the escape; an "&" that starts no entity is read as itself.
//
// Reading never fails. A value that is not exactly in the form above (no marker, a
// marker that is not a decimal number or not one of the eight text colours, bare CR or
// LF, text on a marker's own first line, lines without a marker, an empty run, a line
// break at the end of a non-empty text, an unterminated "<<", a stray "<" or ">") gives
// the best reading and damaged = true. Runs of equal colour next to each other are
// legal. Markers never span a line break; "<<" that does not start "<<digits>>" is text.
#pragma once

#include "tables/AnnouncementTables.h"

#include <QList>
#include <QString>

namespace vornelta {

// "No colour yet": the line readers' colour before the first readable marker.
inline constexpr int kNoColour = -1;

// "<<255>>".
QString colourMarker(int colour);
QString escapeRunText(const QString& text);
QString unescapeRunText(const QString& text);

// The stored value of a text with one colour per character (per UTF-16 unit; every
// Windows-1251 character is one). Missing colours repeat the last one given (the
// insertion colour when none is); extra colours are ignored. An empty text is stored as
// the insertion colour's marker and one line break. Colours are written as given.
QString encodeColourRuns(const QString& text, const QList<int>& colours,
                         int insertionColour = kColourWhite);

// The entry form's reading: all lines joined without separators, the markers walked in
// order. Text before any readable marker takes defaultColour; a marker with an unknown
// number keeps the colour in force.
struct ColouredText {
    QString text;
    QList<int> colours; // one per character of text
    // The colour of the first character; for an empty text the colour the value names
    // (where typing continues).
    int firstColour = kColourWhite;
    bool damaged = false;
};
ColouredText decodeColourRuns(const QString& stored, int defaultColour = kColourWhite);

// The output writers' reading: the value's lines (CR LF, CR or LF end a line; a break at
// the very end opens no further line). A line holding a marker after text, or several
// markers, is split at each marker into several entries.
struct ColourLine {
    bool marker = false;    // the entry starts with a colour marker
    int colour = kNoColour; // the colour of text: the last readable marker's, up to here
    QString text;           // the entry's text after its marker, escape undone
};
struct ColourLines {
    QList<ColourLine> lines;
    bool damaged = false;
};
ColourLines readColourLines(const QString& stored);

// Colours for a text of this length from a decoded reading, as the entry form lays runs
// over its text: position by position, the rest in fill.
QList<int> fitColours(const QList<int>& colours, qsizetype length, int fill);

} // namespace vornelta
