#include "realty/RealtyTransfer.h"

#include "desk/Desk.h"
#include "platform/TextCodec.h"
#include "storage/DorodTable.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <stdexcept>

namespace vornelta {

namespace {

int copyAcceptedRows(dorod::TDorodTable& source, dorod::TDorodTable& staging) {
    dorod::TField& fromDate = source.FieldByName(field::kDate);
    dorod::TField& fromVid = source.FieldByName(field::kVid);
    dorod::TField& fromTip = source.FieldByName(field::kTip);
    dorod::TField& fromText = source.FieldByName(field::kRealtyText);
    dorod::TField& toDate = staging.FieldByName(field::kDate);
    dorod::TField& toVid = staging.FieldByName(field::kVid);
    dorod::TField& toTip = staging.FieldByName(field::kTip);
    dorod::TField& toText = staging.FieldByName(field::kRealtyText);

    const int n = source.RecordCount();
    for (int i = 0; i < n; ++i) {
        staging.Append();
        toDate.SetAsDateTime(fromDate.AsDateTime());
        toVid.SetAsString(fromVid.AsString());
        toTip.SetAsString(fromTip.AsString());
        toText.SetAsString(fromText.AsString());
        staging.Post();
        source.Next();
    }
    return n;
}

} // namespace

QString transferFilePath(const TDesk& desk) {
    return QDir(desk.drives.folderFor(QString::fromLatin1(kTransferDrive)))
        .filePath(QString::fromLatin1(kTransferFileName));
}

TransferResult exportRealty(TDesk& desk, int32_t from, int32_t to) {
    const QString drive = QString::fromLatin1(kTransferDrive);
    if (!desk.drives.isReady(drive))
        throw std::runtime_error(
            QStringLiteral("Диск %1 не готов: нет папки «%2». Файл %3 не записан.")
                .arg(drive, QDir::toNativeSeparators(desk.drives.folderFor(drive)),
                     QString::fromLatin1(kTransferFileName))
                .toStdString());

    TransferResult result;
    result.path = transferFilePath(desk);
    // Rows copied before a failure must not reach the next export: the staging table is
    // re-read from its file afterwards, whatever happens, once rielt.d is unfiltered.
    ScopeGuard reread([&] {
        desk.tRieltOut.Close();
        desk.tRieltOut.Open();
    });
    DeskScope period = desk.realtyRowsInPeriod(from, to);
    result.rows = copyAcceptedRows(desk.tRielt, desk.tRieltOut);
    try {
        desk.tRieltOut.SaveToFile(QFile::encodeName(result.path).toStdString());
    } catch (const dorod::EDatabaseError& e) {
        // The engine's reason, with the file it concerns.
        throw std::runtime_error(QStringLiteral("Файл %1 не записан: %2")
                                     .arg(QDir::toNativeSeparators(result.path), toQt(e.what()))
                                     .toStdString());
    }
    // On the way out by return, a failure to settle is the command's own.
    period.undoNow();
    reread.undoNow();
    return result;
}

int runExportRealty(TDesk& desk, int32_t from, int32_t to, QTextStream& out, QTextStream&) {
    const TransferResult result = exportRealty(desk, from, to);
    out << QDir::toNativeSeparators(result.path) << '\t' << result.rows << '\n';
    out.flush();
    return 0;
}

} // namespace vornelta
