// The one set-up of a grid over a dataset, shared by every window with a list: read-only,
// whole rows selected one at a time, column and row lines, columns resizable with the
// model's widths and centred titles, fixed row heights (the grid never measures rows it
// does not show), and one current row kept by the grid and the dataset together.
#pragma once

class QTableView;

namespace vornelta {

class DatasetModel;

void setUpGrid(QTableView& grid, DatasetModel& model);

} // namespace vornelta
