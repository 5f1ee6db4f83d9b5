#include "platform/GridSetup.h"

#include "platform/DatasetModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

namespace vornelta {

void setUpGrid(QTableView& grid, DatasetModel& model) {
    grid.setModel(&model);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    grid.setShowGrid(true);
    grid.setWordWrap(false);
    grid.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid.verticalHeader()->setDefaultSectionSize(grid.fontMetrics().height() + 6);
    grid.verticalHeader()->hide();
    grid.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < model.columns().size(); ++c)
        if (model.columns()[c].width > 0) grid.setColumnWidth(c, model.columns()[c].width);

    QTableView* view = &grid;
    DatasetModel* source = &model;
    QObject::connect(grid.selectionModel(), &QItemSelectionModel::currentRowChanged, &model,
                     [source](const QModelIndex& current) {
                         if (current.isValid()) source->setCurrentRow(current.row());
                     });
    QObject::connect(&model, &DatasetModel::currentRowChanged, view, [view, source](int row) {
        if (row < 0 || row >= source->rowCount()) return;
        if (view->selectionModel()->currentIndex().row() == row) return;
        const QModelIndex index = source->index(row, 0);
        view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        view->scrollTo(index);
    });
    // The dataset's current row is the grid's from the start.
    const int row = model.currentRow();
    if (row >= 0) emit model.currentRowChanged(row);
}

} // namespace vornelta
