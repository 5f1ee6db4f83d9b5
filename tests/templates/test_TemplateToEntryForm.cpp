// A template filled from the entry form: "Шаблоны" and "==name" + Enter replace the
// form's text with the filled one, and the form counts the words of the new text.
#include "templates/TemplateDialogs.h"

#include "desk/Desk.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "intake/TemplateCalls.h"
#include "intake/WordCount.h"
#include "intake/uDetal.h"
#include "templates/uTempSele.h"
#include "templates/uTempStore.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using guisupport::cp1251;
using guisupport::InstallDialogs;
using guisupport::InstallModalRunner;
using guisupport::ScriptedDialogs;
using guisupport::ScriptedModalRunner;
using guisupport::TempFolder;

const QString kFilled = QStringLiteral("Продам двухкомнатную квартиру, цена 900000. Тел. 223344");

class TemplateToEntryFormTest : public ::testing::Test {
protected:
    TemplateToEntryFormTest() {
        QDir().mkpath(folder.file(QStringLiteral("Шаблоны")));
        guisupport::writeBytes(
            folder.file(QStringLiteral("Шаблоны/Квартира.txt")),
            cp1251(QStringLiteral(
                "Продам <<Комнат>>комнатную квартиру, цена <<Цена>>. Тел. <<Телефон>>\r\n")));
        desk.open();
        setTemplateCalls({chooseAndFillTemplate, fillNamedTemplate});
    }
    ~TemplateToEntryFormTest() override { setTemplateCalls({}); }

    // The fill dialog's driver: three values, then "Внести".
    static int fillAndEnter(QDialog& d) {
        auto& store = dynamic_cast<TfTempStore&>(d);
        guisupport::control<QLineEdit>(store, "e1")->setText(QStringLiteral("двух"));
        guisupport::control<QLineEdit>(store, "e2")->setText(QStringLiteral("900000"));
        guisupport::control<QLineEdit>(store, "e3")->setText(QStringLiteral("223344"));
        guisupport::control<QPushButton>(store, "BitBtn1")->click();
        return d.result();
    }

    TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
    ScriptedDialogs dialogs;
    InstallDialogs installDialogs{dialogs};
    ScriptedModalRunner runner;
    InstallModalRunner installRunner{runner};
};

TEST_F(TemplateToEntryFormTest, TheTemplateListFillsTheTextAndTheWordsAreCounted) {
    runner.next([&](QDialog& d) {
        auto& form = dynamic_cast<TfDetal&>(d);
        EXPECT_EQ(form.wordCount(), 0);
        guisupport::control<QToolButton>(form, "SpeedButton1")->click();
        EXPECT_EQ(guisupport::control<TOneLineTextEdit>(form, "eText")->toPlainText(), kFilled);
        EXPECT_EQ(form.wordCount(), countWords(kFilled));
        EXPECT_GT(form.wordCount(), 0);
        return QDialog::Rejected; // "Закрыть": nothing saved
    });
    runner.next([&](QDialog& d) {
        auto& list = dynamic_cast<TfTEmpSele&>(d);
        guisupport::control<QListWidget>(list, "FileListBox1")->item(0)->setSelected(true);
        list.FileListBox1DblClick();
        return d.result();
    });
    runner.next(fillAndEnter);
    runAnnouncementForm(desk, nullptr, true);
    EXPECT_EQ(runner.openedTitles(),
              (QStringList{QStringLiteral("Объявление"), QStringLiteral("Шаблоны"),
                           QStringLiteral("Заполнение шаблона")}));
}

TEST_F(TemplateToEntryFormTest, TheQuickCallFillsANamedTemplateAndIgnoresAMissingOne) {
    runner.next([&](QDialog& d) {
        auto& form = dynamic_cast<TfDetal&>(d);
        guisupport::control<TOneLineTextEdit>(form, "eText")
            ->setPlainText(QStringLiteral("==Нет такого"));
        form.eTextKeyPress();
        EXPECT_EQ(guisupport::control<TOneLineTextEdit>(form, "eText")->toPlainText(),
                  QStringLiteral("==Нет такого"));

        guisupport::control<TOneLineTextEdit>(form, "eText")
            ->setPlainText(QStringLiteral("==Квартира"));
        form.eTextKeyPress();
        EXPECT_EQ(guisupport::control<TOneLineTextEdit>(form, "eText")->toPlainText(), kFilled);
        EXPECT_EQ(form.wordCount(), countWords(kFilled));
        return QDialog::Rejected;
    });
    runner.next(fillAndEnter);
    runAnnouncementForm(desk, nullptr, true);
    EXPECT_EQ(runner.openedTitles(),
              (QStringList{QStringLiteral("Объявление"), QStringLiteral("Заполнение шаблона")}));
}

} // namespace
