// Feeds arbitrary bytes to the report template reader and lays out and paints what it
// reads. A template is either refused with a message (nothing left loaded) or laid out
// and painted in bounded time (scripts/fuzz.sh sets libFuzzer's -timeout); a layout that
// fails names its reason.
#include "reports/engine/ReportLayout.h"
#include "reports/engine/ReportTemplate.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPdfWriter>

#include <cstdint>
#include <cstdlib>
#include <optional>

using namespace vornelta;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Fonts need an application; no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

namespace {

// tData's fields read as their names, long enough to make boxes shrink or stretch;
// any other dataset is refused, as an unbound one is.
std::optional<QString> placeholder(const QString& dataset, const QString& field,
                                   const QString& format, QString* reason) {
    if (dataset == QLatin1String("tData")) return (field + format + QLatin1Char(' ')).repeated(3);
    *reason = QStringLiteral("набор данных «%1» не подключен").arg(dataset);
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TReportTemplate report;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const Result read =
            parseReportTemplate(bytes, QStringLiteral("/nonexistent/fuzz.frf"), report);
        !read) {
        if (read.error().isEmpty() || !report.pages.empty()) std::abort();
        return 0;
    }
    if (report.pages.empty()) std::abort();
    // The program's values are data: a first named text gets one that looks like a
    // placeholder and a list.
    for (const auto& object : report.pages.front().objects) {
        if (object->kind() == TReportObjectKind::Text && !object->name().isEmpty()) {
            static_cast<TReportTextObject&>(*object).setPlainText(
                QStringLiteral("[tData.Client] 10.06.2004,11.06.2004,1,5E+15"));
            break;
        }
    }
    std::vector<TPreparedPage> pages;
    if (const Result laidOut = prepareReportPages(report, placeholder, pages); !laidOut) {
        if (laidOut.error().isEmpty() || !pages.empty()) std::abort();
        return 0;
    }
    if (pages.size() < report.pages.size()) std::abort();
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(72);
    paintReportPages(writer, pages);
    return 0;
}
