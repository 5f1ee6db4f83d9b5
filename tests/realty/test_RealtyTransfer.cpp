// The realty transfer file as the realty program reads it: which rows, in which order,
// with which fields; the state the desk is left in after a good and after a failed write;
// the window 'Вывод в "Квартеон"' and the command --export-realty.
#include "reports/PeriodTestData.h"

#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "platform/ErrorGuard.h"
#include "platform/TextCodec.h"
#include "realty/RealtyTransfer.h"
#include "realty/uRieltOut.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using namespace periodtest;

struct TransferRow {
    int date;
    std::string vid, tip, text;
    bool operator==(const TransferRow&) const = default;
};

void PrintTo(const TransferRow& r, std::ostream* os) {
    *os << r.date << " " << r.tip << " " << r.vid;
}

class RealtyTransferTest : public DeskFixture {
protected:
    void SetUp() override {
        DeskFixture::SetUp();
        ASSERT_TRUE(QDir().mkpath(driveA()));
        // In the order of classification; the fourth was classified last with an earlier date.
        for (const RealtyRow& r : rows)
            addRealtyRow(*desk, r);
    }

    QString driveA() const { return folder.file(QStringLiteral("A")); }
    QString transferPath() const { return QDir(driveA()).filePath(QStringLiteral("transfer.d")); }

    // The transfer file read back through the engine, with its field list.
    std::vector<TransferRow> readTransfer(std::vector<std::string>* fieldNames = nullptr) {
        dorod::TDorodTable table;
        table.SetTableName(QFile::encodeName(transferPath()).toStdString());
        table.Open();
        if (fieldNames)
            for (int i = 0; i < table.FieldCount(); ++i)
                fieldNames->push_back(table.Field(i).FieldName());
        EXPECT_EQ(table.FieldByName("date").DataType(), dorod::TFieldType::ftDateTime);
        std::vector<TransferRow> out;
        for (table.First(); !table.Eof(); table.Next())
            out.push_back({table.FieldByName("date").AsDayNumber(),
                           table.FieldByName("vid").AsString(), table.FieldByName("tip").AsString(),
                           table.FieldByName("text").AsString()});
        return out;
    }

    TransferRow expected(int index) const {
        const RealtyRow& r = rows[size_t(index)];
        return {r.date, guisupport::cp1251(r.vid), guisupport::cp1251(r.tip),
                guisupport::cp1251(r.text)};
    }

    void expectSettled() {
        EXPECT_FALSE(desk->tRielt.Filtered());
        EXPECT_EQ(desk->tRielt.RecordCount(), int(rows.size()));
        EXPECT_EQ(desk->tRieltOut.RecordCount(), 0);
    }

    const std::vector<RealtyRow> rows{
        {day(2026, 12, 1), QStringLiteral("СДАМ"), QStringLiteral("ОДНОКОМНАТНАЯ"),
         QStringLiteral("Сдам квартиру\r\nна длительный срок")},
        {day(2026, 12, 5), QStringLiteral("ПРОДАМ"), QStringLiteral(""),
         QStringLiteral("продам КВАРТИРУ")},
        {day(2026, 12, 10), QStringLiteral("ОБМЕН"), QStringLiteral("ЧЕТЫРЕХКОМНАТНАЯ"),
         QStringLiteral("Обмен квартиры")},
        {day(2026, 12, 3), QStringLiteral(""), QStringLiteral("ДВУХКОМНАТНАЯ"),
         QStringLiteral("Куплю квартиру")},
        {day(2026, 11, 30), QStringLiteral("КУПЛЮ"), QStringLiteral("ТРЕХКОМНАТНАЯ"),
         QStringLiteral("до интервала")},
    };
};

TEST_F(RealtyTransferTest, WritesTheIntervalsRowsInClassificationOrderBothEndsIncluded) {
    const TransferResult result = exportRealty(*desk, day(2026, 12, 1), day(2026, 12, 10));
    EXPECT_EQ(result.path, transferPath());
    EXPECT_EQ(result.rows, 4);
    std::vector<std::string> fields;
    EXPECT_EQ(readTransfer(&fields),
              (std::vector<TransferRow>{expected(0), expected(1), expected(2), expected(3)}));
    EXPECT_EQ(fields, (std::vector<std::string>{"date", "vid", "tip", "text"}));
    expectSettled();
}

TEST_F(RealtyTransferTest, IntervalsWithoutRowsWriteAnEmptyFile) {
    struct Case {
        const char* name;
        int from, to;
    };
    for (const Case& c : {Case{"reversed", day(2026, 12, 10), day(2026, 12, 1)},
                          Case{"no rows", day(2027, 1, 1), day(2027, 1, 31)}}) {
        SCOPED_TRACE(c.name);
        exportRealty(*desk, day(2026, 12, 1), day(2026, 12, 10)); // an older file to replace
        EXPECT_EQ(exportRealty(*desk, c.from, c.to).rows, 0);
        EXPECT_TRUE(readTransfer().empty());
        expectSettled();
    }
}

TEST_F(RealtyTransferTest, OneDayAndTheSameIntervalTwice) {
    exportRealty(*desk, day(2026, 12, 5), day(2026, 12, 5));
    EXPECT_EQ(readTransfer(), std::vector<TransferRow>{expected(1)});

    exportRealty(*desk, day(2026, 11, 1), day(2026, 12, 31));
    const std::string first = guisupport::readBytes(transferPath());
    exportRealty(*desk, day(2026, 11, 1), day(2026, 12, 31));
    EXPECT_EQ(guisupport::readBytes(transferPath()), first);
    EXPECT_EQ(readTransfer().size(), rows.size());
}

TEST_F(RealtyTransferTest, MissingDriveFolderIsReportedAndTheNextExportWritesOnlyItsRows) {
    ASSERT_TRUE(QDir(driveA()).removeRecursively());
    try {
        exportRealty(*desk, day(2026, 12, 1), day(2026, 12, 10));
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        const QString message = QString::fromUtf8(e.what());
        EXPECT_TRUE(message.contains(QStringLiteral("A:"))) << e.what();
        EXPECT_TRUE(message.contains(QStringLiteral("transfer.d"))) << e.what();
    }
    EXPECT_FALSE(QFile::exists(transferPath()));
    expectSettled();

    ASSERT_TRUE(QDir().mkpath(driveA()));
    exportRealty(*desk, day(2026, 12, 5), day(2026, 12, 5));
    EXPECT_EQ(readTransfer(), std::vector<TransferRow>{expected(1)});
}

TEST_F(RealtyTransferTest, FailedWriteLeavesNoHalfFileAndNoCopiedRowsBehind) {
    // A folder where the file goes: the write fails after the rows were copied.
    ASSERT_TRUE(QDir().mkpath(transferPath()));
    try {
        exportRealty(*desk, day(2026, 12, 1), day(2026, 12, 10));
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(
            QStringLiteral("Файл %1 не записан: ").arg(QDir::toNativeSeparators(transferPath()))))
            << e.what();
    }
    expectSettled();
    EXPECT_TRUE(QDir(driveA()).entryList(QDir::Files).isEmpty()) << "a half-written file was left";

    ASSERT_TRUE(QDir(transferPath()).removeRecursively());
    exportRealty(*desk, day(2026, 12, 3), day(2026, 12, 3));
    EXPECT_EQ(readTransfer(), std::vector<TransferRow>{expected(3)});
}

TEST_F(RealtyTransferTest, ThePendingRowOfRieltIsPostedAndExported) {
    desk->tRielt.Append();
    desk->tRielt.FieldByName("date").SetAsDayNumber(day(2026, 12, 7));
    desk->tRielt.FieldByName("text").SetAsString("x");
    EXPECT_EQ(exportRealty(*desk, day(2026, 12, 7), day(2026, 12, 7)).rows, 1);
}

// ------------------------------------------------------------------- the window

TEST_F(RealtyTransferTest, WindowStartsOnTodayExportsAndCloses) {
    const QDate today(2026, 12, 9);
    desk->setClock([today] { return today; });
    TfRieltOut window(*desk, nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Вывод в \"Квартеон\""));
    EXPECT_EQ(guisupport::control<QDateEdit>(window, "DateFrom")->date(), today);
    EXPECT_EQ(guisupport::control<QDateEdit>(window, "DateTo")->date(), today);
    EXPECT_EQ(guisupport::control<QLabel>(window, "Label3")->text(),
              QStringLiteral("Вывод в программу \"Квартеон\""));
    EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text(),
              QStringLiteral("Вывести"));

    guisupport::control<QDateEdit>(window, "DateFrom")->setDate(QDate(2026, 12, 3));
    guisupport::control<QDateEdit>(window, "DateTo")->setDate(QDate(2026, 12, 5));
    guisupport::control<QPushButton>(window, "BitBtn1")->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(readTransfer(), (std::vector<TransferRow>{expected(1), expected(3)}));
    expectSettled();
}

TEST_F(RealtyTransferTest, WindowShowsAFailureAndStaysOpen) {
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installed(dialogs);
    ASSERT_TRUE(QDir(driveA()).removeRecursively());
    desk->setClock([] { return QDate(2026, 12, 5); });
    TfRieltOut window(*desk, nullptr);
    window.setResult(-1);
    guisupport::control<QPushButton>(window, "BitBtn1")->click();
    EXPECT_EQ(window.result(), -1) << "the window closed";
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains(QStringLiteral("A:")));
    expectSettled();

    guisupport::control<QPushButton>(window, "BitBtn2")->click();
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(transferPath()));
}

// ------------------------------------------------------------------- the command

// The command as the command line runs it: behind its one guard.
int exportRealtyCommand(TDesk& desk, int32_t from, int32_t to, QTextStream& out, QTextStream& err) {
    return runCommandGuarded(err, [&] { return runExportRealty(desk, from, to, out, err); });
}

TEST_F(RealtyTransferTest, CommandPrintsPathAndCountOrFails) {
    QString outText, errText;
    {
        QTextStream out(&outText), err(&errText);
        EXPECT_EQ(exportRealtyCommand(*desk, day(2026, 12, 1), day(2026, 12, 5), out, err), 0);
    }
    EXPECT_EQ(outText, QDir::toNativeSeparators(transferPath()) + QStringLiteral("\t3\n"));
    EXPECT_TRUE(errText.isEmpty());

    ASSERT_TRUE(QDir(driveA()).removeRecursively());
    outText.clear();
    {
        QTextStream out(&outText), err(&errText);
        EXPECT_EQ(exportRealtyCommand(*desk, day(2026, 12, 1), day(2026, 12, 5), out, err), 1);
    }
    EXPECT_TRUE(outText.isEmpty());
    EXPECT_TRUE(errText.contains(QStringLiteral("transfer.d")));
}

} // namespace
