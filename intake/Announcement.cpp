#include "intake/Announcement.h"

#include "desk/Desk.h"
#include "intake/RunDates.h"
#include "platform/DayNumber.h"
#include "platform/TextCodec.h"
#include "storage/DorodRecord.h"
#include "storage/DorodTable.h"
#include "tables/AnnouncementTables.h"

#include <string>
#include <vector>

namespace vornelta {

namespace {

QString text(dorod::TDataSet& table, const char* field) {
    return toQt(table.FieldByName(field).AsString());
}

// Every text of the row in Windows-1251, in the order the fields are set.
struct RowBytes {
    std::string client, pasport, tel, type, text, clientCat, oplata, objCat, xml;
};

bool encode(const TAnnouncement& a, RowBytes& out, QString* error) {
    const std::vector<std::pair<const QString*, std::string*>> fields = {
        {&a.client, &out.client}, {&a.pasport, &out.pasport},
        {&a.tel, &out.tel},       {&announcementType(), &out.type},
        {&a.text, &out.text},     {&a.clientCat, &out.clientCat},
        {&a.oplata, &out.oplata}, {&a.objCat, &out.objCat},
        {&a.xml, &out.xml},
    };
    for (const auto& [from, to] : fields)
        if (!fromQt(*from, *to, error)) return false;
    return true;
}

} // namespace

std::optional<TAnnouncement> readCurrentAnnouncement(TDesk& desk) {
    dorod::TDorodTable& t = desk.tData;
    if (!t.Active() || !t.CurrentEntry()) return std::nullopt;
    TAnnouncement a;
    a.id = t.FieldByName(field::kId).AsInteger();
    if (!t.FieldByName(field::kIndate).IsNull())
        a.indate = dateOfDayNumber(t.FieldByName(field::kIndate).AsDayNumber());
    a.client = text(t, field::kClient);
    a.pasport = text(t, field::kPasport);
    a.tel = text(t, field::kTel);
    a.text = text(t, field::kText);
    a.clientCat = text(t, field::kClientCat);
    a.oplata = text(t, field::kOplata);
    a.objCat = text(t, field::kObjCat);
    a.slov = t.FieldByName(field::kSlov).AsInteger();
    a.povt = t.FieldByName(field::kPovt).AsBoolean();
    a.xml = text(t, field::kXml);
    a.summa = t.FieldByName(field::kSumma).AsFloat();
    return a;
}

std::optional<TClientFound> findClient(TDesk& desk, const QString& prefix) {
    dorod::TDorodTable& t = desk.tData;
    if (!t.Active()) return std::nullopt;
    bool ok = false;
    const std::string bytes = fromQt(prefix, &ok);
    if (!ok) return std::nullopt; // no stored name holds such a character
    // A keystroke scans up to every row: the names are compared where they lie, without
    // a copy per row.
    const auto* client =
        static_cast<const dorod::TDorodField*>(t.Store()->FindField(field::kClient));
    if (!client) return std::nullopt;
    int found = -1;
    for (int i = 0, n = t.RecordCount(); i < n; ++i) {
        const dorod::TDorodRecordEntry* entry = t.ViewEntry(i);
        if (entry && dorod::record::getText(entry->data(), *client).starts_with(bytes)) {
            found = i;
            break;
        }
    }
    if (found < 0) return std::nullopt;
    t.SetRecNo(found + 1);
    return TClientFound{text(t, field::kClient), text(t, field::kPasport), text(t, field::kTel),
                        text(t, field::kClientCat)};
}

Result saveAnnouncement(TDesk& desk, const TAnnouncement& a, const QList<int32_t>& runDays,
                        bool newAnnouncement) {
    RowBytes bytes;
    QString error;
    if (!encode(a, bytes, &error))
        return Result::failed(QStringLiteral("Объявление не сохранено: %1").arg(error));

    dorod::TDorodTable& t = desk.tData;
    try {
        if (newAnnouncement)
            t.Insert();
        else
            t.Edit();
        t.FieldByName(field::kId).SetAsInteger(a.id);
        if (a.indate.isValid())
            t.FieldByName(field::kIndate).SetAsDayNumber(dayNumberOf(a.indate));
        else
            t.FieldByName(field::kIndate).Clear();
        t.FieldByName(field::kClient).SetAsString(bytes.client);
        t.FieldByName(field::kPasport).SetAsString(bytes.pasport);
        t.FieldByName(field::kTel).SetAsString(bytes.tel);
        t.FieldByName(field::kType).SetAsString(bytes.type);
        t.FieldByName(field::kTemp).SetAsInteger(kTempValue);
        t.FieldByName(field::kText).SetAsString(bytes.text);
        t.FieldByName(field::kClientCat).SetAsString(bytes.clientCat);
        t.FieldByName(field::kOplata).SetAsString(bytes.oplata);
        t.FieldByName(field::kObjCat).SetAsString(bytes.objCat);
        t.FieldByName(field::kSlov).SetAsInteger(a.slov);
        t.FieldByName(field::kPovt).SetAsBoolean(a.povt);
        t.FieldByName(field::kXml).SetAsString(bytes.xml);
        t.FieldByName(field::kSumma).SetAsFloat(a.summa);
        t.Post();
        replaceRunDates(desk, a.id, runDays);
    } catch (...) {
        desk.tDates.CancelChanges();
        t.CancelChanges();
        throw;
    }

    // Both tables now hold the announcement; the files follow, data.d first.
    const Result saved = desk.saveTables({&t, &desk.tDates});
    if (!saved)
        return Result::failed(QStringLiteral("Объявление не сохранено. %1").arg(saved.error()));
    // The list stays on the saved announcement when it shows it.
    if (!t.CurrentEntry() || t.FieldByName(field::kId).AsInteger() != a.id)
        t.Locate(field::kId, {std::to_string(a.id)});
    return {};
}

} // namespace vornelta
