#include "desk/DamagedTable.h"

#include "desk/Desk.h"
#include "platform/ErrorGuard.h"
#include "platform/SystemErrorText.h"
#include "platform/TextCodec.h"
#include "storage/DorodConst.h"
#include "storage/DorodTable.h"
#include "storage/FileIo.h"
#include "tables/defs/TableDefinitions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace vornelta {

namespace {

const QString kOpeningTable = QString::fromLatin1(dorod::msg::ErrorOpeningTable);

std::string fileName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Whether the file opens as a table (the last good copy is offered only when it does).
bool opensAsTable(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    try {
        dorod::TDorodTable probe;
        probe.SetTableName(fileName(path));
        probe.Open();
        probe.Close();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

QString damageReason(const QString& engineMessage) {
    using namespace dorod::msg;
    const QString m = engineMessage.trimmed();
    if (m == QLatin1String(UnexpectedEnd))
        return QStringLiteral("файл обрывается раньше, чем кончаются его данные (он записан не "
                              "до конца или обрезан)");
    if (m == QLatin1String(BufferCorruption))
        return QStringLiteral("заголовок или данные файла испорчены, он не читается как таблица");
    if (m == QLatin1String(DescriptionSection))
        return QStringLiteral("испорчено описание полей в начале файла");
    static const QRegularExpression wrongLength(
        QStringLiteral("^(?:String |BLOB )?[Ff]ield '(.*)' has wrong length (-?\\d+) in record "
                       "(\\d+)$"));
    if (const auto match = wrongLength.match(m); match.hasMatch())
        return QStringLiteral("запись %1 испорчена: у поля «%2» неверная длина")
            .arg(match.captured(3), match.captured(1));
    static const QRegularExpression countMismatch(
        QStringLiteral("^Number of records read \\((\\d+)\\) does not match declared record "
                       "count \\((\\d+)\\)$"));
    if (const auto match = countMismatch.match(m); match.hasMatch())
        return QStringLiteral("в файле %1 записей, а в его заголовке указано %2")
            .arg(match.captured(1), match.captured(2));
    return QStringLiteral("содержимое файла испорчено (%1)").arg(m);
}

std::optional<DamagedTable> damagedTableOfCurrentException(const TDesk& desk) {
    QString message;
    try {
        throw;
    } catch (const dorod::EDatabaseError& e) {
        message = toQt(e.what());
    } catch (...) {
        return std::nullopt;
    }
    // "tData: Error opening table: Unexpected end of buffer": the table component's name,
    // then what the engine found in its image.
    const qsizetype at = message.indexOf(QStringLiteral(": ") + kOpeningTable);
    if (at < 0) return std::nullopt;
    const QString component = message.left(at);
    const QString found = message.mid(at + 2 + kOpeningTable.size());
    // A wrong password is not damage.
    if (found.startsWith(QLatin1String(dorod::msg::InvalidPassword))) return std::nullopt;
    for (const TTableDefinition* table :
         {&announcementTable(), &runDateTable(), &realtyTable(), &realtyOutTable()}) {
        if (QString::fromStdString(table->componentName) != component) continue;
        DamagedTable damaged;
        damaged.path = desk.folder().file(QString::fromStdString(table->fileName));
        damaged.reason = damageReason(found);
        const QString backup = QFile::decodeName(
            dorod::fileio::changeExtension(fileName(damaged.path), ".~d").c_str());
        if (opensAsTable(backup)) {
            damaged.backupPath = backup;
            damaged.backupTime = QFileInfo(backup).lastModified();
        }
        return damaged;
    }
    return std::nullopt;
}

QString damagedTableMessage(const DamagedTable& damaged, bool asking) {
    QString text =
        QStringLiteral("Файл таблицы «%1» поврежден: %2.").arg(shown(damaged.path), damaged.reason);
    if (damaged.backupPath.isEmpty()) {
        return text + QStringLiteral("\n\nИсправной копии этой таблицы нет. Поврежденный файл "
                                     "не изменен; программа не может работать без него.");
    }
    text += QStringLiteral("\n\nПоследняя исправная копия — «%1», записана %2 в %3; "
                           "изменений, сделанных после этого, в ней нет.")
                .arg(QFileInfo(damaged.backupPath).fileName(),
                     damaged.backupTime.toString(QStringLiteral("dd.MM.yyyy")),
                     damaged.backupTime.toString(QStringLiteral("HH:mm")));
    if (asking)
        return text + QStringLiteral("\n\nОткрыть эту копию? Поврежденный файл будет сохранен "
                                     "рядом под именем «%1.damaged-ГГГГММДД-ЧЧММСС».")
                          .arg(QFileInfo(damaged.path).fileName());
    return text + QStringLiteral("\n\nЗапустите программу с окном: она предложит открыть эту "
                                 "копию, сохранив поврежденный файл.");
}

QString damagedCopyPath(const QString& path, const QDateTime& now) {
    const QString base =
        path + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = base + QStringLiteral("-%1").arg(n);
    return candidate;
}

ValueResult<QString> restoreLastGoodCopy(const DamagedTable& damaged, const QDateTime& now) {
    const QString kept = damagedCopyPath(damaged.path, now);
    QFile original(damaged.path);
    if (!original.copy(kept) || QFileInfo(kept).size() != QFileInfo(damaged.path).size()) {
        QFile::remove(kept);
        return Result::failed(QStringLiteral("Поврежденный файл «%1» не удалось сохранить как "
                                             "«%2»: %3. Ничего не изменено.")
                                  .arg(shown(damaged.path), shown(kept), fileErrorText(original)));
    }
    std::string bytes, failure;
    if (!dorod::fileio::readFile(fileName(damaged.backupPath), bytes, failure) ||
        !dorod::fileio::writeFileAtomically(fileName(damaged.path), bytes, failure))
        return Result::failed(QStringLiteral("Копию «%1» не удалось открыть вместо «%2»: %3. "
                                             "Поврежденный файл сохранен как «%4».")
                                  .arg(shown(damaged.backupPath), shown(damaged.path),
                                       systemMessageText(QString::fromLocal8Bit(failure)),
                                       shown(kept)));
    return kept;
}

Result openDeskOrRestore(TDesk& desk, const AskToRestore& ask) {
    // Each table can be damaged once; every restore replaces one of them.
    for (int attempt = 0;; ++attempt) {
        std::optional<DamagedTable> damaged;
        QString failure;
        try {
            desk.open();
            return Result();
        } catch (...) {
            damaged = damagedTableOfCurrentException(desk);
            failure = currentExceptionMessage();
        }
        desk.close();
        if (!damaged || attempt > 4) return Result::failed(failure);
        if (damaged->backupPath.isEmpty() || !ask)
            return Result::failed(damagedTableMessage(*damaged, false));
        if (!ask(damagedTableMessage(*damaged, true)))
            return Result::failed(
                QStringLiteral("Файл «%1» не изменен.").arg(shown(damaged->path)));
        const ValueResult<QString> kept =
            restoreLastGoodCopy(*damaged, QDateTime::currentDateTime());
        if (!kept) return kept.status();
    }
}

} // namespace vornelta
