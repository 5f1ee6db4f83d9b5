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

// Brings the staging table and rielt.d back to their resting state: the staging table
// re-read from its file, rielt.d unfiltered.
void settle(TDesk& desk) {
    desk.tRieltOut.Close();
    desk.tRieltOut.Open();
    desk.tRielt.SetFiltered(false);
}

int copyAcceptedRows(dorod::TDorodTable& source, dorod::TDorodTable& staging) {
    dorod::TField& fromDate = source.FieldByName("date");
    dorod::TField& fromVid = source.FieldByName("vid");
    dorod::TField& fromTip = source.FieldByName("tip");
    dorod::TField& fromText = source.FieldByName("text");
    dorod::TField& toDate = staging.FieldByName("date");
    dorod::TField& toVid = staging.FieldByName("vid");
    dorod::TField& toTip = staging.FieldByName("tip");
    dorod::TField& toText = staging.FieldByName("text");

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
    desk.realtyFrom = from;
    desk.realtyTo = to;
    try {
        desk.tRielt.SetFiltered(true);
        result.rows = copyAcceptedRows(desk.tRielt, desk.tRieltOut);
        try {
            desk.tRieltOut.SaveToFile(QFile::encodeName(result.path).toStdString());
        } catch (const dorod::EDatabaseError& e) {
            // The engine's reason, with the file it concerns.
            throw std::runtime_error(QStringLiteral("Файл %1 не записан: %2")
                                         .arg(QDir::toNativeSeparators(result.path), toQt(e.what()))
                                         .toStdString());
        }
    } catch (...) {
        // Rows copied before the failure must not reach the next export.
        try {
            settle(desk);
        } catch (...) {
        }
        throw;
    }
    settle(desk);
    return result;
}

int runExportRealty(TDesk& desk, int32_t from, int32_t to, QTextStream& out, QTextStream&) {
    const TransferResult result = exportRealty(desk, from, to);
    out << QDir::toNativeSeparators(result.path) << '\t' << result.rows << '\n';
    out.flush();
    return 0;
}

} // namespace vornelta
