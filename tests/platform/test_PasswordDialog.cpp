// The "Login password" dialog and the prompt that opens enciphered tables with it.
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedModalRunner.h"
#include "platform/PasswordDialog.h"
#include "storage/DataSet.h"
#include "storage/DorodDatabase.h"
#include "storage/DorodTable.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

using namespace vornelta;
using guisupport::cp1251;
using guisupport::ScriptedModalRunner;
using guisupport::typeText;

namespace {

TEST(PasswordDialog, Layout) {
    PasswordDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Login password"));
    EXPECT_EQ(dialog.size(), QSize(205, 116));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.label()->text(), QStringLiteral("Enter password:"));
    EXPECT_EQ(dialog.label()->geometry(), QRect(18, 7, 170, 28));
    EXPECT_TRUE(dialog.label()->wordWrap());
    EXPECT_EQ(dialog.edit()->geometry().topLeft(), QPoint(18, 45));
    EXPECT_EQ(dialog.edit()->width(), 170);
    EXPECT_EQ(dialog.edit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.edit()->maxLength(), 255);
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.okButton()->geometry(), QRect(18, 77, 75, 25));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog.cancelButton()->geometry(), QRect(113, 77, 75, 25));
    const QPoint offCentre =
        dialog.geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2);
}

TEST(PasswordDialog, EnterConfirmsAndEscapeCancels) {
    const std::tuple<const char*, std::function<void(PasswordDialog&)>, int> cases[] = {
        {"OK", [](PasswordDialog& d) { d.okButton()->click(); }, QDialog::Accepted},
        {"Cancel", [](PasswordDialog& d) { d.cancelButton()->click(); }, QDialog::Rejected},
        {"Enter", [](PasswordDialog& d) { QTest::keyClick(d.edit(), Qt::Key_Return); },
         QDialog::Accepted},
        {"Escape", [](PasswordDialog& d) { QTest::keyClick(d.edit(), Qt::Key_Escape); },
         QDialog::Rejected},
    };
    for (const auto& [name, act, result] : cases) {
        SCOPED_TRACE(name);
        PasswordDialog dialog;
        dialog.show();
        dialog.setResult(-1);
        act(dialog);
        EXPECT_EQ(dialog.result(), result);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(PasswordDialog, OnlyCharactersOfTheCodePageCanBeTyped) {
    PasswordDialog dialog;
    dialog.show();
    typeText(dialog.edit(), QStringLiteral("пΩароль€"));
    EXPECT_EQ(dialog.password(), QStringLiteral("пароль€"));
}

class PasswordPromptTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSession();
        installPasswordPrompt();
        // A one-record table enciphered with the password, which the session then forgets.
        dorod::TDorodTable table;
        table.FieldDefs = {{"Text", dorod::TFieldType::ftString, 60}};
        table.Open();
        table.Insert();
        table.FieldByName("Text").SetAsString(cp1251(QStringLiteral("СДАМ КВАРТИРУ")));
        table.Post();
        table.SetPassword(cp1251(kPassword));
        table.SaveToFile(path.toStdString());
        table.Close();
        dorod::TDorodSession::Instance().ClearPasswords();
    }
    void TearDown() override { resetSession(); }

    static void resetSession() {
        dorod::TDorodSession& s = dorod::TDorodSession::Instance();
        s.ClearPasswords();
        s.BuiltInPasswordPrompt = nullptr;
        s.OnShowMessage = nullptr;
    }

    // The text of the table's record, or the engine's message.
    QString openTable() {
        dorod::TDorodTable table;
        table.SetTableName(path.toStdString());
        try {
            table.Open();
            return toQt(table.FieldByName("Text").AsString());
        } catch (const dorod::EDatabaseError& e) {
            return toQt(e.what());
        }
    }

    static ScriptedModalRunner::Driver typeAndConfirm(const QString& text) {
        return [text](QDialog& d) {
            auto& dialog = dynamic_cast<PasswordDialog&>(d);
            typeText(dialog.edit(), text);
            dialog.okButton()->click();
            return dialog.result();
        };
    }

    const QString kPassword = QStringLiteral("Секрет");
    guisupport::TempFolder folder;
    QString path = folder.file(QStringLiteral("rielt.d"));
    ScriptedModalRunner runner;
    guisupport::InstallModalRunner installed{runner};
};

TEST_F(PasswordPromptTest, TypedPasswordOpensTheTableAndIsNotAskedAgain) {
    runner.next(typeAndConfirm(kPassword));
    EXPECT_EQ(openTable(), QStringLiteral("СДАМ КВАРТИРУ"));
    EXPECT_EQ(openTable(), QStringLiteral("СДАМ КВАРТИРУ")); // a second dialog would fail the test
    ASSERT_EQ(runner.opened().size(), 1u);
    EXPECT_EQ(runner.opened()[0].className, QStringLiteral("vornelta::PasswordDialog"));
}

TEST_F(PasswordPromptTest, CancelLeavesTheTableClosed) {
    runner.next([](QDialog& d) {
        dynamic_cast<PasswordDialog&>(d).cancelButton()->click();
        return d.result();
    });
    EXPECT_EQ(openTable(),
              QStringLiteral("Error opening table: Invalid password. Table cannot be open"));
}

TEST_F(PasswordPromptTest, WrongAttemptIsOfferedAgainAllSelected) {
    QStringList messages;
    dorod::TDorodSession::Instance().OnShowMessage = [&](const std::string& m) {
        messages << toQt(m);
    };
    QString offered, selected;
    runner.next(typeAndConfirm(QStringLiteral("секрет!")));
    runner.next([&](QDialog& d) {
        offered = dynamic_cast<PasswordDialog&>(d).password();
        selected = dynamic_cast<PasswordDialog&>(d).edit()->selectedText();
        return typeAndConfirm(kPassword)(d); // typing replaces the selection
    });
    EXPECT_EQ(openTable(), QStringLiteral("СДАМ КВАРТИРУ"));
    EXPECT_EQ(offered, QStringLiteral("секрет!"));
    EXPECT_EQ(selected, offered);
    EXPECT_EQ(messages, QStringList{QStringLiteral("Password is invalid. Try again")});
}

} // namespace
