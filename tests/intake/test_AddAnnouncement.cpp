// Announcements from outside as a web form's robot sends them: the same row as the entry
// form saves for the same input, every refusal with the form's words and nothing written,
// standard input and the receipt through the real program, the realty row, and the wait
// for a folder lock another desk holds.
#include "IntakeFixture.h"
#include "guisupport/ExternalTools.h"

#include "app/CommandLine.h"
#include "intake/uDetal.h"
#include "platform/FolderLock.h"
#include "tables/defs/TableDefinitions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>

#include <chrono>

using namespace intaketest;

namespace {

struct CommandRun {
    int code = -1;
    QString out, err;
};

// The tables a refused announcement must leave byte for byte.
struct TableBytes {
    std::string data, dates, rielt;
    bool operator==(const TableBytes&) const = default;
};

class AddAnnouncementTest : public IntakeTest {
protected:
    void SetUp() override {
        start(knownClients());
        desk->settings.WordPrice = 2.5;
        desk->settings.PricePovtor = 10;
        ASSERT_TRUE(desk->saveSettings());
    }

    QString writeJson(const QByteArray& json) {
        const QString path = folder.file(QStringLiteral("in.json"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(json);
        return path;
    }

    CommandRun run(const QStringList& arguments,
                   std::chrono::milliseconds lockWait = std::chrono::seconds(10)) {
        CommandEnvironment environment;
        environment.executableFolder = QStringLiteral("/nonexistent");
        environment.lockWait = lockWait;
        CommandRun r;
        QTextStream out(&r.out), err(&r.err);
        const std::optional<int> code = runWithoutWindow(
            QStringList{"--folder", folder.path()} + arguments, environment, out, err);
        r.code = code.value_or(-1);
        return r;
    }

    CommandRun add(const QByteArray& json) { return run({"--add-announcement", writeJson(json)}); }

    int indateOf(int id) const {
        dorod::TDorodTable table;
        table.SetTableName(fromQt(folder.file(QStringLiteral("data.d"))));
        table.Open();
        for (table.First(); !table.Eof(); table.Next())
            if (table.FieldByName("id").AsInteger() == id)
                return table.FieldByName("indate").AsDayNumber();
        return 0;
    }

    TableBytes tables() const {
        return {guisupport::readBytes(folder.file(q("data.d"))),
                guisupport::readBytes(folder.file(q("dates.d"))),
                guisupport::readBytes(folder.file(q("rielt.d")))};
    }

    std::map<std::string, std::string> rowOf(int id) const {
        for (const auto& row : rowsOf("data.d"))
            if (row.at("id") == std::to_string(id)) return row;
        ADD_FAILURE() << "no row " << id;
        return {};
    }
};

// A good announcement: every member the robot sends.
QJsonObject goodAnnouncement() {
    return QJsonObject{{"Client", q("новый клиент")},
                       {"Pasport", q("4509 123456")},
                       {"Tel", "22-33-44"},
                       {"ClientCat", q("ФИЗЛИЦА")},
                       {"Oplata", q("БЕЗНАЛИЧНЫЙ")},
                       {"ObjCat", q("ПРОЧЕЕ")},
                       {"Text", q("Продам гараж у дома")},
                       {"povt", true},
                       {"indate", "2026-12-09"},
                       {"dates", QJsonArray{"2026-12-11", "12.12.2026"}}};
}

QByteArray json(const QJsonObject& object) {
    return QJsonDocument(object).toJson();
}

QJsonObject with(QJsonObject object, const QString& name, const QJsonValue& value) {
    if (value.isUndefined())
        object.remove(name);
    else
        object[name] = value;
    return object;
}

TEST_F(AddAnnouncementTest, SavesTheRowTheEntryFormSavesForTheSameInput) {
    // The operator types the same announcement in the form (number 6).
    {
        TfDetal form(*desk, nullptr, true);
        form.findChild<QLineEdit*>("eClient")->setText(q("НОВЫЙ КЛИЕНТ"));
        form.findChild<QLineEdit*>("ePasp")->setText(q("4509 123456"));
        form.findChild<QLineEdit*>("eTel")->setText("22-33-44");
        const auto choose = [&](const char* box, const char* value) {
            auto* combo = form.findChild<QComboBox*>(box);
            combo->setCurrentIndex(combo->findText(q(value)));
        };
        guisupport::typeText(form.findChild<TOneLineTextEdit*>("eText"), q("Продам гараж у дома"));
        choose("eClientCat", "ФИЗЛИЦА");
        choose("eOplata", "БЕЗНАЛИЧНЫЙ");
        choose("eKateg", "ПРОЧЕЕ");
        form.findChild<QCheckBox*>("ePovt")->setChecked(true);
        form.findChild<QListWidget*>("eDates")->addItems({q("11.12.2026"), q("12.12.2026")});
        form.Rasch();
        form.findChild<QPushButton*>("BitBtn1")->click();
        ASSERT_TRUE(form.saved()) << dialogs.errors().join('|').toStdString();
    }
    desk.reset();

    // The robot sends it (number 7).
    const CommandRun r = add(json(goodAnnouncement()));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, q("7\t25,00\n")); // 2 days × 3 words × 2.5 + 10
    EXPECT_TRUE(r.err.isEmpty());

    std::map<std::string, std::string> byForm = rowOf(6), byCommand = rowOf(7);
    byForm.erase("id");
    byCommand.erase("id");
    EXPECT_EQ(byCommand, byForm);
    EXPECT_EQ(byCommand.at("Summa"), "25");
    EXPECT_EQ(byCommand.at("slov"), "3");
    EXPECT_EQ(byCommand.at("XML"), fromQt(q("<<16777215>>\r\nПродам гараж у дома")));
    EXPECT_EQ(runDaysInFile(7), runDaysInFile(6));
    EXPECT_EQ(runDaysInFile(7), (std::vector<int>{day(2026, 12, 11), day(2026, 12, 12)}));
}

TEST_F(AddAnnouncementTest, RefusedInputSaysWhyAndWritesNothing) {
    struct Case {
        const char* what;
        QByteArray json;
        QString message; // the whole of standard error
    };
    const QString tooLong(kTextWidth + 1, QLatin1Char('x'));
    const Case cases[] = {
        {"no JSON", "{\"Client\": ", {}},
        {"no object", "[1, 2]", q("Объявление не прочитано: ожидается один объект JSON")},
        {"a misspelt member", json(with(goodAnnouncement(), "Klient", "X")),
         q("Объявление не прочитано: неизвестное поле «Klient»")},
        {"povt not a switch", json(with(goodAnnouncement(), "povt", "да")),
         q("Объявление не прочитано: поле «povt» должно быть true или false")},
        {"no client", json(with(goodAnnouncement(), "Client", QJsonValue::Undefined)),
         q("Не введен клиент")},
        {"an unknown client category", json(with(goodAnnouncement(), "ClientCat", q("ФИЗ"))),
         q("Не введена категория клиента: «ФИЗ» нет в списке")},
        {"no subject category", json(with(goodAnnouncement(), "ObjCat", QJsonValue::Undefined)),
         q("Не введена классификация объявления")},
        {"no payment", json(with(goodAnnouncement(), "Oplata", "")), q("Не введен cпособ оплаты")},
        {"no dates", json(with(goodAnnouncement(), "dates", QJsonArray{})),
         q("Не введены даты выхода !")},
        {"a date that does not read",
         json(with(goodAnnouncement(), "dates", QJsonArray{"2026-12-11", "2026-02-30"})),
         q("Дата «2026-02-30» не читается.")},
        {"a text too long", json(with(goodAnnouncement(), "Text", tooLong)),
         q("Объявление не сохранено: поле «Текст объявления» (Text) вмещает %1 знаков, а "
           "введено %2. Сократите его.")
             .arg(kTextWidth)
             .arg(kTextWidth + 1)},
        {"a character Windows-1251 lacks",
         json(with(goodAnnouncement(), "Text", q("Гараж ☺"))),
         {}},
        {"a realty value not in the lists",
         json(with(with(goodAnnouncement(), "Text", q("Сдам квартиру")), "realty",
                   QJsonObject{{"tip", q("СДАМ")}, {"vid", q("ПЯТИКОМНАТНАЯ")}})),
         {}},
        {"realty for a text not about flats",
         json(with(goodAnnouncement(), "realty", QJsonObject{{"tip", q("СДАМ")}})),
         {}},
    };
    const TableBytes before = tables();
    for (const Case& c : cases) {
        const CommandRun r = add(c.json);
        EXPECT_EQ(r.code, 1) << c.what;
        EXPECT_TRUE(r.out.isEmpty()) << c.what;
        EXPECT_TRUE(r.err.endsWith('\n') && r.err.count('\n') == 1) << c.what;
        if (!c.message.isEmpty())
            EXPECT_EQ(r.err, c.message + '\n') << c.what;
        else
            EXPECT_FALSE(r.err.trimmed().isEmpty()) << c.what;
        EXPECT_TRUE(tables() == before) << c.what;
    }

    // Usage errors: exit 2, nothing read.
    for (const QStringList& arguments :
         {QStringList{"--add-announcement"}, QStringList{"--add-announcement", "", "--pdf", "x"},
          QStringList{"--add-announcement", writeJson(json(goodAnnouncement())), "--pdf", ""}}) {
        const CommandRun r = run(arguments);
        EXPECT_EQ(r.code, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(tables() == before);
    }
    // A file that is not there.
    const CommandRun missing = run({"--add-announcement", folder.file("none.json")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("none.json"));
    EXPECT_TRUE(tables() == before);
}

TEST_F(AddAnnouncementTest, AFlatTextIsClassifiedOnlyWhenTheJsonSaysHow) {
    desk.reset();
    const QJsonObject flat =
        with(with(goodAnnouncement(), "Text", q("Сдам 2-х комнатную квартиру")), "ObjCat",
             QJsonValue::Undefined);
    const std::string rieltBefore = tables().rielt;
    CommandRun r = add(json(flat));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(tables().rielt, rieltBefore); // saved unclassified
    // The category the form picks for the text.
    EXPECT_EQ(rowOf(6).at("ObjCat"), fromQt(q("НЕДВИЖИМОСТЬ")));

    r = add(
        json(with(flat, "realty", QJsonObject{{"tip", q("СДАМ")}, {"vid", q("ДВУХКОМНАТНАЯ")}})));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("7\t"));
    const auto realty = rowsOf("rielt.d");
    ASSERT_EQ(realty.size(), 1u);
    EXPECT_EQ(realty[0].at("tip"), fromQt(q("СДАМ")));
    EXPECT_EQ(realty[0].at("vid"), fromQt(q("ДВУХКОМНАТНАЯ")));
    EXPECT_EQ(realty[0].at("text"), fromQt(q("Сдам 2-х комнатную квартиру")));
    EXPECT_EQ(realty[0].at("date"), rowOf(7).at("indate"));
}

TEST_F(AddAnnouncementTest, StandardInputAndTheReceiptThroughTheProgram) {
    desk.reset();
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORNELTA_SOURCE_DIR) + q("/resources/Отчеты/sprav.frf"),
                            folder.file(q("Отчеты/sprav.frf"))) ||
                QFile::exists(folder.file(q("Отчеты/sprav.frf"))));
    const QString pdf = folder.file("receipt.pdf");
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "ru_RU.UTF-8");
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(VORNELTA_EXECUTABLE),
                  {"--folder", folder.path(), "--add-announcement", "-", "--pdf", pdf});
    ASSERT_TRUE(program.waitForStarted());
    program.write(json(with(goodAnnouncement(), "indate", QJsonValue::Undefined)));
    program.closeWriteChannel();
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()), q("6\t25,00\n"));
    EXPECT_EQ(indateOf(6), dayNumberOf(QDate::currentDate())); // today when not given

    const QString receipt = guisupport::pdfText(pdf);
    EXPECT_TRUE(receipt.contains(q("НОВЫЙ КЛИЕНТ"))) << receipt.toStdString();
    EXPECT_TRUE(receipt.contains(q("11.12.2026,12.12.2026"))) << receipt.toStdString();
}

// Saved, but no receipt (its template is gone): the number is printed and the message
// says the announcement stands, so that the sender does not send it again.
TEST_F(AddAnnouncementTest, AReceiptThatCannotBeMadeLeavesTheAnnouncementSavedAndSaysSo) {
    desk.reset();
    QFile::remove(folder.file(q("Отчеты/sprav.frf")));
    const CommandRun r = run({"--add-announcement", writeJson(json(goodAnnouncement())), "--pdf",
                              folder.file("receipt.pdf")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.startsWith(q("6\t"))) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(q("объявление сохранено"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(folder.file("receipt.pdf")));
    EXPECT_NE(indateOf(6), 0);
}

TEST_F(AddAnnouncementTest, AFolderHeldByAnotherDeskIsRefusedAfterTheWait) {
    desk.reset();
    const TableBytes before = tables();
    FolderLock window{ProgramFolder(folder.path())};
    ASSERT_TRUE(window.lock());
    const auto started = std::chrono::steady_clock::now();
    const CommandRun r = run({"--add-announcement", writeJson(json(goodAnnouncement()))},
                             std::chrono::milliseconds(300));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(q("Программа уже открыта на этой папке"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(tables() == before);
}

} // namespace
