// vornelta-report: a tool for whoever designs report templates.
//   vornelta-report check TEMPLATE
//   vornelta-report render TEMPLATE [--set NAME=TEXT]... --pdf OUT.pdf
// Exit 0 on success, 1 with the message on stderr for a bad template (or a failed
// write), 2 for wrong usage. No display is needed.
#include "reports/engine/Report.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace vornelta;

const char* kUsage =
    "usage: vornelta-report check TEMPLATE\n"
    "       vornelta-report render TEMPLATE [--set NAME=TEXT]... --pdf OUT.pdf\n";

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
    case TReportObjectKind::Text: return QStringLiteral("text");
    case TReportObjectKind::Line: return QStringLiteral("line");
    case TReportObjectKind::Rectangle: return QStringLiteral("rect");
    case TReportObjectKind::Picture: return QStringLiteral("picture");
    }
    return {};
}

int check(const QString& path) {
    TReport report;
    QString error;
    if (!report.LoadFromFile(path, &error)) return failure(error);
    QTextStream out(stdout);
    const TReportTemplate& t = report.reportTemplate();
    out << path << ": " << t.pages.size() << (t.pages.size() == 1 ? " page" : " pages") << "\n";
    static const QRegularExpression placeholder(QStringLiteral("\\[[A-Za-z_]\\w*\\.[A-Za-z_]\\w*(?::[^\\]\\n]*)?\\]"));
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
                for (auto it = placeholder.globalMatch(text); it.hasNext();) fields << it.next().captured();
                if (!fields.isEmpty()) out << "  " << fields.join(QLatin1Char(' '));
            }
            out << "\n";
        }
    }
    return 0;
}

int render(const QString& path, const QStringList& args) {
    QString pdf;
    QList<QPair<QString, QString>> sets;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--set") || a == QLatin1String("--pdf")) && i + 1 >= args.size())
            return usage(a + QStringLiteral(" needs a value"));
        if (a == QLatin1String("--set")) {
            const QString s = args[++i];
            const qsizetype eq = s.indexOf(QLatin1Char('='));
            if (eq <= 0) return usage(QStringLiteral("--set takes NAME=TEXT"));
            sets.append({s.left(eq), s.mid(eq + 1)});
        } else if (a == QLatin1String("--pdf")) {
            pdf = args[++i];
        } else {
            return usage(QStringLiteral("unknown argument ") + a);
        }
    }
    if (pdf.isEmpty()) return usage(QStringLiteral("render needs --pdf OUT.pdf"));

    TReport report;
    report.setUnboundPlaceholdersKept(true);
    QString error;
    if (!report.LoadFromFile(path, &error)) return failure(error);
    for (const auto& [name, text] : sets)
        if (!report.setObjectText(name, text, &error)) return failure(error);
    if (!report.PrepareReport(&error) || !report.exportToPdf(pdf, &error)) return failure(error);
    QTextStream(stdout) << pdf << ": " << report.pageCount() << (report.pageCount() == 1 ? " page" : " pages") << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Fonts need a platform; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) return usage();
    if (args[0] == QLatin1String("check")) return args.size() == 2 ? check(args[1]) : usage();
    if (args[0] == QLatin1String("render")) return render(args[1], args.mid(2));
    return usage(QStringLiteral("unknown command ") + args[0]);
}
