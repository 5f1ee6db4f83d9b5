// `--add-announcement FILE|-`: an announcement taken elsewhere (a web form, a mail robot),
// read as JSON (intake/AnnouncementJson), entered as the entry form enters a new one: the
// form's checks and messages, its number, words, price and colours (the text in the
// colour typed without a choice), its save; the realty row a flat announcement gets in
// "Квартиры" when the JSON says how to classify it. Prints "number<TAB>sum", the sum as
// the receipt prints it; with --pdf the receipt is written as PDF too.
//
// Refused input: the message on err, exit 1, nothing written. The announcement saved but
// its receipt not written: the line is printed, then the message, exit 1.
#pragma once

#include <QString>

class QTextStream;

namespace vornelta {

class TDesk;

struct TAddAnnouncementOptions {
    QString source; // a JSON file, or "-" for standard input
    QString pdf;    // the receipt's PDF; empty: none
};

// Runs the command on an open desk. Gives the exit code.
int runAddAnnouncement(TDesk& desk, const TAddAnnouncementOptions& options, QTextStream& out,
                       QTextStream& err);

} // namespace vornelta
