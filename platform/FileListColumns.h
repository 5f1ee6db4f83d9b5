// The file dialog's list in the desk's language. Qt fills the size, type and date columns
// by the system's locale (which may be "C": "170 KiB", "PDF document", "10 Dec 2026") and
// a file's type from the MIME database in that language; the desk shows them in Russian.
#pragma once

#include <QIdentityProxyModel>
#include <QString>

class QFileInfo;

namespace vornelta {

// The columns of QFileSystemModel.
enum FileListColumn { flcName = 0, flcSize = 1, flcType = 2, flcDate = 3 };

// The text a column shows for a file: "170,78 кБ", "Папка" or "Файл pdf", "10.12.2026
// 14:15". Empty for a column the dialog shows as Qt does (the name; a folder's size).
QString fileColumnText(const QFileInfo& info, int column);

// Over the dialog's file model: the size, type and date columns as fileColumnText says.
class TRussianFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

} // namespace vornelta
