// The period totals report as plain code: the totals of announcements, words and money
// taken in over an interval, by client category, payment method and subject category,
// and the 26 texts handed to the report template's named objects.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

namespace vornelta {

class TDesk;
}
namespace dorod {
class TDorodTable;
struct TDorodField;
} // namespace dorod
namespace vornelta {

// The stored field of a table's field of that name (the engine's message when none).
const dorod::TDorodField& storeField(dorod::TDorodTable& table, const char* name);

struct PeriodTotals {
    int32_t rows = 0;
    int32_t words = 0;
    double money = 0;
    // In the order of clientCategories(), paymentMethods(), subjectCategories().
    std::array<int32_t, 3> clientCount{};
    std::array<double, 3> clientMoney{};
    std::array<int32_t, 4> paymentCount{};
    std::array<double, 4> paymentMoney{};
    std::array<int32_t, 4> subjectCount{};
    std::array<double, 4> subjectMoney{};

    // Counts one announcement (texts as stored, Windows-1251). Each group's value counts
    // only on an exact match: whole text, letter case significant.
    void add(std::string_view clientCat, std::string_view oplata, std::string_view objCat,
             int32_t slov, double summa);
};

// Calls `row` with the record of each announcement taken in from..to (day numbers of
// `indate`, both ends included), found through data.d's period filter. The filter is
// switched off again afterwards (also on failure): the list shows every announcement,
// from the first, and the run days follow it.
void forEachAnnouncementInPeriod(TDesk& desk, int32_t from, int32_t to,
                                 const std::function<void(const uint8_t* rec)>& row);

// Totals over the announcements taken in from..to (day numbers of `indate`, both ends
// included), found through data.d's period filter. The filter is switched off again
// afterwards (also on failure): the list shows every announcement, from the first.
PeriodTotals computePeriodTotals(TDesk& desk, int32_t from, int32_t to);

// A money total in general form: at most 15 significant digits, no trailing zeros, the
// locale's decimal separator, no grouping («1234,5», «100», «0»).
QString formatMoney(double value);
// "с " + first day + " по " + last day, in the short date format.
QString periodIntervalText(int32_t from, int32_t to);

// The 26 object names with their texts, in the order they are set.
using ReportValues = QList<QPair<QString, QString>>;
ReportValues periodReportValues(const PeriodTotals& totals, int32_t from, int32_t to);
// The object names alone, in that order.
const QStringList& periodReportObjectNames();

// One JSON object: each name with its text, in order.
QString periodReportJson(const ReportValues& values);

// "Отчеты/reptotal.frf" in the program folder.
QString periodReportTemplatePath(const TDesk& desk);

} // namespace vornelta
