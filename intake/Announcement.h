// An announcement as the entry form reads and writes it: one row of data.d and its run
// days in dates.d. The commands here take the desk, so the form and the commands without
// a window share them.
#pragma once

#include "platform/Result.h"

#include <QDate>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace vornelta {

class TDesk;

struct TAnnouncement {
    int id = 0;
    QDate indate;
    QString client;
    QString pasport;
    QString tel;
    QString text;      // plain, without colours
    QString clientCat; // ClientCat
    QString oplata;    // Oplata
    QString objCat;    // ObjCat
    int slov = 0;      // counted words
    bool povt = false; // repeat the telephone at the end
    QString xml;       // colour runs
    double summa = 0;
};

// tData's current row; nothing when there is none (an empty list).
std::optional<TAnnouncement> readCurrentAnnouncement(TDesk& desk);

// What the client look-up fills in from an earlier announcement of the client.
struct TClientFound {
    QString client; // the full name
    QString pasport;
    QString tel;
    QString clientCat;
};

// The first row of data.d, in tData's order, whose Client begins with `prefix` (letter
// case counts); the rows the main window's search hides count too, as they do for the
// numbering. It becomes tData's current row when the list shows it. Nothing when no row
// matches or the prefix is empty (an emptied box finds no client).
std::optional<TClientFound> findClient(TDesk& desk, const QString& prefix);

// The entry form's checks before a save, in its order: a client, a client category, a
// subject category and a payment method each one of its list, and at least one run day.
// Failed with the form's message for the first that is missing; a value that is not in
// its list (only a caller from outside can give one) is named after that message.
Result checkRequiredEntries(const TAnnouncement& announcement, int runDayCount);

// Whether every text of the announcement fits its field of data.d (the engine would cut
// a longer one without a word); failed with the field named when one does not.
Result checkFieldWidths(const TAnnouncement& announcement);

// Writes the announcement: a new row of data.d (newAnnouncement) or tData's current row
// changed, fields in the desk's order; its run days replace those in dates.d; data.d is
// saved, then dates.d (on a database: both in one transaction, the number of a new one
// settled there — desk.savedNumber(announcement.id) gives it). Afterwards tData's current
// row is the announcement when the list shows it. A text longer than its field
// (checkFieldWidths), a text that Windows-1251 cannot hold, or a file that cannot be
// written, leaves the tables as they were (a data.d already written is written back as it
// was) and fails saying so. Other engine errors propagate, the tables left as they were.
// With `realtyRow` a row of rielt.d already posted for the announcement (its
// classification) is saved in the same step: the three files are written, or none is.
enum class RealtyRow { None, Posted };
Result saveAnnouncement(TDesk& desk, const TAnnouncement& announcement,
                        const QList<int32_t>& runDays, bool newAnnouncement,
                        RealtyRow realtyRow = RealtyRow::None);

} // namespace vornelta
