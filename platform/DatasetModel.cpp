#include "platform/DatasetModel.h"

#include "platform/TextCodec.h"
#include "storage/DorodDataset.h"

namespace vornelta {

class DatasetModel::Link : public dorod::TDataLink {
public:
    explicit Link(DatasetModel& model) : m_model(model) {}
    void ActiveChanged() override { reset(); }
    void DataSetChanged() override { reset(); }
    void LayoutChanged() override { reset(); }
    void DataSetScrolled() override { emit m_model.currentRowChanged(m_model.currentRow()); }
    void RecordChanged(dorod::TField*) override {
        const int row = m_model.currentRow();
        if (row >= 0 && row < m_model.m_rows)
            emit m_model.dataChanged(m_model.index(row, 0),
                                     m_model.index(row, m_model.columnCount() - 1));
    }

private:
    void reset() {
        m_model.beginResetModel();
        dorod::TDataSet* d = DataSet();
        m_model.m_rows = d && d->Active() ? d->RecordCount() : 0;
        m_model.resolveFields();
        m_model.endResetModel();
        emit m_model.currentRowChanged(m_model.currentRow());
    }
    DatasetModel& m_model;
};

DatasetModel::DatasetModel(dorod::TDataSource& source, QVector<TGridColumn> columns,
                           QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)),
      m_link(std::make_unique<Link>(*this)) {
    m_link->SetDataSource(&source);
    resolveFields();
}

DatasetModel::~DatasetModel() = default;

void DatasetModel::resolveFields() {
    m_fields.assign(size_t(m_columns.size()), nullptr);
    m_dataset = dynamic_cast<dorod::TDorodDataset*>(m_link->DataSet());
    dorod::TDorodDataset* d = m_dataset;
    if (!d || !d->Active()) return;
    for (int column = 0; column < m_columns.size(); ++column)
        m_fields[size_t(column)] = d->FindField(fromQt(m_columns[column].fieldName));
}

dorod::TField* DatasetModel::field(int column) const {
    if (m_rows == 0 || column < 0 || size_t(column) >= m_fields.size()) return nullptr;
    return m_fields[size_t(column)];
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows) return {};
    if (role == Qt::DisplayRole) {
        dorod::TField* f = field(index.column());
        if (!f) return {};
        return toQt(dataset()->DisplayTextAt(index.row(), *f));
    }
    if (role == Qt::TextAlignmentRole) {
        dorod::TField* f = field(index.column());
        if (f && f->RightAligned()) return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size()) return {};
    if (role == Qt::DisplayRole) return m_columns[section].title;
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

int DatasetModel::currentRow() const {
    dorod::TDorodDataset* d = dataset();
    if (!d || !d->Active() || d->RecordCount() == 0) return -1;
    return d->RecNo() - 1;
}

void DatasetModel::setCurrentRow(int row) {
    dorod::TDorodDataset* d = dataset();
    if (!d || !d->Active() || row < 0 || row >= d->RecordCount() || row == currentRow()) return;
    d->SetRecNo(row + 1);
}

} // namespace vornelta
