#include "output/WriteDayCommand.h"

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "output/DayOutput.h"
#include "platform/SystemLocale.h"
#include "platform/TextCodec.h"

#include <QTextStream>

#include <exception>

namespace vornelta {

namespace {

// The value of an option given as "--name VALUE" or "--name=VALUE"; advances i.
std::optional<QString> optionValue(const QStringList& args, int& i, const QString& name,
                                   bool* matched) {
    const QString& a = args[i];
    *matched = false;
    if (a == name) {
        *matched = true;
        if (i + 1 >= args.size()) return std::nullopt;
        return args[++i];
    }
    if (a.startsWith(name + QLatin1Char('='))) {
        *matched = true;
        return a.mid(name.size() + 1);
    }
    return std::nullopt;
}

QString shortDate(const QDate& day) {
    return day.toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

bool asksForWriteDay(const QStringList& arguments) {
    for (const QString& a : arguments)
        if (a == kWriteDayOption || a.startsWith(kWriteDayOption + QLatin1Char('='))) return true;
    return false;
}

QDate parseCommandDate(const QString& text) {
    QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid()) day = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    return day;
}

QString writeDayUsage() {
    return QStringLiteral("Использование: vornelta [--folder ПАПКА] --write-day ДАТА "
                          "[--driver ALPHA|TextLine] [--order date|category]\n"
                          "ДАТА: ГГГГ-ММ-ДД или ДД.ММ.ГГГГ");
}

std::optional<TWriteDayOptions> parseWriteDayOptions(const QStringList& arguments, QString* error) {
    TWriteDayOptions options;
    options.driver = kDriverAlpha;
    bool haveDay = false;
    const auto fail = [&](const QString& reason) -> std::optional<TWriteDayOptions> {
        if (error) *error = reason;
        return std::nullopt;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        bool matched = false;
        std::optional<QString> value;
        if ((value = optionValue(arguments, i, QStringLiteral("--folder"), &matched)), matched) {
            if (!value) return fail(QStringLiteral("--folder: не указана папка"));
        } else if ((value = optionValue(arguments, i, kWriteDayOption, &matched)), matched) {
            if (!value) return fail(QStringLiteral("--write-day: не указана дата"));
            options.day = parseCommandDate(*value);
            if (!options.day.isValid())
                return fail(QStringLiteral("Неверная дата «%1»").arg(*value));
            haveDay = true;
        } else if ((value = optionValue(arguments, i, QStringLiteral("--driver"), &matched)),
                   matched) {
            if (!value || (*value != kDriverAlpha && *value != kDriverTextLine))
                return fail(QStringLiteral("--driver: ALPHA или TextLine"));
            options.driver = *value;
        } else if ((value = optionValue(arguments, i, QStringLiteral("--order"), &matched)),
                   matched) {
            if (value == QStringLiteral("date"))
                options.order = TDayOrder::ByDate;
            else if (value == QStringLiteral("category"))
                options.order = TDayOrder::ByCategory;
            else
                return fail(QStringLiteral("--order: date или category"));
        } else {
            return fail(QStringLiteral("Неизвестный параметр «%1»").arg(arguments[i]));
        }
    }
    if (!haveDay) return fail(QStringLiteral("Не указана дата (--write-day)"));
    return options;
}

int runWriteDay(TDesk& desk, const TWriteDayOptions& options, const QDate& today, QTextStream& out,
                QTextStream& err) {
    TDayList list;
    TFillProgress progress;
    progress.lost = [&](int id) {
        err << QStringLiteral("ERROR: объявление № %1 на %2 не найдено, пропущено\n")
                   .arg(id)
                   .arg(shortDate(options.day));
    };
    fillDayList(desk, options.day, list, progress);
    if (list.isEmpty()) {
        err << QStringLiteral("На %1 объявлений нет: файлы не записаны.\n")
                   .arg(shortDate(options.day));
        err.flush();
        return 0;
    }
    list.sort(options.order, -1);

    TDayOutput request;
    request.rows = list.rows();
    request.driver = options.driver;
    request.today = today;
    const TOutputResult result = writeDayOutput(desk, request);
    for (const QString& path : result.written)
        out << path << '\n';
    out.flush();
    if (!result.ok) {
        err << result.error << '\n';
        err.flush();
        return 1;
    }
    return 0;
}

int writeDayMain(const QStringList& arguments, const QString& executableFolder) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString error;
    const std::optional<TWriteDayOptions> options = parseWriteDayOptions(arguments, &error);
    if (!options) {
        err << error << '\n' << writeDayUsage() << '\n';
        return 2;
    }
    applySystemLocale();
    const ProgramFolder folder = ProgramFolder::fromArguments(arguments, executableFolder);
    if (!prepareProgramFolder(folder, &error)) {
        err << error << '\n';
        return 1;
    }
    try {
        TDesk desk(folder);
        desk.open();
        return runWriteDay(desk, *options, desk.today(), out, err);
    } catch (const std::exception& e) {
        err << toQt(e.what()) << '\n';
    } catch (...) {
        err << QStringLiteral("Неизвестная ошибка") << '\n';
    }
    return 1;
}

} // namespace vornelta
