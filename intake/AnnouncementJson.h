// An announcement taken elsewhere (a web form, a mail robot) as one JSON object:
//   {"Client": "…", "Pasport": "…", "Tel": "…", "ClientCat": "ФИЗЛИЦА",
//    "Oplata": "НАЛИЧНЫЙ", "ObjCat": "ПРОЧЕЕ", "Text": "…", "povt": false,
//    "dates": ["2026-12-11", "2026-12-12"], "indate": "2026-12-10",
//    "realty": {"vid": "…", "tip": "…"}}
// Only the shape is read here; what the entry form checks is checked by its own checks.
#pragma once

#include "intake/Announcement.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace vornelta {

// The classification the "Квартиры" window would write for a flat announcement.
struct TRealtyChoice {
    QString tip; // the deal, one of realtyDeals() or empty
    QString vid; // the flat, one of realtyFlats() or empty
};

struct TOutsideAnnouncement {
    // The fields as given; indate today when not given. Number, words, sum and colours
    // are the desk's to set.
    TAnnouncement announcement;
    QList<QDate> runDays; // in the order given
    std::optional<TRealtyChoice> realty;
};

// Reads the object. Fails naming the fault for text that is no JSON object, a member
// that is not known or not of its type (texts are strings, "povt" true or false,
// "dates" a list), and a date that does not read (YYYY-MM-DD or dd.MM.yyyy) — the last
// with the entry form's message. Members left out are empty (povt false).
ValueResult<TOutsideAnnouncement> readAnnouncementJson(const QByteArray& json, const QDate& today);

} // namespace vornelta
