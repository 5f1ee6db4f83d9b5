// vornelta-report: a tool for whoever designs report templates.
//   vornelta-report check TEMPLATE
//   vornelta-report render TEMPLATE [--set NAME=TEXT]... --pdf OUT.pdf
//   vornelta-report render TEMPLATE [--set NAME=TEXT]... --printer NAME
//   vornelta-report preview TEMPLATE [--set NAME=TEXT]...
// render --printer prints as the preview's print button does, without the dialog; an
// empty NAME is the system's default printer.
// Exit 0 on success, 1 with the message on stderr for a bad template, a failed write, a
// printer that is not there or a job the printer refused; 2 for wrong usage. Only preview
// needs a display.
#include "reports/engine/Report.h"
#include "reports/engine/ReportPrinter.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using namespace vornelta;

const char* kUsage = "usage: vornelta-report check TEMPLATE\n"
                     "       vornelta-report render TEMPLATE [--set NAME=TEXT]... --pdf OUT.pdf\n"
                     "       vornelta-report render TEMPLATE [--set NAME=TEXT]... --printer NAME\n"
                     "       vornelta-report preview TEMPLATE [--set NAME=TEXT]...\n";

int usage(const QString& problem = {}) {
    if (!problem.isEmpty()) std::fprintf(stderr, "vornelta-report: %s\n", qPrintable(problem));
    std::fputs(kUsage, stderr);
    return 2;
}

int failure(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return 1;
}

QString kindName(TReportObjectKind kind) {
    switch (kind) {
    case TReportObjectKind::Text:
        return QStringLiteral("text");
    case TReportObjectKind::Line:
        return QStringLiteral("line");
    case TReportObjectKind::Rectangle:
        return QStringLiteral("rect");
    case TReportObjectKind::Picture:
        return QStringLiteral("picture");
    }
    return {};
}

int check(const QString& path) {
    TReport report;
    if (const Result loaded = report.LoadFromFile(path); !loaded) return failure(loaded.error());
    QTextStream out(stdout);
    const TReportTemplate& t = report.reportTemplate();
    out << path << ": " << t.pages.size() << (t.pages.size() == 1 ? " page" : " pages") << "\n";
    static const QRegularExpression placeholder(
        QStringLiteral("\\[[A-Za-z_]\\w*\\.[A-Za-z_]\\w*(?::[^\\]\\n]*)?\\]"));
    for (size_t i = 0; i < t.pages.size(); ++i) {
        const TReportPage& page = t.pages[i];
        const QSizeF s = page.size();
        out << "page " << i + 1 << ": " << s.width() << " x " << s.height() << " mm, "
            << (page.orientation == QPageLayout::Landscape ? "landscape" : "portrait") << ", "
            << page.objects.size() << " objects\n";
        for (const auto& o : page.objects) {
            if (o->name().isEmpty()) continue;
            out << "  " << kindName(o->kind()) << " " << o->name();
            if (o->kind() == TReportObjectKind::Text) {
                QStringList fields;
                const auto& text = static_cast<const TReportTextObject&>(*o).text();
                for (auto it = placeholder.globalMatch(text); it.hasNext();)
                    fields << it.next().captured();
                if (!fields.isEmpty()) out << "  " << fields.join(QLatin1Char(' '));
            }
            out << "\n";
        }
    }
    return 0;
}

// What the command line asks for; usage is checked before any window system is needed.
struct Command {
    QString name; // check, render, preview
    QString path;
    QString pdf;
    std::optional<QString> printer; // an empty name: the system's default
    QList<QPair<QString, QString>> sets;
};

// Nothing, after the usage message, when the arguments are wrong.
std::optional<Command> parseCommand(const QStringList& args) {
    auto wrong = [](const QString& problem = {}) -> std::optional<Command> {
        usage(problem);
        return std::nullopt;
    };
    if (args.size() < 2) return wrong();
    Command c{args[0], args[1], {}, {}, {}};
    if (c.name == QLatin1String("check")) return args.size() == 2 ? std::optional(c) : wrong();
    if (c.name != QLatin1String("render") && c.name != QLatin1String("preview"))
        return wrong(QStringLiteral("unknown command ") + c.name);
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--set") || a == QLatin1String("--pdf") ||
             a == QLatin1String("--printer")) &&
            i + 1 >= args.size())
            return wrong(a + QStringLiteral(" needs a value"));
        if (a == QLatin1String("--set")) {
            const QString s = args[++i];
            const qsizetype eq = s.indexOf(QLatin1Char('='));
            if (eq <= 0) return wrong(QStringLiteral("--set takes NAME=TEXT"));
            c.sets.append({s.left(eq), s.mid(eq + 1)});
        } else if (a == QLatin1String("--pdf")) {
            c.pdf = args[++i];
        } else if (a == QLatin1String("--printer")) {
            c.printer = args[++i];
        } else {
            return wrong(QStringLiteral("unknown argument ") + a);
        }
    }
    const bool preview = c.name == QLatin1String("preview");
    if (preview && (!c.pdf.isEmpty() || c.printer))
        return wrong(QStringLiteral("preview takes no --pdf or --printer"));
    if (!preview && c.pdf.isEmpty() && !c.printer)
        return wrong(QStringLiteral("render needs --pdf OUT.pdf or --printer NAME"));
    return c;
}

// render and preview: the named objects filled, then a PDF or the print preview.
int render(const Command& c) {
    TReport report;
    report.setUnboundPlaceholdersKept(true);
    Result done = report.LoadFromFile(c.path);
    for (auto set = c.sets.cbegin(); done && set != c.sets.cend(); ++set)
        done = report.setObjectText(set->first, set->second);
    if (done) done = report.PrepareReport();
    if (!done) return failure(done.error());
    if (c.name == QLatin1String("preview")) {
        report.ShowPreparedReport(nullptr);
        return 0;
    }
    const QString pages =
        QString::number(report.pageCount()) + (report.pageCount() == 1 ? " page" : " pages");
    if (!c.pdf.isEmpty()) {
        if (const Result written = report.exportToPdf(c.pdf); !written)
            return failure(written.error());
        QTextStream(stdout) << c.pdf << ": " << pages << "\n";
    }
    if (c.printer) {
        const Result printed = printReport(report, *c.printer);
        if (!printed) return failure(printed.error());
        QTextStream(stdout) << (c.printer->isEmpty() ? QStringLiteral("default printer")
                                                     : *c.printer)
                            << ": " << pages << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const std::optional<Command> command = parseCommand(args);
    if (!command) return 2;
    // Fonts need a platform; only the preview shows a window.
    if (command->name != QLatin1String("preview") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Russian texts on the preview's standard buttons, as in the program.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);
    return command->name == QLatin1String("check") ? check(command->path) : render(*command);
}
