// The price of an announcement: words × days × the per-word rate, plus a flat charge for
// repeating the telephone; and the numbers of the entry form's status bar.
#pragma once

#include <QString>

#include <optional>

namespace vornelta {

struct TSettings;

// D × (W × WordPrice), + PricePovtor once when the telephone is repeated. Not rounded.
// WordPrice serves every client category.
double computeSum(int words, int days, const TSettings& settings, bool repeatTelephone);

// The amount as the "Сумма:" box keeps it: two decimals, halves away from zero.
double roundToKopecks(double value);

// The shortest general decimal form (up to 15 significant digits) with the locale's
// decimal separator, no grouping, no trailing zeros: 2.5 → "2,5", 100 → "100".
QString formatPanelNumber(double value);

// The rate shown for a client category: "ФИЗЛИЦА" WordPrice, "ПРЕДПРИНИМАТЕЛИ" WordPriceP,
// "ЮРЛИЦА" WordPriceUr; nothing for any other value (the panel keeps its text).
std::optional<double> rateOfClientCategory(const QString& clientCat, const TSettings& settings);

// The six panels of the entry form's status bar.
struct StatusPanels {
    static constexpr int kCount = 6;
    static constexpr int kWidths[kCount] = {100, 100, 100, 100, 200, 50};
    static QString characters(int count);
    static QString words(int count);
    static QString days(int count);
    static QString rate(double rate);
    static QString computedSum(double sum);
    static QString actualSum(double sum);
};

} // namespace vornelta
