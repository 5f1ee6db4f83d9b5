// The settings record: the values of config.INI, section "General", held for the whole
// run. LoadConfig reads them once at start; SaveConfig writes the ten keys the desk
// changes and leaves every other line of the file (NAME included) as it was. The desk's
// printer lives beside them in the section "Print":
//
//   [Print]
//   Printer=office            the CUPS queue receipts and reports go to; empty: the
//                             system's default printer
//   ReceiptWithoutPreview=0   1: a saved announcement's receipt goes straight to the
//                             printer, without the preview
#pragma once

#include "platform/Result.h"
#include <QString>

namespace vornelta {

class DriveMap;

struct TSettings {
    double WordPrice = 0;   // price per word and day; the rate of every price
    double WordPriceP = 0;  // rate shown for "ПРЕДПРИНИМАТЕЛИ"
    double WordPriceUr = 0; // rate shown for "ЮРЛИЦА"
    double PricePovtor = 0; // flat charge for repeating the telephone
    int BlockDelay = 0;
    QString StringFirst; // text at the start of the day's block
    QString StringLast;  // text at the end of the day's block
    int SymKol = 0;      // character limit of a text
    QString OutDev;      // "A:" … "F:" or empty
    int XProb = 0;       // trailing spaces of the plain text output
    QString NAME = QStringLiteral("НЕ ВВЕДЕНО !");
    QString Printer;                    // section Print; empty: the system's default
    bool ReceiptWithoutPreview = false; // section Print
    // Section Database: the libpq URL of the database holding the tables of several
    // counters; empty: the tables are the folder's .d files. Never with a password
    // (~/.pgpass or PGPASSWORD hold it).
    QString DatabaseUrl;
};

// Whether a libpq URL or key=value string carries a password, which config.INI never holds.
bool databaseUrlHasPassword(const QString& url);

inline const QString kConfigFileName = QStringLiteral("config.INI");

// Reads the settings (and the drive map, when given) from the file; a missing file or key
// gives the defaults, an unreadable number its default.
void LoadConfig(const QString& path, TSettings& settings, DriveMap* drives = nullptr);
// Writes the ten keys in their order, the sections Print and Database (and the drive map,
// when given). Failed with a reason when the file cannot be written or the database URL
// holds a password; the old file is then unchanged.
Result SaveConfig(const QString& path, const TSettings& settings, const DriveMap* drives = nullptr);

// Numbers as the file holds them: the locale's decimal separator, no grouping.
QString formatConfigNumber(double value);
double parseConfigNumber(const QString& text, double fallback);
int parseConfigInteger(const QString& text, int fallback);

} // namespace vornelta
