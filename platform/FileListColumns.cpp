#include "platform/FileListColumns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>

namespace vornelta {

QString fileColumnText(const QFileInfo& info, int column) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    switch (column) {
    case flcSize:
        return info.isDir()
                   ? QString()
                   : russian.formattedDataSize(info.size(), 2, QLocale::DataSizeTraditionalFormat);
    case flcType:
        if (info.isDir()) return QStringLiteral("Папка");
        return info.suffix().isEmpty() ? QStringLiteral("Файл")
                                       : QStringLiteral("Файл %1").arg(info.suffix());
    case flcDate:
        return info.lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    default:
        return QString();
    }
}

QVariant TRussianFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role == Qt::DisplayRole && files && index.column() != flcName) {
        const QModelIndex source = mapToSource(index);
        // The root entries of the list ("/") show as Qt shows them.
        if (source.parent().isValid())
            return fileColumnText(files->fileInfo(source), index.column());
    }
    return QIdentityProxyModel::data(index, role);
}

} // namespace vornelta
