// The real programs around the desk, for the tests that meet them: the PDF printer queue
// of CUPS that scripts/cups-test-queue.sh sets up, poppler's pdftotext/pdfinfo/pdftoppm,
// and LibreOffice. On a developer's machine without them such a test is skipped and says
// why; where the test command runs (CI set, or VORNELTA_REQUIRE_TOOLS) a missing one
// fails the test instead, so nothing passes unseen.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace guisupport {

inline bool externalToolsRequired() {
    return !qEnvironmentVariableIsEmpty("CI") ||
           !qEnvironmentVariableIsEmpty("VORNELTA_REQUIRE_TOOLS");
}

// Skips the test (or fails it where the tools are required) with the reason; use in the
// test body: if (const auto why = ...) { VORNELTA_MISSING_TOOL(*why); }
#define VORNELTA_MISSING_TOOL(reason)                                                              \
    do {                                                                                           \
        if (guisupport::externalToolsRequired()) FAIL() << (reason).toStdString();                 \
        GTEST_SKIP() << (reason).toStdString();                                                    \
    } while (false)

// Why a program cannot be used; nothing when it is on the search path.
inline std::optional<QString> missingProgram(const QString& name) {
    if (!QStandardPaths::findExecutable(name).isEmpty()) return std::nullopt;
    return QStringLiteral("%1 is not installed (scripts/install-deps.sh installs it)").arg(name);
}

// The PDF printer queue of the test command: its name and the folder its jobs land in.
struct TestPrinter {
    QString queue;
    QString outputFolder;
};
inline std::optional<TestPrinter> testPrinter() {
    const QString queue = qEnvironmentVariable("VORNELTA_TEST_PRINTER");
    const QString out = qEnvironmentVariable("VORNELTA_TEST_PRINTER_OUT");
    if (queue.isEmpty() || out.isEmpty()) return std::nullopt;
    return TestPrinter{queue, out};
}
inline const QString kNoTestPrinter = QStringLiteral(
    "no test printer: run under scripts/test.sh, or eval \"$(scripts/cups-test-queue.sh start "
    "STATE)\" first");

struct ToolRun {
    bool finished = false;
    int exitCode = -1;
    QByteArray out, err;
};
inline ToolRun runTool(const QString& program, const QStringList& args, int timeoutMs = 60000) {
    QProcess p;
    p.start(program, args);
    ToolRun r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(2000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline QString pdfText(const QString& pdf) {
    return QString::fromUtf8(runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out);
}

// "A4", "Letter", … as pdfinfo names the first page's size, with the orientation it
// reports ("A4 portrait" / "A4 landscape"): empty when pdfinfo cannot read the file.
inline QString pdfPaper(const QString& pdf) {
    const QString info = QString::fromUtf8(runTool(QStringLiteral("pdfinfo"), {pdf}).out);
    static const QRegularExpression size(
        QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts(?: \\((\\w+)\\))?"));
    const QRegularExpressionMatch m = size.match(info);
    if (!m.hasMatch()) return {};
    const bool landscape = m.captured(1).toDouble() > m.captured(2).toDouble();
    return (m.captured(3).isEmpty() ? QStringLiteral("?") : m.captured(3)) +
           (landscape ? QStringLiteral(" landscape") : QStringLiteral(" portrait"));
}

// The first page as an image (pdftoppm), for looking at colours.
inline QImage pdfPageImage(const QString& pdf, int dpi = 60) {
    const QString stem = QDir::temp().filePath(QStringLiteral("vornelta-page-%1-%2")
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(qHash(pdf)));
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
             QStringLiteral("-singlefile"), pdf, stem});
    QImage image(stem + QStringLiteral(".png"));
    QFile::remove(stem + QStringLiteral(".png"));
    return image;
}

// The PDF files now in a folder.
inline QSet<QString> pdfFilesIn(const QString& folder) {
    QSet<QString> out;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
        out.insert(f.absoluteFilePath());
    return out;
}

// One job of the PDF printer, as it came out. cups-pdf builds its PDF anew through
// PostScript and Ghostscript, which keeps the pages but not the text layer of the fonts Qt
// embeds (pdftotext reads symbols from it). So the text is read from the document Qt
// handed to CUPS, which CUPS keeps in its spool folder after the job (for a day, by
// default), and the queue's PDF is compared with it as a picture.
struct PrintedJob {
    QString output;   // the PDF the queue wrote
    QString document; // the job's document as Qt handed it to CUPS
};

inline QString cupsSpoolFolder() {
    const QString configured = qEnvironmentVariable("VORNELTA_CUPS_SPOOL");
    return configured.isEmpty() ? QStringLiteral("/var/spool/cups") : configured;
}

// Waits (bounded) for a job that was not in `before` and whose document holds the marker
// (spaces aside):
// the job of this test, even while other tests print to the same queue. Empty when none
// came.
inline PrintedJob waitForPrintedJob(const QString& folder, const QSet<QString>& before,
                                    const QString& marker, int timeoutMs = 60000) {
    static const QRegularExpression jobNumber(QStringLiteral("-job_(\\d+)\\.pdf$"));
    QElapsedTimer timer;
    timer.start();
    QSet<QString> foreign; // finished jobs of other tests
    while (timer.elapsed() < timeoutMs) {
        for (const QString& file : pdfFilesIn(folder)) {
            if (before.contains(file) || foreign.contains(file)) continue;
            const QRegularExpressionMatch m = jobNumber.match(file);
            if (!m.hasMatch()) {
                foreign.insert(file);
                continue;
            }
            if (runTool(QStringLiteral("pdfinfo"), {file}, 10000).exitCode != 0)
                continue; // still being written
            const QString document = QDir(cupsSpoolFolder())
                                         .filePath(QStringLiteral("d%1-001").arg(
                                             m.captured(1).toInt(), 5, 10, QLatin1Char('0')));
            // Spaces aside: numbers may be printed with a group separator.
            static const QRegularExpression space(QStringLiteral("[\\s\\x{00A0}\\x{202F}]"));
            if (pdfText(document).remove(space).contains(QString(marker).remove(space)))
                return {file, document};
            foreign.insert(file);
        }
        QThread::msleep(200);
    }
    return {};
}

// How far two pictures of equal size are apart: the mean difference of their grey levels.
inline double pageDifference(const QImage& x, const QImage& y) {
    if (x.size() != y.size()) return 1;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(int(p[col]) - int(q[col]));
    }
    return sum / (255.0 * x.width() * x.height());
}

// How far two PDFs' first pages are apart as pictures: the mean difference of their grey
// levels, 0 (the same) to 1 (black against white), at a resolution where rendering
// details no longer count.
inline double pageDifference(const QString& a, const QString& b) {
    const auto grey = [](const QString& pdf) {
        return pdfPageImage(pdf, 40).convertToFormat(QImage::Format_Grayscale8);
    };
    const QImage x = grey(a), y = grey(b);
    if (x.isNull() || y.isNull()) return 1;
    if (x.size() == y.size().transposed()) // a landscape page on an upright sheet
        return std::min(pageDifference(x, y.transformed(QTransform().rotate(90))
                                              .convertToFormat(QImage::Format_Grayscale8)),
                        pageDifference(x, y.transformed(QTransform().rotate(270))
                                              .convertToFormat(QImage::Format_Grayscale8)));
    return pageDifference(x, y);
}

} // namespace guisupport
