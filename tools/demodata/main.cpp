// vornelta-demo: fills a program folder with demo announcements, their run days, empty
// realty tables and a sample config.INI.
#include "tools/demodata/DemoData.h"

#include "platform/MessageLanguage.h"
#include "platform/SystemLocale.h"
#include "storage/DorodDate.h"

#include <QCoreApplication>
#include <QDate>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: vornelta-demo FOLDER [--large] [--seed N] [--today YYYY-MM-DD] [--force]\n"
    "  Fills FOLDER (created when missing) with demo tables data.d, dates.d, rielt.d,\n"
    "  rielt_out.d and a config.INI.\n"
    "  --large   200 000 announcements over three years and 2 000 000 run dates\n"
    "            (default: 300 announcements over the last four months)\n"
    "  --seed N  another set of announcements (default 20240601)\n"
    "  --today   the day taken as today (default: the system's date)\n"
    "  --force   replace the files if the folder already has them\n"
    "  --help    this help; --version: the version\n";

constexpr const char* kUsageRussian =
    "использование: vornelta-demo ПАПКА [--large] [--seed N] [--today ГГГГ-ММ-ДД] [--force]\n"
    "  Заполняет ПАПКУ (создаёт её, если нет) демонстрационными таблицами data.d, dates.d,\n"
    "  rielt.d, rielt_out.d и файлом config.INI.\n"
    "  --large   200 000 объявлений за три года и 2 000 000 дат выхода\n"
    "            (по умолчанию: 300 объявлений за последние четыре месяца)\n"
    "  --seed N  другой набор объявлений (по умолчанию 20240601)\n"
    "  --today   день, принимаемый за сегодня (по умолчанию: системная дата)\n"
    "  --force   заменить файлы, если они в папке уже есть\n"
    "  --help    эта справка; --version: версия\n";

const char* usage() {
    return vornelta::russianMessages() ? kUsageRussian : kUsage;
}

struct UsageError {
    std::string message;
};

struct VersionRequested {};

std::optional<uint64_t> parseNumber(const QString& text) {
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok);
    return ok ? std::optional<uint64_t>(v) : std::nullopt;
}

vornelta::demo::DemoOptions parseArguments(const QStringList& args) {
    vornelta::demo::DemoOptions o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString a = args[i];
        QString value;
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const bool withValue = a.startsWith(QLatin1String("--")) && eq > 0;
        if (withValue) {
            value = a.mid(eq + 1);
            a = a.left(eq);
        }
        const auto takeValue = [&]() {
            if (withValue) return value;
            if (i + 1 >= args.size()) throw UsageError{a.toStdString() + " needs a value"};
            return args[++i];
        };
        if (a == QLatin1String("--large")) {
            o.large = true;
        } else if (a == QLatin1String("--force")) {
            o.force = true;
        } else if (a == QLatin1String("--seed")) {
            const QString v = takeValue();
            const std::optional<uint64_t> seed = parseNumber(v);
            if (!seed) throw UsageError{"--seed wants a whole number, not " + v.toStdString()};
            o.seed = *seed;
        } else if (a == QLatin1String("--today")) {
            const QString v = takeValue();
            const QDate d = QDate::fromString(v, Qt::ISODate);
            if (!d.isValid()) throw UsageError{"--today wants YYYY-MM-DD, not " + v.toStdString()};
            o.today = dorod::dayNumberFromCivil(d.year(), d.month(), d.day());
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            throw UsageError{};
        } else if (a == QLatin1String("--version")) {
            throw VersionRequested{};
        } else if (a.startsWith(QLatin1Char('-'))) {
            throw UsageError{"unknown option " + a.toStdString()};
        } else if (o.folder.isEmpty()) {
            o.folder = a;
        } else {
            throw UsageError{"more than one folder given"};
        }
    }
    if (o.folder.isEmpty()) throw UsageError{"no folder given"};
    return o;
}

std::string dateText(int32_t day) {
    const dorod::CivilDate c = dorod::civilFromDayNumber(day);
    return QDate(c.year, c.month, c.day).toString(QStringLiteral("dd.MM.yyyy")).toStdString();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vornelta::applySystemLocale();
    vornelta::demo::DemoOptions options;
    try {
        options = parseArguments(QCoreApplication::arguments().mid(1));
    } catch (const UsageError& e) {
        if (!e.message.empty()) std::fprintf(stderr, "vornelta-demo: %s\n", e.message.c_str());
        std::fputs(usage(), e.message.empty() ? stdout : stderr);
        return e.message.empty() ? 0 : 2;
    } catch (const VersionRequested&) {
        std::puts("vornelta-demo " VORNELTA_VERSION);
        return 0;
    }
    try {
        const vornelta::demo::DemoSummary s = vornelta::demo::makeDemoFolder(options);
        std::printf(
            "vornelta-demo: %zu announcements taken %s ... %s, %zu run dates up to %s, in %s\n",
            s.announcements, dateText(s.firstIntakeDay).c_str(), dateText(s.lastIntakeDay).c_str(),
            s.runDates, dateText(s.lastRunDay).c_str(), options.folder.toLocal8Bit().constData());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vornelta-demo: %s\n", e.what());
        return 1;
    }
    return 0;
}
