#include "app/CommandTable.h"

#include "intake/AddAnnouncementCommand.h"
#include "output/TitlingDrivers.h"
#include "output/WriteDayCommand.h"
#include "platform/CommandDate.h"
#include "realty/RealtyTransfer.h"
#include "reports/PeriodReportCommand.h"

namespace vornelta {

namespace {

Result usageError(const CommandArguments& arguments, const QString& russian,
                  const QString& english) {
    return Result::failed(arguments.russian ? russian : english);
}

Result notADate(const CommandArguments& arguments, const QString& text) {
    return usageError(arguments, QStringLiteral("Неверная дата «%1»").arg(text),
                      QStringLiteral("not a date: %1").arg(text));
}

// FROM and TO of a period command as day numbers.
ValueResult<std::pair<int32_t, int32_t>> period(const CommandArguments& arguments) {
    const std::optional<int32_t> from = parseCommandDay(arguments.values.value(0));
    if (!from) return notADate(arguments, arguments.values.value(0));
    const std::optional<int32_t> to = parseCommandDay(arguments.values.value(1));
    if (!to) return notADate(arguments, arguments.values.value(1));
    return std::pair(*from, *to);
}

const Bilingual kDate{QStringLiteral("ДАТА"), QStringLiteral("DATE")};
const Bilingual kFrom{QStringLiteral("С"), QStringLiteral("FROM")};
const Bilingual kTo{QStringLiteral("ПО"), QStringLiteral("TO")};

ValueResult<DeskRun> bindWriteDay(const CommandArguments& arguments) {
    ValueResult<TWriteDayOptions> options = writeDayOptions(arguments);
    if (!options) return options.status();
    return DeskRun([options = options.value()](TDesk& desk, QTextStream& out, QTextStream& err) {
        return runWriteDay(desk, options, out, err);
    });
}

ValueResult<DeskRun> bindPeriodReport(const CommandArguments& arguments) {
    const auto days = period(arguments);
    if (!days) return days.status();
    PeriodReportOptions options;
    options.from = days.value().first;
    options.to = days.value().second;
    options.json = arguments.parser.isSet(QStringLiteral("json"));
    options.pdf = arguments.parser.value(QStringLiteral("pdf"));
    if (arguments.parser.isSet(QStringLiteral("pdf")) && options.pdf.isEmpty())
        return usageError(arguments, QStringLiteral("--pdf: не указан файл"),
                          QStringLiteral("--pdf needs a file"));
    return DeskRun([options](TDesk& desk, QTextStream& out, QTextStream& err) {
        return runPeriodReportCommand(desk, options, out, err);
    });
}

ValueResult<DeskRun> bindExportRealty(const CommandArguments& arguments) {
    const auto days = period(arguments);
    if (!days) return days.status();
    const auto [from, to] = days.value();
    return DeskRun([from, to](TDesk& desk, QTextStream& out, QTextStream& err) {
        return runExportRealty(desk, from, to, out, err);
    });
}

ValueResult<DeskRun> bindAddAnnouncement(const CommandArguments& arguments) {
    TAddAnnouncementOptions options;
    options.source = arguments.values.value(0);
    options.pdf = arguments.parser.value(QStringLiteral("pdf"));
    if (options.source.isEmpty())
        return usageError(arguments, QStringLiteral("--add-announcement: не указан файл"),
                          QStringLiteral("--add-announcement needs a file or -"));
    if (arguments.parser.isSet(QStringLiteral("pdf")) && options.pdf.isEmpty())
        return usageError(arguments, QStringLiteral("--pdf: не указан файл"),
                          QStringLiteral("--pdf needs a file"));
    return DeskRun([options](TDesk& desk, QTextStream& out, QTextStream& err) {
        return runAddAnnouncement(desk, options, out, err);
    });
}

} // namespace

ValueResult<TWriteDayOptions> writeDayOptions(const CommandArguments& arguments) {
    TWriteDayOptions options;
    const QString day = arguments.values.value(0);
    options.day = parseCommandDate(day);
    if (!options.day.isValid()) return notADate(arguments, day);

    const QCommandLineParser& parser = arguments.parser;
    if (parser.isSet(QStringLiteral("driver"))) {
        options.driver = parser.value(QStringLiteral("driver"));
        if (!titlingDriver(options.driver))
            return usageError(
                arguments,
                QStringLiteral("--driver: ") + titlingDriverNames().join(QStringLiteral(" или ")),
                QStringLiteral("--driver: ") + titlingDriverNames().join(QStringLiteral(" or ")));
    }
    if (parser.isSet(QStringLiteral("order"))) {
        const QString order = parser.value(QStringLiteral("order"));
        if (order == QLatin1String("date"))
            options.order = TDayOrder::ByDate;
        else if (order == QLatin1String("category"))
            options.order = TDayOrder::ByCategory;
        else
            return usageError(arguments, QStringLiteral("--order: date или category"),
                              QStringLiteral("--order: date or category"));
    }
    return options;
}

const QList<WindowlessCommand>& windowlessCommands() {
    static const QList<WindowlessCommand> commands = {
        {QStringLiteral("write-day"),
         {kDate},
         {{QStringLiteral("driver"),
           {titlingDriverNames().join(QLatin1Char('|')),
            titlingDriverNames().join(QLatin1Char('|'))}},
          {QStringLiteral("order"),
           {QStringLiteral("date|category"), QStringLiteral("date|category")}}},
         {QStringLiteral("тексты дня ДАТА для студии: текстовый файл и файл\n"
                         "титровальной системы (по умолчанию ALPHA) с именами, которые\n"
                         "окно вывода дало бы им в день ДАТА; печатает пути записанных\n"
                         "файлов"),
          QStringLiteral("the texts of day DATE for the studio: the plain text file\n"
                         "and the titling system's file (ALPHA by default), named as\n"
                         "the output window names them on day DATE; prints each path\n"
                         "written")},
         FolderUse::ReadsTables,
         bindWriteDay},
        {QStringLiteral("period-report"),
         {kFrom, kTo},
         {{QStringLiteral("json"), {}},
          {QStringLiteral("pdf"), {QStringLiteral("ФАЙЛ"), QStringLiteral("FILE")}}},
         {QStringLiteral("отчёт за период: --json печатает значения отчёта, --pdf\n"
                         "записывает отчёт в PDF"),
          QStringLiteral("the period report: --json prints its values, --pdf writes it\n"
                         "as PDF")},
         FolderUse::ReadsTables,
         bindPeriodReport,
         true},
        // transfer.d goes to drive A:, not among the tables; rielt.d and rielt_out.d are
        // only read.
        {QStringLiteral("export-realty"),
         {kFrom, kTo},
         {},
         {QStringLiteral("записывает transfer.d с объявлениями о недвижимости за\n"
                         "период; печатает путь и число строк"),
          QStringLiteral("writes transfer.d with the period's realty announcements;\n"
                         "prints its path and row count")},
         FolderUse::ReadsTables,
         bindExportRealty},
        // Commands that change the desk's tables come here with FolderUse::WritesTables
        // (they then wait for the folder lock the window holds).
        {QStringLiteral("add-announcement"),
         {{QStringLiteral("ФАЙЛ|-"), QStringLiteral("FILE|-")}},
         {{QStringLiteral("pdf"),
           {QStringLiteral("КВИТАНЦИЯ.pdf"), QStringLiteral("RECEIPT.pdf")}}},
         {QStringLiteral("принимает объявление из JSON (ФАЙЛ или - для стандартного\n"
                         "ввода) как форма «Объявление»: те же проверки, номер, цена\n"
                         "и запись; печатает номер и сумму через табуляцию; --pdf\n"
                         "записывает квитанцию"),
          QStringLiteral("takes an announcement as JSON (FILE, or - for standard\n"
                         "input) as the entry form does: the same checks, number,\n"
                         "price and save; prints the number and the sum, tab-\n"
                         "separated; --pdf writes the receipt")},
         FolderUse::WritesTables,
         bindAddAnnouncement,
         true},
    };
    return commands;
}

QString commandSynopsis(const WindowlessCommand& command, bool russian) {
    QString text = QStringLiteral("--") + command.option;
    for (const Bilingual& value : command.values)
        text += QLatin1Char(' ') + value.in(russian);
    for (const CommandOption& option : command.options) {
        text += QStringLiteral(" [--") + option.name;
        if (!option.value.in(russian).isEmpty())
            text += QLatin1Char(' ') + option.value.in(russian);
        text += QLatin1Char(']');
    }
    return text;
}

} // namespace vornelta
