// The receipt printed after a save from the main window: always the saved announcement,
// whatever the search box hides, and a receipt that cannot be made is said, never passed
// over. Each report starts clean.
#include "app/uVornelta.h"
#include "desk/Desk.h"
#include "guisupport/DeskRows.h"
#include "guisupport/ExternalTools.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "intake/Receipt.h"
#include "reports/PeriodReport.h"
#include "reports/engine/Report.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using guisupport::control;

class ReceiptTest : public ::testing::Test {
protected:
    ReceiptTest() {
        guisupport::writeDesk(folder.path(), guisupport::kRows);
        installReceiptTemplate();
        desk = std::make_unique<TDesk>(ProgramFolder(folder.path()));
        desk->open();
        window = std::make_unique<TfVornelta>(*desk);
    }

    void installReceiptTemplate(const QByteArray& from = {}, const QByteArray& to = {}) {
        QFile source(QStringLiteral(VORNELTA_SOURCE_DIR "/resources/Отчеты/sprav.frf"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        QByteArray bytes = source.readAll();
        if (!from.isEmpty()) {
            ASSERT_TRUE(bytes.contains(from));
            bytes.replace(from, to);
        }
        guisupport::writeBytes(folder.file(QStringLiteral("Отчеты/sprav.frf")),
                               bytes.toStdString());
    }

    void search(const QString& text) { control<QLineEdit>(*window, "eTextForFind")->setText(text); }
    QStringList listedClients() const {
        QStringList clients;
        const QAbstractItemModel* model = control<QTableView>(*window, "RxDBGrid1")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            clients << model->index(r, 2).data().toString();
        return clients;
    }

    // The text of the report the desk shows, through a PDF.
    QString reportText() {
        const QString pdf = folder.file(QStringLiteral("report.pdf"));
        const Result written = desk->report().exportToPdf(pdf);
        EXPECT_TRUE(written) << written.error().toStdString();
        return guisupport::pdfText(pdf);
    }

    // The entry form gets the text, the categories the written rows lack and a run day,
    // and is saved.
    static void fillAndSave(QDialog& form, const QString& text) {
        for (auto [box, value] :
             {std::pair{"eClientCat", "ФИЗЛИЦА"}, {"eKateg", "ПРОЧЕЕ"}, {"eOplata", "НАЛИЧНЫЙ"}}) {
            auto* combo = control<QComboBox>(form, box);
            combo->setCurrentIndex(combo->findText(QString::fromUtf8(value)));
        }
        auto* dates = control<QListWidget>(form, "eDates");
        if (dates->count() == 0) dates->addItem(QStringLiteral("10.12.2026"));
        control<QTextEdit>(form, "eText")->setPlainText(text);
        control<QPushButton>(form, "BitBtn1")->click();
    }

    // The entry form, opened by the toolbar button, gets `client` (for a new one) and
    // `text` and is saved; the receipt's preview is read and closed.
    QString saveThroughTheForm(const char* button, const QString& client, const QString& text) {
        QString receipt;
        runner.next([&](QDialog& form) {
            if (!client.isEmpty()) control<QLineEdit>(form, "eClient")->setText(client);
            fillAndSave(form, text);
            return form.result();
        });
        runner.next([&](QDialog& preview) {
            receipt = reportText();
            preview.reject();
            return int(QDialog::Rejected);
        });
        control<QToolButton>(*window, button)->click();
        return receipt;
    }

    guisupport::TempFolder folder;
    guisupport::ScriptedDialogs dialogs;
    guisupport::InstallDialogs installDialogs{dialogs};
    guisupport::ScriptedModalRunner runner;
    guisupport::InstallModalRunner installRunner{runner};
    std::unique_ptr<TDesk> desk;
    std::unique_ptr<TfVornelta> window;
};

// The search shows ИВАНОВ, ООО СТРОЙ and СИДОРОВ; the saved text no longer matches it.
TEST_F(ReceiptTest, ShowsTheSavedAnnouncementThoughTheSearchHidesIt) {
    const struct {
        const char* what;
        const char* button;
        int current; // the list's row before the save
        QString client;
        QString expectedClient;
        QStringList listedAfter;
    } cases[] = {
        {"a new announcement",
         "SpeedButton1",
         1,
         QStringLiteral("НОВИКОВ"),
         QStringLiteral("НОВИКОВ"),
         {QStringLiteral("ИВАНОВ"), QStringLiteral("ООО СТРОЙ"), QStringLiteral("СИДОРОВ")}},
        {"a change",
         "SpeedButton2",
         3,
         {},
         QStringLiteral("ООО СТРОЙ"),
         {QStringLiteral("ИВАНОВ"), QStringLiteral("СИДОРОВ")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        search(QStringLiteral("кварт"));
        ASSERT_TRUE(desk->tData.Locate("id", {std::to_string(c.current)}));
        desk->followCurrentAnnouncement();
        const QString receipt =
            saveThroughTheForm(c.button, c.client, QStringLiteral("Продам дом"));
        EXPECT_TRUE(dialogs.errors().isEmpty()) << dialogs.errors().join(u'|').toStdString();
        EXPECT_TRUE(receipt.contains(c.expectedClient)) << receipt.toStdString();
        EXPECT_TRUE(receipt.contains(QStringLiteral("Продам дом"))) << receipt.toStdString();
        for (const QString& other : {QStringLiteral("ИВАНОВ"), QStringLiteral("СИДОРОВ")})
            EXPECT_FALSE(receipt.contains(other)) << receipt.toStdString();
        // The search is back on the list, which no longer shows the saved row.
        EXPECT_EQ(listedClients(), c.listedAfter);
        EXPECT_EQ(desk->announcementFilter(), AnnouncementFilter::Search);
        search(QString());
    }
}

// A template naming a field that data.d does not have: the announcement is saved and the
// receipt's failure is said, naming the field.
TEST_F(ReceiptTest, AFieldTheTemplateNamesButTheTableLacksIsReported) {
    installReceiptTemplate("[tData.Client]", "[tData.Klient]");
    const Result prepared = prepareReceipt(*desk, 2, {QStringLiteral("10.12.2026")});
    EXPECT_FALSE(prepared);
    EXPECT_TRUE(prepared.error().contains(QStringLiteral("Klient")))
        << prepared.error().toStdString();

    runner.next([](QDialog& form) {
        fillAndSave(form, QStringLiteral("Сдам гараж"));
        return form.result();
    });
    ASSERT_TRUE(desk->tData.Locate("id", {"2"}));
    control<QToolButton>(*window, "SpeedButton2")->click();
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors().front().contains(QStringLiteral("Klient")))
        << dialogs.errors().front().toStdString();
    EXPECT_EQ(runner.opened().size(), 1u) << "no preview of a receipt that failed";
}

// The period report after a receipt: its own report, without the receipt's dataset, so
// a placeholder of tData in its template is refused rather than filled from the receipt.
TEST_F(ReceiptTest, TheNextReportDoesNotSeeTheReceiptsDatasets) {
    ASSERT_TRUE(prepareReceipt(*desk, 2, {QStringLiteral("10.12.2026")}));
    EXPECT_TRUE(reportText().contains(QStringLiteral("ПЕТРОВА")));

    QFile reportTemplate(folder.file(QStringLiteral("Отчеты/reptotal.frf")));
    QFile::remove(reportTemplate.fileName());
    installReceiptTemplate(); // the receipt's template, with its tData placeholders
    ASSERT_TRUE(
        QFile::copy(folder.file(QStringLiteral("Отчеты/sprav.frf")), reportTemplate.fileName()));
    ReportValues values{{QStringLiteral("dates"), QStringLiteral("10.12.2026")}};
    const Result prepared = preparePeriodReport(*desk, values);
    const QString error = prepared.error();
    EXPECT_FALSE(prepared);
    EXPECT_TRUE(error.contains(QStringLiteral("tData"))) << error.toStdString();
}

} // namespace
