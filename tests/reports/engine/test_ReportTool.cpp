// vornelta-report as a template designer runs it: check lists the pages and named
// objects, render fills objects and writes the PDF; exit 1 for a bad template, 2 for
// wrong usage.
#include "reports/engine/ReportTestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

using guisupport::TempFolder;
using reporttest::pageXml;
using reporttest::reportXml;
using reporttest::writeTemplate;

using ToolRun = reporttest::ReportToolRun;

ToolRun runTool(const QStringList& args) {
    return reporttest::runReportTool(args);
}

QString sample(const TempFolder& folder) {
    return writeTemplate(
        folder, QStringLiteral("образец.frf"),
        reportXml(pageXml(QStringLiteral(
            "<text name=\"client\" rect=\"10 10 100 8\">Заказчик: [tData.Client]</text>\n"
            "<text name=\"dates\" rect=\"10 20 100 8\" stretch=\"yes\">—</text>\n"
            "<line from=\"10 30\" to=\"100 30\"/>\n"))));
}

TEST(ReportTool, CheckListsPagesAndNamedObjects) {
    TempFolder folder;
    const ToolRun r = runTool({QStringLiteral("check"), sample(folder)});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("1 page"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("text client  [tData.Client]")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("text dates"))) << r.out.toStdString();
}

TEST(ReportTool, RenderFillsObjectsAndWritesThePdf) {
    TempFolder folder;
    const QString pdf = folder.file(QStringLiteral("out.pdf"));
    const ToolRun r =
        runTool({QStringLiteral("render"), sample(folder), QStringLiteral("--set"),
                 QStringLiteral("dates=10.06.2004,11.06.2004"), QStringLiteral("--set"),
                 QStringLiteral("client=Клиент: ООО «Ромашка»"), QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = reporttest::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("10.06.2004,11.06.2004"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Клиент: ООО «Ромашка»"))) << text.toStdString();
}

TEST(ReportTool, FailuresExitWithOneAndUsageWithTwo) {
    TempFolder folder;
    const QString good = sample(folder);
    const QString bad = writeTemplate(folder, QStringLiteral("bad.frf"),
                                      QStringLiteral("<report>\n<page>\n</report>"));
    const QString notANumber =
        writeTemplate(folder, QStringLiteral("nan.frf"),
                      reportXml(pageXml(QStringLiteral("<rect rect=\"10 NaN 20 20\"/>\n"))));
    const QString pdf = folder.file(QStringLiteral("out.pdf"));
    struct Case {
        QStringList args;
        int exitCode;
        QString message; // a part of stderr
    };
    const std::vector<Case> cases = {
        {{QStringLiteral("check"), folder.file(QStringLiteral("нет.frf"))},
         1,
         QStringLiteral("Не найден шаблон отчета")},
        {{QStringLiteral("check"), bad}, 1, QStringLiteral("поврежден: строка 3")},
        {{QStringLiteral("check"), notANumber}, 1, QStringLiteral("rect: «10 NaN 20 20»")},
        {{QStringLiteral("render"), bad, QStringLiteral("--pdf"), pdf},
         1,
         QStringLiteral("поврежден")},
        {{QStringLiteral("render"), good, QStringLiteral("--set"), QStringLiteral("vskol=1"),
          QStringLiteral("--pdf"), pdf},
         1,
         QStringLiteral("нет объекта «vskol»")},
        {{QStringLiteral("render"), good, QStringLiteral("--pdf"),
          folder.file(QStringLiteral("нет/out.pdf"))},
         1,
         QStringLiteral("Не удалось записать")},
        {{}, 2, QStringLiteral("usage:")},
        {{QStringLiteral("check")}, 2, QStringLiteral("usage:")},
        {{QStringLiteral("check"), good, QStringLiteral("extra")}, 2, QStringLiteral("usage:")},
        {{QStringLiteral("print"), good}, 2, QStringLiteral("unknown command")},
        {{QStringLiteral("render"), good}, 2, QStringLiteral("--pdf")},
        {{QStringLiteral("render"), good, QStringLiteral("--set"), QStringLiteral("noequals"),
          QStringLiteral("--pdf"), pdf},
         2,
         QStringLiteral("NAME=TEXT")},
        {{QStringLiteral("render"), good, QStringLiteral("--pdf")},
         2,
         QStringLiteral("needs a value")},
        {{QStringLiteral("preview"), good, QStringLiteral("--pdf"), pdf},
         2,
         QStringLiteral("preview takes no --pdf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const ToolRun r = runTool(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
    EXPECT_FALSE(QFile::exists(pdf)) << "no PDF from a failed render";
}

} // namespace
