// The grid's model over a dataset, checked by Qt's model tester while the dataset is
// filtered, edited, added to, deleted from, closed and opened again; and the texts it
// shows, converted from the table's Windows-1251 bytes.
#include "platform/DatasetModel.h"
#include "platform/GridSetup.h"
#include "storage/DorodLocale.h"
#include "storage/DorodTable.h"
#include "support/TableBuilder.h"
#include "support/TempDir.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using testsupport::cp1251;
using testsupport::TableBuilder;

// Collects the model tester's complaints instead of aborting.
QStringList g_complaints;
void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && message.contains(QStringLiteral("FAIL"))) g_complaints << message;
}

class DatasetModelTest : public ::testing::Test {
protected:
    DatasetModelTest() {
        m_savedLocale = dorod::formatSettings();
        dorod::setFormatSettings(dorod::FormatSettings{});
        TableBuilder b({{"id", dorod::FieldType::Integer},
                        {"indate", dorod::FieldType::Date},
                        {"text", dorod::FieldType::String, 100}});
        b.row({"1", "01.12.2026", cp1251("Продам дом")});
        b.row({"2", "02.12.2026", cp1251("Сдам гараж")});
        b.row({"3", "03.12.2026", cp1251("Куплю ёлку")});
        b.save(path);
        table.Name = "tData";
        table.SetTableName(path);
        table.Open();
        g_complaints.clear();
        m_previous = qInstallMessageHandler(collect);
    }
    ~DatasetModelTest() override {
        qInstallMessageHandler(m_previous);
        dorod::setFormatSettings(m_savedLocale);
    }

    QStringList column(const DatasetModel& model, int c) const {
        QStringList out;
        for (int r = 0; r < model.rowCount(); ++r)
            out << model.index(r, c).data().toString();
        return out;
    }

    testsupport::TempDir dir;
    std::string path = (dir.path() / "data.d").string();
    dorod::TDorodTable table;
    dorod::TDataSource source{&table};
    const QVector<TGridColumn> columns = {{QStringLiteral("Id"), QStringLiteral("№ п.п."), -1},
                                          {QStringLiteral("Indate"), QStringLiteral("Принято"), -1},
                                          {QStringLiteral("Text"), QStringLiteral("Текст"), 200},
                                          {QStringLiteral("nosuch"), QStringLiteral("Нет"), -1}};

private:
    dorod::FormatSettings m_savedLocale;
    QtMessageHandler m_previous = nullptr;
};

TEST_F(DatasetModelTest, StaysConsistentThroughEveryChangeOfTheDataset) {
    DatasetModel model(source, columns);
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 4);

    table.OnFilterRecord = [](dorod::TDataSet& d, bool& accept) {
        accept = d.FieldByName("id").AsInteger() != 2;
    };
    table.SetFiltered(true);
    EXPECT_EQ(column(model, 0), (QStringList{"1", "3"}));

    table.Append();
    table.FieldByName("id").SetAsInteger(4);
    table.FieldByName("text").SetAsString(cp1251("Новое"));
    table.Post();
    EXPECT_EQ(model.rowCount(), 3);

    table.First();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    table.Edit();
    table.FieldByName("text").SetAsString(cp1251("Продам дом с садом"));
    table.Post();
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(model.index(0, 2).data().toString(), QStringLiteral("Продам дом с садом"));

    table.Delete();
    EXPECT_EQ(column(model, 0).size(), 2);
    table.Close();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0, 0).data().isValid());
    table.SetFiltered(false);
    table.Open();
    EXPECT_EQ(model.rowCount(), 3); // the file still holds the three rows
    EXPECT_TRUE(g_complaints.isEmpty()) << g_complaints.join('\n').toStdString();
}

TEST_F(DatasetModelTest, ShowsTheDisplayTextsTitlesAndAlignment) {
    DatasetModel model(source, columns);
    EXPECT_EQ(column(model, 0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(column(model, 1), (QStringList{"01.12.2026", "02.12.2026", "03.12.2026"}));
    EXPECT_EQ(column(model, 2),
              (QStringList{QStringLiteral("Продам дом"), QStringLiteral("Сдам гараж"),
                           QStringLiteral("Куплю ёлку")}));
    EXPECT_EQ(column(model, 3), (QStringList{"", "", ""})); // a field the table has not
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Текст"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignCenter));
    EXPECT_TRUE(model.index(0, 0).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_TRUE(model.index(0, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
}

// The grid and the dataset keep one current row, whichever of them moves.
TEST_F(DatasetModelTest, GridAndDatasetShareTheCurrentRow) {
    DatasetModel model(source, columns);
    QTableView grid;
    table.Last();
    setUpGrid(grid, model);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(grid.columnWidth(2), 200);

    grid.selectRow(1);
    EXPECT_EQ(table.FieldByName("id").AsInteger(), 2);
    table.First();
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
}

} // namespace
