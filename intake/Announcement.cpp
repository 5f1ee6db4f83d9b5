#include "intake/Announcement.h"

#include "desk/Desk.h"
#include "intake/RunDates.h"
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

// Undoes every unsaved change of the two tables (the rows posted by this save).
void cancelBoth(TDesk& desk) {
    desk.tDates.CancelChanges();
    desk.tData.CancelChanges();
}

bool saveFile(dorod::TDorodTable& table, QString* error) {
    try {
        table.SaveToFile(table.TablePath());
        return true;
    } catch (const dorod::EDatabaseError& e) {
        *error = toQt(e.what());
        return false;
    }
}

} // namespace

Result checkFieldWidths(const TAnnouncement& a) {
    struct Width {
        const QString* value;
        const char* field;
        const char16_t* caption; // as the operator knows the box
        int width;
    };
    const Width widths[] = {
        {&a.client, "Client", u"Заказчик", kClientWidth},
        {&a.pasport, "Pasport", u"Паспорт", kPasportWidth},
        {&a.tel, "Tel", u"Телефон", kTelWidth},
        {&a.text, "Text", u"Текст объявления", kTextWidth},
        {&a.clientCat, "ClientCat", u"Категория клиента", kClientCatWidth},
        {&a.oplata, "Oplata", u"Оплата", kOplataWidth},
        {&a.objCat, "ObjCat", u"Категория объявления", kObjCatWidth},
    };
    // Windows-1251 keeps one byte per character: the width counts characters.
    for (const Width& w : widths)
        if (w.value->size() > w.width)
            return Result::failed(
                QStringLiteral("Объявление не сохранено: поле «%1» (%2) вмещает %3 знаков, "
                               "а введено %4. Сократите его.")
                    .arg(QString::fromUtf16(w.caption), QLatin1String(w.field))
                    .arg(w.width)
                    .arg(w.value->size()));
    return {};
}

std::optional<TAnnouncement> readCurrentAnnouncement(TDesk& desk) {
    dorod::TDorodTable& t = desk.tData;
    if (!t.Active() || !t.CurrentEntry()) return std::nullopt;
    TAnnouncement a;
    a.id = t.FieldByName("id").AsInteger();
    if (!t.FieldByName("indate").IsNull())
        a.indate = dateOfDayNumber(t.FieldByName("indate").AsDayNumber());
    a.client = text(t, "Client");
    a.pasport = text(t, "Pasport");
    a.tel = text(t, "Tel");
    a.text = text(t, "Text");
    a.clientCat = text(t, "ClientCat");
    a.oplata = text(t, "Oplata");
    a.objCat = text(t, "ObjCat");
    a.slov = t.FieldByName("slov").AsInteger();
    a.povt = t.FieldByName("povt").AsBoolean();
    a.xml = text(t, "XML");
    a.summa = t.FieldByName("Summa").AsFloat();
    return a;
}

std::optional<TClientFound> findClient(TDesk& desk, const QString& prefix) {
    dorod::TDorodTable& t = desk.tData;
    if (!t.Active() || prefix.isEmpty()) return std::nullopt;
    bool ok = false;
    const std::string bytes = fromQt(prefix, &ok);
    if (!ok) return std::nullopt; // no stored name holds such a character
    // A keystroke scans up to every row: the names are compared where they lie, without
    // a copy per row. Every row counts, also those the main window's search hides.
    const auto* client = static_cast<const dorod::TDorodField*>(t.Store()->FindField("Client"));
    if (!client) return std::nullopt;
    const dorod::TDorodRecordEntry* found =
        firstRowInTableOrder(t, [&](const dorod::TDorodRecordEntry& entry) {
            return dorod::record::getText(entry.data(), *client).starts_with(bytes);
        });
    if (!found) return std::nullopt;
    dorod::TDorodCursor& store = *t.Store();
    const auto value = [&](const char* field) {
        const dorod::TDorodField* f = store.FindField(field);
        return f ? toQt(store.FieldAsText(*f, found)) : QString();
    };
    // The found row becomes the current one where the list shows it.
    for (int i = 0, n = t.RecordCount(); i < n; ++i) {
        if (t.ViewEntry(i) == found) {
            t.SetRecNo(i + 1);
            break;
        }
    }
    return TClientFound{value("Client"), value("Pasport"), value("Tel"), value("ClientCat")};
}

TSaveResult saveAnnouncement(TDesk& desk, const TAnnouncement& a, const QList<int32_t>& runDays,
                             bool newAnnouncement) {
    if (const Result fits = checkFieldWidths(a); !fits) return {false, fits.error()};
    RowBytes bytes;
    QString error;
    if (!encode(a, bytes, &error))
        return {false, QStringLiteral("Объявление не сохранено: %1").arg(error)};

    dorod::TDorodTable& t = desk.tData;
    try {
        if (newAnnouncement)
            t.Insert();
        else
            t.Edit();
        t.FieldByName("id").SetAsInteger(a.id);
        if (a.indate.isValid())
            t.FieldByName("indate").SetAsDayNumber(dayNumberOf(a.indate));
        else
            t.FieldByName("indate").Clear();
        t.FieldByName("Client").SetAsString(bytes.client);
        t.FieldByName("Pasport").SetAsString(bytes.pasport);
        t.FieldByName("Tel").SetAsString(bytes.tel);
        t.FieldByName("type").SetAsString(bytes.type);
        t.FieldByName("temp").SetAsInteger(kTempValue);
        t.FieldByName("Text").SetAsString(bytes.text);
        t.FieldByName("ClientCat").SetAsString(bytes.clientCat);
        t.FieldByName("Oplata").SetAsString(bytes.oplata);
        t.FieldByName("ObjCat").SetAsString(bytes.objCat);
        t.FieldByName("slov").SetAsInteger(a.slov);
        t.FieldByName("povt").SetAsBoolean(a.povt);
        t.FieldByName("XML").SetAsString(bytes.xml);
        t.FieldByName("Summa").SetAsFloat(a.summa);
        t.Post();
        replaceRunDates(desk, a.id, runDays);
    } catch (...) {
        cancelBoth(desk);
        throw;
    }

    // Both tables now hold the announcement; the files follow, data.d first. Until both
    // are written the changes stay revertible.
    if (!saveFile(t, &error)) {
        cancelBoth(desk);
        return {false,
                QStringLiteral("Не удалось записать файл data.d: %1\n"
                               "Объявление не сохранено, файлы data.d и dates.d не изменены.")
                    .arg(error)};
    }
    if (!saveFile(desk.tDates, &error)) {
        cancelBoth(desk);
        QString restoreError;
        if (saveFile(t, &restoreError))
            return {false,
                    QStringLiteral("Не удалось записать файл dates.d: %1\n"
                                   "Объявление не сохранено, файлы data.d и dates.d не изменены.")
                        .arg(error)};
        return {false,
                QStringLiteral(
                    "Не удалось записать файл dates.d: %1\n"
                    "В файле data.d объявление уже записано, а его даты выхода в dates.d — нет "
                    "(вернуть data.d не удалось: %2). Сохраните объявление ещё раз.")
                    .arg(error, restoreError)};
    }
    t.ApplyChanges();
    desk.tDates.ApplyChanges();
    // The receipt reads the saved announcement as tData's current row.
    if (!t.CurrentEntry() || t.FieldByName("id").AsInteger() != a.id)
        t.Locate("id", {std::to_string(a.id)});
    return {true, QString()};
}

} // namespace vornelta
