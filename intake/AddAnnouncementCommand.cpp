#include "intake/AddAnnouncementCommand.h"

#include "desk/Desk.h"
#include "intake/Announcement.h"
#include "intake/AnnouncementJson.h"
#include "intake/OneLineTextEdit.h"
#include "intake/Price.h"
#include "intake/Receipt.h"
#include "intake/RunDates.h"
#include "intake/WordCount.h"
#include "platform/DayNumber.h"
#include "platform/TextCodec.h"
#include "realty/uHouses.h"
#include "reports/engine/Report.h"
#include "tables/AnnouncementTables.h"
#include "tables/ColourRuns.h"
#include "tables/RealtyTables.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace vornelta {

namespace {

ValueResult<QByteArray> readSource(const QString& source) {
    QFile file;
    bool opened = false;
    if (source == QLatin1String("-")) {
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(source);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened)
        return Result::failed(
            QStringLiteral("Файл «%1» не прочитан: %2").arg(source, file.errorString()));
    return file.readAll();
}

// The texts as the form's boxes take them: one line each, the client in capitals; a
// subject category left out is the one the form picks for the text, if any.
TAnnouncement asTyped(TAnnouncement a) {
    a.client = upperCased(oneLineText(a.client));
    a.pasport = oneLineText(a.pasport);
    a.tel = oneLineText(a.tel);
    a.text = oneLineText(a.text);
    if (a.objCat.isEmpty()) a.objCat = suggestedSubjectCategory(a.text).value_or(QString());
    return a;
}

Result checkRealtyValue(const char* name, const QString& value, const QStringList& list) {
    // Empty is a row with no box ticked, as the window writes it.
    if (value.isEmpty() || list.contains(value)) return {};
    return Result::failed(QStringLiteral("Объявление не сохранено: realty.%1 «%2» нет в списке "
                                         "«Квартиры» (%3)")
                              .arg(QLatin1String(name), value, list.join(QStringLiteral(", "))));
}

// The realty classification given, when the text is one the form classifies.
Result checkRealty(const TOutsideAnnouncement& request, const QString& text) {
    if (!request.realty) return {};
    if (!mentionsFlats(text))
        return Result::failed(QStringLiteral("Объявление не сохранено: текст не о квартирах, "
                                             "классификация «realty» к нему не относится"));
    if (const Result tip = checkRealtyValue("tip", request.realty->tip, realtyDeals()); !tip)
        return tip;
    return checkRealtyValue("vid", request.realty->vid, realtyFlats());
}

int failed(QTextStream& err, const Result& reason) {
    err << reason.error() << '\n';
    err.flush();
    return 1;
}

} // namespace

int runAddAnnouncement(TDesk& desk, const TAddAnnouncementOptions& options, QTextStream& out,
                       QTextStream& err) {
    const ValueResult<QByteArray> json = readSource(options.source);
    if (!json) return failed(err, json.status());
    const ValueResult<TOutsideAnnouncement> request =
        readAnnouncementJson(json.value(), desk.today());
    if (!request) return failed(err, request.status());

    // Refused before anything is posted, in the form's order.
    TAnnouncement a = asTyped(request.value().announcement);
    const QList<QDate>& days = request.value().runDays;
    if (const Result entered = checkRequiredEntries(a, int(days.size())); !entered)
        return failed(err, entered);
    if (const Result fits = checkFieldWidths(a); !fits) return failed(err, fits);
    if (const Result realty = checkRealty(request.value(), a.text); !realty)
        return failed(err, realty);

    bool numberExisted = false; // the form says so and goes on with the next number
    a.id = nextAnnouncementNumber(desk.tData, &numberExisted);
    a.slov = countWords(a.text);
    a.summa = roundToKopecks(computeSum(a.slov, int(days.size()), desk.settings, a.povt));
    a.xml = encodeColourRuns(a.text, QList<int>(a.text.size(), kColourWhite), kColourWhite);
    QList<int32_t> runDays;
    QStringList entries; // as the form's date list shows them, for the receipt
    for (const QDate& day : days) {
        runDays << dayNumberOf(day);
        entries << shortDate(day);
    }

    RealtyRow realtyRow = RealtyRow::None;
    if (request.value().realty) {
        appendRealtyRow(desk, a.indate, request.value().realty->tip, request.value().realty->vid,
                        a.text);
        realtyRow = RealtyRow::Posted;
    }
    if (const Result saved = saveAnnouncement(desk, a, runDays, true, realtyRow); !saved)
        return failed(err, saved);
    // On a database the number is settled at the save: the saved one is final.
    a.id = desk.savedNumber(a.id);
    out << a.id << '\t' << receiptSum(a.summa) << '\n';
    out.flush();

    if (options.pdf.isEmpty()) return 0;
    // Either failure says the announcement stands: a sender told only of a failure would
    // send it again. (The preparation's own message says so.)
    if (const Result prepared = prepareReceipt(desk, a.id, entries); !prepared)
        return failed(err, prepared);
    if (const Result written = desk.report().exportToPdf(options.pdf); !written)
        return failed(err, Result::failed(QStringLiteral("Квитанция не записана (объявление "
                                                         "сохранено): %1")
                                              .arg(written.error())));
    return 0;
}

} // namespace vornelta
