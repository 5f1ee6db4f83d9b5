#include "intake/Price.h"

#include "desk/Settings.h"
#include "storage/DorodLocale.h"

#include <cmath>

namespace vornelta {

double computeSum(int words, int days, const TSettings& settings, bool repeatTelephone) {
    double sum = double(days) * (double(words) * settings.WordPrice);
    if (repeatTelephone) sum += settings.PricePovtor;
    return sum;
}

double roundToKopecks(double value) {
    // Decided on the shortest decimal form, so 0.125 (stored a hair below) still goes up.
    const double scaled = QString::number(value * 100.0, 'g', 15).toDouble();
    return std::round(scaled) / 100.0;
}

QString formatPanelNumber(double value) {
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e'))) { // keep the plain form within 15 digits
        text = QString::number(value, 'f', 15);
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.'))) text.chop(1);
        }
    }
    text.replace(QLatin1Char('.'), QChar::fromLatin1(dorod::formatSettings().decimalSeparator));
    return text;
}

std::optional<double> rateOfClientCategory(const QString& clientCat, const TSettings& settings) {
    if (clientCat == QStringLiteral("ФИЗЛИЦА")) return settings.WordPrice;
    if (clientCat == QStringLiteral("ПРЕДПРИНИМАТЕЛИ")) return settings.WordPriceP;
    if (clientCat == QStringLiteral("ЮРЛИЦА")) return settings.WordPriceUr;
    return std::nullopt;
}

QString StatusPanels::characters(int count) {
    return QStringLiteral("Символов: ") + QString::number(count);
}
QString StatusPanels::words(int count) {
    return QStringLiteral("Слов: ") + QString::number(count);
}
QString StatusPanels::days(int count) {
    return QStringLiteral("Дней: ") + QString::number(count);
}
QString StatusPanels::rate(double rate) {
    return QStringLiteral("Цена : ") + formatPanelNumber(rate);
}
QString StatusPanels::computedSum(double sum) {
    return QStringLiteral("Расчетная сумма: ") + formatPanelNumber(sum);
}
QString StatusPanels::actualSum(double sum) {
    return QStringLiteral("Сумма фактически: ") + formatPanelNumber(sum);
}

} // namespace vornelta
