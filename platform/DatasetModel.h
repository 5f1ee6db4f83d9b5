// The bridge from a dataset to a grid: a table model over a data source. Rows are the
// dataset's view, read on demand, so a grid over 200 000 rows paints only what it shows.
// The model follows the dataset (view rebuilt, record moved or changed) through a data
// link, and a row chosen in the grid moves the dataset there.
#pragma once

#include "storage/DataSet.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

namespace dorod {
class TDorodDataset;
}

namespace vornelta {

struct TGridColumn {
    QString fieldName;
    QString title;
    int width = -1; // -1: the grid's default
};

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(dorod::TDataSource& source, QVector<TGridColumn> columns,
                 QObject* parent = nullptr);
    ~DatasetModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const QVector<TGridColumn>& columns() const { return m_columns; }
    // The row of the dataset's current record (-1 without one).
    int currentRow() const;
    // Moves the dataset to a row.
    void setCurrentRow(int row);

signals:
    // The dataset's current record moved to this row.
    void currentRowChanged(int row);

private:
    class Link;
    dorod::TDorodDataset* dataset() const { return m_dataset; }
    dorod::TField* field(int column) const;

    // Looks the dataset and the columns' fields up again; they change only when the
    // dataset opens or closes or the source gets another one, which resets the model.
    void resolveFields();

    QVector<TGridColumn> m_columns;
    std::unique_ptr<Link> m_link;
    int m_rows = 0;
    dorod::TDorodDataset* m_dataset = nullptr;
    std::vector<dorod::TField*> m_fields; // per column; null for an unknown name
};

} // namespace vornelta
