#include "reports/PeriodTotals.h"

#include "desk/Desk.h"
#include "platform/TextCodec.h"
#include "storage/DorodField.h"
#include "storage/DorodLocale.h"
#include "storage/DorodRecord.h"
#include "storage/DorodTable.h"
#include "tables/AnnouncementTables.h"

#include <QStringList>

#include <cmath>
#include <cstdio>

namespace vornelta {

namespace {

template <size_t N>
void countIn(std::string_view value, const std::vector<std::string>& list, double summa,
             std::array<int32_t, N>& counts, std::array<double, N>& sums) {
    for (size_t i = 0; i < N && i < list.size(); ++i) {
        if (value == list[i]) {
            ++counts[i];
            sums[i] += summa;
            return;
        }
    }
}

} // namespace

const dorod::TDorodField& storeField(dorod::TDorodTable& table, const char* name) {
    return table.StoreField(table.FieldByName(name).FieldNo());
}

void PeriodTotals::add(std::string_view clientCat, std::string_view oplata, std::string_view objCat,
                       int32_t slov, double summa) {
    countIn(clientCat, clientCategoriesBytes(), summa, clientCount, clientMoney);
    countIn(oplata, paymentMethodsBytes(), summa, paymentCount, paymentMoney);
    countIn(objCat, subjectCategoriesBytes(), summa, subjectCount, subjectMoney);
    // 32-bit counters as the desk keeps them; wrap rather than overflow.
    words = int32_t(uint32_t(words) + uint32_t(slov));
    money += summa;
    ++rows;
}

void forEachAnnouncementInPeriod(TDesk& desk, int32_t from, int32_t to,
                                 const std::function<void(const uint8_t* rec)>& row) {
    dorod::TDorodTable& table = desk.tData;
    DeskScope period = desk.announcementsInPeriod(from, to);
    const int n = table.RecordCount();
    // The rows are read where the view holds them; the list does not move row by row.
    for (int i = 0; i < n; ++i)
        row(table.ViewEntry(i)->data());
    period.undoNow(); // on the way out by return, a failure here is the report's own
}

PeriodTotals computePeriodTotals(TDesk& desk, int32_t from, int32_t to) {
    dorod::TDorodTable& table = desk.tData;
    const dorod::TDorodField& clientCat = storeField(table, field::kClientCat);
    const dorod::TDorodField& oplata = storeField(table, field::kOplata);
    const dorod::TDorodField& objCat = storeField(table, field::kObjCat);
    const dorod::TDorodField& slov = storeField(table, field::kSlov);
    const dorod::TDorodField& summa = storeField(table, field::kSumma);
    PeriodTotals totals;
    forEachAnnouncementInPeriod(desk, from, to, [&](const uint8_t* rec) {
        totals.add(dorod::record::getText(rec, clientCat), dorod::record::getText(rec, oplata),
                   dorod::record::getText(rec, objCat), dorod::record::getInt32(rec, slov),
                   dorod::record::getDouble(rec, summa));
    });
    return totals;
}

QString formatMoney(double value) {
    if (value == 0) return QStringLiteral("0"); // also -0
    if (!std::isfinite(value))
        return QString::fromLatin1(std::isnan(value) ? "NAN" : value > 0 ? "INF" : "-INF");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    QString text = QString::fromLatin1(buf);
    // The exponent as the general form writes it: "E", a minus only, no leading zeros.
    const int e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        const int exponent = text.mid(e + 1).toInt();
        text = text.left(e) + QLatin1Char('E') + QString::number(exponent);
    }
    text.replace(QLatin1Char('.'), QChar::fromLatin1(dorod::formatSettings().decimalSeparator));
    return text;
}

QString periodIntervalText(int32_t from, int32_t to) {
    return QStringLiteral("с ") + toQt(dorod::formatDate(from)) + QStringLiteral(" по ") +
           toQt(dorod::formatDate(to));
}

const QStringList& periodReportObjectNames() {
    static const QStringList names{
        QStringLiteral("interval"),   QStringLiteral("vskol"),     QStringLiteral("vsslov"),
        QStringLiteral("vssum"),      QStringLiteral("katfizkol"), QStringLiteral("katurkol"),
        QStringLiteral("katpredkol"), QStringLiteral("katfizsum"), QStringLiteral("katursum"),
        QStringLiteral("katpredsum"), QStringLiteral("spnalkol"),  QStringLiteral("spbezkol"),
        QStringLiteral("spvzkol"),    QStringLiteral("spbeskol"),  QStringLiteral("spnalsum"),
        QStringLiteral("spbezsum"),   QStringLiteral("spvzsum"),   QStringLiteral("spbessum"),
        QStringLiteral("koprkol"),    QStringLiteral("koprsum"),   QStringLiteral("konedkol"),
        QStringLiteral("konedsum"),   QStringLiteral("koaukol"),   QStringLiteral("koausum"),
        QStringLiteral("kouskol"),    QStringLiteral("koussum"),
    };
    return names;
}

ReportValues periodReportValues(const PeriodTotals& t, int32_t from, int32_t to) {
    const auto count = [](int32_t n) { return QString::number(n); };
    // clientCategories() is ФИЗЛИЦА, ПРЕДПРИНИМАТЕЛИ, ЮРЛИЦА; the report lists ЮРЛИЦА second.
    const int fiz = int(clientCategories().indexOf(QStringLiteral("ФИЗЛИЦА")));
    const int ur = int(clientCategories().indexOf(QStringLiteral("ЮРЛИЦА")));
    const int pred = int(clientCategories().indexOf(QStringLiteral("ПРЕДПРИНИМАТЕЛИ")));
    const QStringList texts{
        periodIntervalText(from, to),
        count(t.rows),
        count(t.words),
        formatMoney(t.money),
        count(t.clientCount[fiz]),
        count(t.clientCount[ur]),
        count(t.clientCount[pred]),
        formatMoney(t.clientMoney[fiz]),
        formatMoney(t.clientMoney[ur]),
        formatMoney(t.clientMoney[pred]),
        count(t.paymentCount[0]),
        count(t.paymentCount[1]),
        count(t.paymentCount[2]),
        count(t.paymentCount[3]),
        formatMoney(t.paymentMoney[0]),
        formatMoney(t.paymentMoney[1]),
        formatMoney(t.paymentMoney[2]),
        formatMoney(t.paymentMoney[3]),
        count(t.subjectCount[0]),
        formatMoney(t.subjectMoney[0]),
        count(t.subjectCount[1]),
        formatMoney(t.subjectMoney[1]),
        count(t.subjectCount[2]),
        formatMoney(t.subjectMoney[2]),
        count(t.subjectCount[3]),
        formatMoney(t.subjectMoney[3]),
    };
    ReportValues values;
    const QStringList& names = periodReportObjectNames();
    for (int i = 0; i < names.size(); ++i)
        values.append({names[i], texts[i]});
    return values;
}

QString periodReportJson(const ReportValues& values) {
    const auto quoted = [](const QString& text) {
        QString out = QStringLiteral("\"");
        for (QChar c : text) {
            switch (c.unicode()) {
            case '"':
                out += QStringLiteral("\\\"");
                break;
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            default:
                if (c.unicode() < 0x20)
                    out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
                else
                    out += c;
            }
        }
        return out + QLatin1Char('"');
    };
    QStringList members;
    for (const auto& [name, text] : values)
        members << quoted(name) + QLatin1Char(':') + quoted(text);
    return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString periodReportTemplatePath(const TDesk& desk) {
    return desk.folder().file(QStringLiteral("Отчеты/reptotal.frf"));
}

} // namespace vornelta
