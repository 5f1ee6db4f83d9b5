#include "reports/engine/ReportPrinter.h"

#include "platform/Dialogs.h"
#include "platform/ModalRunner.h"
#include "reports/engine/Report.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

namespace vornelta {

namespace {

const QString kNoPrinter = QStringLiteral(
    "Принтер не установлен: в системе нет ни одного принтера, печатать не на чем. "
    "Установите принтер (CUPS) и выберите его в «Настройки» → «Печать» → «Принтер».");

// CUPS names a queue's instance after a slash ("office/duplex").
struct QueueName {
    QByteArray name, instance;
};
QueueName queueName(const QString& printer) {
    const qsizetype slash = printer.indexOf(QLatin1Char('/'));
    if (slash < 0) return {printer.toLocal8Bit(), {}};
    return {printer.left(slash).toLocal8Bit(), printer.mid(slash + 1).toLocal8Bit()};
}

// Whether the queue takes jobs now. Asking CUPS also leaves its last status at "ok",
// which printJob reads back after the job.
Result queueTakesJobs(const QString& printer) {
    const QueueName q = queueName(printer);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, q.name.constData(),
                                         q.instance.isEmpty() ? nullptr : q.instance.constData());
    if (!dest)
        return Result::failed(QStringLiteral("Принтер «%1» недоступен: %2")
                                  .arg(printer, QString::fromLocal8Bit(cupsLastErrorString())));
    const char* accepting =
        cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const QString stateMessage = QString::fromLocal8Bit(
        cupsGetOption("printer-state-message", dest->num_options, dest->options));
    cupsFreeDests(1, dest);
    if (accepting && qstrcmp(accepting, "false") == 0)
        return Result::failed(QStringLiteral("Принтер «%1» не принимает задания%2.")
                                  .arg(printer, stateMessage.isEmpty()
                                                    ? QString()
                                                    : QStringLiteral(": ") + stateMessage));
    return {};
}

} // namespace

QStringList installedPrinters() {
    return QPrinterInfo::availablePrinterNames();
}

ValueResult<QString> resolvePrinter(const QString& name) {
    const QStringList printers = installedPrinters();
    if (printers.isEmpty()) return Result::failed(kNoPrinter);
    if (!name.isEmpty()) {
        if (printers.contains(name)) return name;
        return Result::failed(QStringLiteral("Принтер «%1» не найден. Установленные принтеры: %2.")
                                  .arg(name, printers.join(QStringLiteral(", "))));
    }
    const QString systemDefault = QPrinterInfo::defaultPrinterName();
    if (printers.contains(systemDefault)) return systemDefault;
    if (printers.size() == 1) return printers.front();
    return Result::failed(
        QStringLiteral("Принтер по умолчанию в системе не задан, а принтеров несколько (%1): "
                       "выберите принтер в «Настройки» → «Печать» → «Принтер».")
            .arg(printers.join(QStringLiteral(", "))));
}

Result selectPrinter(QPrinter& printer, const QString& name) {
    const ValueResult<QString> queue = resolvePrinter(name);
    if (!queue) return queue.status();
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(queue.value());
    // Qt keeps its previous printer when it does not know the name: check it took this one.
    if (printer.printerName() != queue.value())
        return Result::failed(QStringLiteral("Принтер «%1» не выбирается.").arg(queue.value()));
    return queueTakesJobs(queue.value());
}

Result printJob(QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
    // "Print to file" of the print dialog: a PDF, no queue involved.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        paint(printer);
        if (printer.printerState() == QPrinter::Error ||
            !QFileInfo::exists(printer.outputFileName()))
            return Result::failed(
                QStringLiteral("Файл «%1» не записан.").arg(printer.outputFileName()));
        return {};
    }
    const QString name = printer.printerName();
    const QStringList printers = installedPrinters();
    if (printers.isEmpty()) return Result::failed(kNoPrinter);
    if (printer.outputFormat() != QPrinter::NativeFormat || !printers.contains(name))
        return Result::failed(QStringLiteral("Принтер «%1» не найден.").arg(name));
    if (Result takes = queueTakesJobs(name); !takes) return takes;
    paint(printer);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted)
        return Result::failed(QStringLiteral("Печать на принтере «%1» не удалась.").arg(name));
    // Qt hands the job to CUPS when the painter ends and drops CUPS's answer; the answer
    // stays CUPS's last status in this thread (queueTakesJobs left it at "ok" just before).
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        return Result::failed(QStringLiteral("Принтер «%1» не принял задание: %2")
                                  .arg(name, QString::fromLocal8Bit(cupsLastErrorString())));
    return {};
}

Result anyPrinterInstalled() {
    return installedPrinters().isEmpty() ? Result::failed(kNoPrinter) : Result();
}

ValueResult<bool> printWithDialog(QWidget* parent, QPrinter& printer,
                                  const std::function<void(QPrinter&)>& paint) {
    if (Result any = anyPrinterInstalled(); !any) return any;
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(kPrintDialogCaption);
    if (ModalRunner::instance().run(dialog) != QDialog::Accepted) return false;
    if (Result printed = printJob(printer, paint); !printed) return printed;
    return true;
}

void setUpReportPrinter(QPrinter& printer, const TReport& report) {
    printer.setFullPage(true);
    if (!report.preparedPages().empty())
        printer.setPageLayout(report.preparedPages().front().layout);
    const TReportTemplate& t = report.reportTemplate();
    printer.setDocName(t.title.isEmpty() ? QFileInfo(t.path).completeBaseName() : t.title);
}

Result printReportOn(TReport& report, QPrinter& printer) {
    if (report.preparedPages().empty()) {
        if (Result prepared = report.PrepareReport(); !prepared) return prepared;
    }
    return printJob(printer,
                    [&](QPrinter& target) { paintReportPages(target, report.preparedPages()); });
}

Result printReport(TReport& report, const QString& printerName) {
    if (report.preparedPages().empty()) {
        if (Result prepared = report.PrepareReport(); !prepared) return prepared;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpReportPrinter(printer, report);
    if (Result selected = selectPrinter(printer, printerName); !selected) return selected;
    return printReportOn(report, printer);
}

QAction* previewPrintAction(QPrintPreviewDialog& preview) {
    // Qt's own caption of the button, in the language the program runs in.
    const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction* action : preview.findChildren<QAction*>())
        if (action->text() == print) return action;
    return nullptr;
}

void takeOverPreviewPrinting(QPrintPreviewDialog& preview, QPrinter& printer, TReport& report) {
    QAction* print = previewPrintAction(preview);
    if (!print) return;
    QObject::disconnect(print, &QAction::triggered, nullptr, nullptr);
    QObject::connect(print, &QAction::triggered, &preview, [&preview, &printer, &report] {
        if (report.preparedPages().empty()) {
            if (const Result prepared = report.PrepareReport(); !prepared) {
                Dialogs::instance().error(&preview, prepared.error());
                return;
            }
        }
        const ValueResult<bool> printed = printWithDialog(&preview, printer, [&](QPrinter& target) {
            paintReportPages(target, report.preparedPages());
        });
        if (!printed)
            Dialogs::instance().error(&preview, printed.error());
        else if (printed.value())
            preview.accept();
    });
}

} // namespace vornelta
