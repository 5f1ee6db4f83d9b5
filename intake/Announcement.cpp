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

// The row's texts, or why one of them has no Windows-1251 form.
ValueResult<RowBytes> encode(const TAnnouncement& a) {
    RowBytes out;
    const std::vector<std::pair<const QString*, std::string*>> fields = {
        {&a.client, &out.client}, {&a.pasport, &out.pasport},
        {&a.tel, &out.tel},       {&announcementType(), &out.type},
        {&a.text, &out.text},     {&a.clientCat, &out.clientCat},
        {&a.oplata, &out.oplata}, {&a.objCat, &out.objCat},
        {&a.xml, &out.xml},
    };
    QString error;
    for (const auto& [from, to] : fields)
        if (!fromQt(*from, *to, &error)) return Result::failed(error);
    return out;
}

} // namespace

Result checkRequiredEntries(const TAnnouncement& a, int runDayCount) {
    // An empty value is "not chosen"; the form's lists offer nothing else.
    const auto missing = [](const QString& value, const QStringList& list) {
        return !list.contains(value);
    };
    const struct {
        bool failed;
        const char16_t* message;
        const QString* value; // the value a list did not hold, for the message
    } checks[] = {
        {a.client.isEmpty(), u"Не введен клиент", nullptr},
        {missing(a.clientCat, clientCategories()), u"Не введена категория клиента", &a.clientCat},
        {missing(a.objCat, subjectCategories()), u"Не введена классификация объявления", &a.objCat},
        {missing(a.oplata, paymentMethods()), u"Не введен cпособ оплаты", &a.oplata},
        {runDayCount == 0, u"Не введены даты выхода !", nullptr},
    };
    for (const auto& check : checks) {
        if (!check.failed) continue;
        QString message = QString::fromUtf16(check.message);
        if (check.value && !check.value->isEmpty())
            message += QStringLiteral(": «%1» нет в списке").arg(*check.value);
        return Result::failed(message);
    }
    return {};
}

Result checkFieldWidths(const TAnnouncement& a) {
    struct Width {
        const QString* value;
        const char* field;
        const char16_t* caption; // as the operator knows the box
        int width;
    };
    const Width widths[] = {
        {&a.client, field::kClient, u"Заказчик", kClientWidth},
        {&a.pasport, field::kPasport, u"Паспорт", kPasportWidth},
        {&a.tel, field::kTel, u"Телефон", kTelWidth},
        {&a.text, field::kText, u"Текст объявления", kTextWidth},
        {&a.clientCat, field::kClientCat, u"Категория клиента", kClientCatWidth},
        {&a.oplata, field::kOplata, u"Оплата", kOplataWidth},
        {&a.objCat, field::kObjCat, u"Категория объявления", kObjCatWidth},
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
    if (!t.Active() || prefix.isEmpty()) return std::nullopt;
    bool ok = false;
    const std::string bytes = fromQt(prefix, &ok);
    if (!ok) return std::nullopt; // no stored name holds such a character
    // A keystroke scans up to every row: the names are compared where they lie, without
    // a copy per row. Every row counts, also those the main window's search hides.
    const auto* client =
        static_cast<const dorod::TDorodField*>(t.Store()->FindField(field::kClient));
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
    return TClientFound{value(field::kClient), value(field::kPasport), value(field::kTel),
                        value(field::kClientCat)};
}

Result saveAnnouncement(TDesk& desk, const TAnnouncement& a, const QList<int32_t>& runDays,
                        bool newAnnouncement, RealtyRow realtyRow) {
    // A refused announcement takes its realty row back with it.
    const auto refused = [&](Result reason) {
        if (realtyRow == RealtyRow::Posted) desk.tRielt.CancelChanges();
        return reason;
    };
    if (const Result fits = checkFieldWidths(a); !fits) return refused(fits);
    const ValueResult<RowBytes> encoded = encode(a);
    if (!encoded)
        return refused(
            Result::failed(QStringLiteral("Объявление не сохранено: %1").arg(encoded.error())));
    const RowBytes& bytes = encoded.value();

    dorod::TDorodTable& t = desk.tData;
    // The list may have been read again while the form was open (another counter saved):
    // the row changed is the announcement's own, never whichever is current now.
    if (!newAnnouncement && (!t.CurrentEntry() || t.FieldByName(field::kId).AsInteger() != a.id) &&
        !t.Locate(field::kId, {std::to_string(a.id)}))
        return Result::failed(
            QStringLiteral("Объявление не сохранено: объявления № %1 больше нет (удалено на "
                           "другом рабочем месте).")
                .arg(a.id));
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
        if (realtyRow == RealtyRow::Posted) desk.tRielt.CancelChanges();
        throw;
    }

    // Both tables now hold the announcement; the files follow, data.d first.
    const Result saved = realtyRow == RealtyRow::Posted
                             ? desk.saveTables({&t, &desk.tDates, &desk.tRielt})
                             : desk.saveTables({&t, &desk.tDates});
    if (!saved)
        return Result::failed(QStringLiteral("Объявление не сохранено. %1").arg(saved.error()));
    // The list stays on the saved announcement when it shows it, under the number it was
    // saved with (another counter may have taken the proposed one).
    const int32_t number = desk.savedNumber(a.id);
    if (!t.CurrentEntry() || t.FieldByName(field::kId).AsInteger() != number)
        t.Locate(field::kId, {std::to_string(number)});
    return {};
}

} // namespace vornelta
