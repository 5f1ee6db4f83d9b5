// Helpers of the report engine's tests: templates written into a temporary folder, the
// text of a PDF as pdftotext reads it back (page by page), the shipped templates.
#pragma once

#include "guisupport/GuiHelpers.h"
#include "platform/Result.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace reporttest {

// The shipped templates' folder in the source tree.
inline QString shippedTemplate(const QString& name) {
    return QStringLiteral(VORNELTA_SOURCE_DIR "/resources/") + QStringLiteral("Отчеты/") + name;
}

// A Result as a check reads it: a failure brings its reason into the test's message.
inline ::testing::AssertionResult done(const vornelta::Result& result) {
    if (result) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << result.error().toStdString();
}

// A template of one or more pages around the given objects (written as UTF-8).
inline QString reportXml(const QString& pages) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<report title=\"Тест\">\n") +
           pages + QStringLiteral("</report>\n");
}
inline QString
pageXml(const QString& objects,
        const QString& attributes = QStringLiteral("size=\"A4\" margins=\"10 10 10 10\"")) {
    return QStringLiteral("  <page %1>\n").arg(attributes) + objects +
           QStringLiteral("  </page>\n");
}

inline QString writeTemplate(const guisupport::TempFolder& folder, const QString& name,
                             const QString& xml) {
    const QString path = folder.file(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(xml.toUtf8());
    return path;
}

// The text of pages first..last of a PDF (all pages when last is 0), reading order.
inline QString pdfText(const QString& pdf, int first = 1, int last = 0) {
    QProcess p;
    QStringList args{QStringLiteral("-f"), QString::number(first)};
    if (last > 0) args << QStringLiteral("-l") << QString::number(last);
    args << pdf << QStringLiteral("-");
    p.start(QStringLiteral("pdftotext"), args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext failed on " << pdf.toStdString() << ": "
                      << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// pdfinfo's "Pages:" value; -1 when it cannot be read.
inline int pdfPageCount(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    for (const QString& line :
         QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

// pdffonts' lines of the fonts the PDF uses (after the two heading lines).
inline QStringList pdfFonts(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdffonts"), {pdf});
    p.waitForFinished(30000);
    QStringList lines =
        QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(2);
}

#ifdef VORNELTA_REPORT_EXECUTABLE
// vornelta-report run as a shell would (with no display of its own, on the CUPS server
// given): its exit code and what it printed.
struct ReportToolRun {
    int exitCode = -1;
    QString out, err;
};
inline ReportToolRun runReportTool(const QStringList& args, const QString& cupsServer = QString()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!cupsServer.isEmpty()) env.insert(QStringLiteral("CUPS_SERVER"), cupsServer);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VORNELTA_REPORT_EXECUTABLE), args);
    if (!p.waitForFinished(60000)) ADD_FAILURE() << "vornelta-report did not finish";
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
#endif

} // namespace reporttest
