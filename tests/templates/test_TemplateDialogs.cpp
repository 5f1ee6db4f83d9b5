// The template dialogs as the operator uses them from the entry form: the list of every
// file in "Шаблоны", choosing one by double click and filling it, creating (also over an
// existing name), refusing names that leave the folder, editing with CR LF kept, deleting
// answered both ways, and a file that disappears behind the list.
#include "templates/TemplateDialogs.h"

#include "desk/Desk.h"
#include "guisupport/GuiHelpers.h"
#include "guisupport/ScriptedDialogs.h"
#include "guisupport/ScriptedModalRunner.h"
#include "templates/TemplateFields.h"
#include "templates/uFileName.h"
#include "templates/uTempEditor.h"
#include "templates/uTempSele.h"
#include "templates/uTempStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using guisupport::cp1251;
using guisupport::InstallDialogs;
using guisupport::InstallModalRunner;
using guisupport::readBytes;
using guisupport::ScriptedDialogs;
using guisupport::ScriptedModalRunner;
using guisupport::TempFolder;
using guisupport::writeBytes;

const QString kFlat =
    QStringLiteral("Продам <<Комнат>>комнатную квартиру, цена <<Цена>>. Тел. <<Телефон>>");

class TemplateDialogsTest : public ::testing::Test {
protected:
    TemplateDialogsTest() {
        QDir().mkpath(templates());
        put(QStringLiteral("Квартира.txt"), kFlat + QStringLiteral("\r\nвторая строка\r\n"));
        put(QStringLiteral("Услуги.tpl"), QStringLiteral("Ремонт <<Что>> на дому\r\n"));
        put(QStringLiteral("Без полей.txt"), QStringLiteral("Ремонт обуви. Тел. 11-22-33\r\n"));
    }

    QString templates() const { return folder.file(QStringLiteral("Шаблоны")); }
    QString file(const QString& name) const { return templates() + QLatin1Char('/') + name; }
    void put(const QString& name, const QString& text) { writeBytes(file(name), cp1251(text)); }

    static QStringList listed(QDialog& d) {
        QStringList names;
        auto* list = d.findChild<QListWidget*>(QStringLiteral("FileListBox1"));
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    static void select(QDialog& d, const QString& name) {
        auto* list = d.findChild<QListWidget*>(QStringLiteral("FileListBox1"));
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        items.first()->setSelected(true);
    }
    static QPushButton* button(QDialog& d, const char* name) {
        return d.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static TfTempStore& store(QDialog& d) { return dynamic_cast<TfTempStore&>(d); }
    // The labels of the offered fields, in order.
    static QStringList offered(TfTempStore& d) {
        QStringList names;
        for (int i = 1; i <= kMaxTemplateFields; ++i) {
            const QByteArray number = QByteArray::number(i);
            const auto* label = guisupport::control<QLabel>(d, ("l" + number).constData());
            const auto* box = guisupport::control<QLineEdit>(d, ("e" + number).constData());
            EXPECT_EQ(label->isVisibleTo(&d), box->isVisibleTo(&d));
            if (box->isVisibleTo(&d)) names << label->text();
        }
        return names;
    }

    TempFolder folder;
    TDesk desk{ProgramFolder(folder.path())};
    ScriptedDialogs dialogs;
    InstallDialogs installDialogs{dialogs};
    ScriptedModalRunner runner;
    InstallModalRunner installRunner{runner};
};

TEST_F(TemplateDialogsTest, ADoubleClickedTemplateIsFilledIntoTheAnnouncement) {
    runner.next([&](QDialog& d) {
        EXPECT_EQ(listed(d),
                  (QStringList{QStringLiteral("Без полей.txt"), QStringLiteral("Квартира.txt"),
                               QStringLiteral("Услуги.tpl")}));
        select(d, QStringLiteral("Квартира.txt"));
        dynamic_cast<TfTEmpSele&>(d).FileListBox1DblClick();
        EXPECT_EQ(d.result(), QDialog::Accepted) << "the list closes before the fill dialog opens";
        return d.result();
    });
    runner.next([&](QDialog& d) {
        TfTempStore& s = store(d);
        EXPECT_EQ(offered(s), (QStringList{QStringLiteral("Комнат"), QStringLiteral("Цена"),
                                           QStringLiteral("Телефон")}));
        EXPECT_EQ(s.findChild<QLabel*>(QStringLiteral("l4"))->text(),
                  QStringLiteral("Переменная №4"));
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(s, "eText")->toPlainText(),
                  QStringLiteral("Продам комнатную квартиру, цена . Тел. "));
        guisupport::typeText(s.findChild<QLineEdit*>(QStringLiteral("e1")), QStringLiteral("двух"));
        guisupport::typeText(s.findChild<QLineEdit*>(QStringLiteral("e3")),
                             QStringLiteral("22-33-44"));
        s.findChild<QLineEdit*>(QStringLiteral("e2"))->setText(QStringLiteral("900 000"));
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(s, "eText")->toPlainText(),
                  QStringLiteral("Продам двухкомнатную квартиру, цена 900 000. Тел. 22-33-44"));
        button(d, "BitBtn1")->click();
        return d.result();
    });
    EXPECT_EQ(chooseAndFillTemplate(desk, nullptr),
              QStringLiteral("Продам двухкомнатную квартиру, цена 900 000. Тел. 22-33-44"));
    EXPECT_EQ(runner.openedTitles(),
              (QStringList{QStringLiteral("Шаблоны"), QStringLiteral("Заполнение шаблона")}));
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(TemplateDialogsTest, ADoubleClickWithNothingSelectedOpensNothing) {
    runner.next([&](QDialog& d) {
        dynamic_cast<TfTEmpSele&>(d).FileListBox1DblClick();
        EXPECT_NE(d.result(), QDialog::Accepted);
        button(d, "BitBtn2")->click(); // edit with nothing selected: nothing either
        return QDialog::Rejected;      // the close box
    });
    EXPECT_EQ(chooseAndFillTemplate(desk, nullptr), std::nullopt);
    EXPECT_EQ(runner.openedTitles(), QStringList{QStringLiteral("Шаблоны")});
}

TEST_F(TemplateDialogsTest, AnyFileIsATemplateAndCancelChangesNothing) {
    runner.next([&](QDialog& d) {
        select(d, QStringLiteral("Услуги.tpl"));
        dynamic_cast<TfTEmpSele&>(d).FileListBox1DblClick();
        return d.result();
    });
    runner.next([&](QDialog& d) {
        EXPECT_EQ(offered(store(d)), QStringList{QStringLiteral("Что")});
        guisupport::control<QLineEdit>(store(d), "e1")->setText(QStringLiteral("холодильников"));
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(store(d), "eText")->toPlainText(),
                  QStringLiteral("Ремонт холодильников на дому"));
        button(d, "BitBtn2")->click(); // "Отмена"
        return d.result();
    });
    EXPECT_EQ(chooseAndFillTemplate(desk, nullptr), std::nullopt);
}

TEST_F(TemplateDialogsTest, ATemplateWithoutFieldsSaysSoAndOffersItsText) {
    runner.next([&](QDialog& d) {
        EXPECT_TRUE(offered(store(d)).isEmpty());
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(store(d), "eText")->toPlainText(),
                  QStringLiteral("Ремонт обуви. Тел. 11-22-33"));
        button(d, "BitBtn1")->click();
        return d.result();
    });
    EXPECT_EQ(fillNamedTemplate(desk, nullptr, QStringLiteral("Без полей")),
              QStringLiteral("Ремонт обуви. Тел. 11-22-33"));
    EXPECT_EQ(dialogs.informations(), QStringList{QStringLiteral("Шаблон не содержит полей !!")});
}

TEST_F(TemplateDialogsTest, TheQuickCallOpensNothingForAMissingFileOrOneOutsideTheFolder) {
    // A text file beside the template folder, and one in a folder inside it.
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Шаблоны/Архив")));
    for (const QString& name :
         {QStringLiteral("Чужой.txt"), QStringLiteral("Шаблоны/Архив/Старый.txt")}) {
        QFile outside(folder.file(name));
        ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
        outside.write("<<a>>\r\n");
    }
    for (const QString& name :
         {QStringLiteral("Нет такого"), QStringLiteral("../Чужой"), QStringLiteral("Архив/Старый"),
          QStringLiteral("Архив\\Старый"), QString()})
        EXPECT_EQ(fillNamedTemplate(desk, nullptr, name), std::nullopt) << name.toStdString();
    EXPECT_TRUE(runner.opened().empty());
}

TEST_F(TemplateDialogsTest, EveryChangeReadsTheTemplateAgainAndDropsHandEdits) {
    runner.next([&](QDialog& d) {
        TfTempStore& s = store(d);
        guisupport::control<QPlainTextEdit>(s, "eText")
            ->setPlainText(QStringLiteral("правка вручную"));
        put(QStringLiteral("Квартира.txt"),
            QStringLiteral("Сдам <<Комнат>>комнатную на <<Срок>>\r\n"));
        guisupport::control<QLineEdit>(s, "e1")->setText(QStringLiteral("одно"));
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(s, "eText")->toPlainText(),
                  QStringLiteral("Сдам однокомнатную на "));
        return QDialog::Rejected;
    });
    fillNamedTemplate(desk, nullptr, QStringLiteral("Квартира"));
}

TEST_F(TemplateDialogsTest, AFileDeletedBehindTheListOpensTheFillDialogWithNoField) {
    runner.next([&](QDialog& d) {
        select(d, QStringLiteral("Квартира.txt"));
        EXPECT_TRUE(QFile::remove(file(QStringLiteral("Квартира.txt"))));
        dynamic_cast<TfTEmpSele&>(d).FileListBox1DblClick();
        return d.result();
    });
    runner.next([&](QDialog& d) {
        EXPECT_TRUE(offered(store(d)).isEmpty());
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(store(d), "eText")->toPlainText(), QString());
        return QDialog::Rejected;
    });
    EXPECT_EQ(chooseAndFillTemplate(desk, nullptr), std::nullopt);
    ASSERT_EQ(dialogs.errors().size(), 1) << "one read error, not one per attempt";
    EXPECT_TRUE(dialogs.errors()[0].contains(QStringLiteral("Квартира.txt")));
}

TEST_F(TemplateDialogsTest, AMissingTemplateFolderIsReportedAndTheListIsEmpty) {
    ASSERT_TRUE(QDir(templates()).removeRecursively());
    TfTEmpSele list(desk, nullptr);
    EXPECT_EQ(guisupport::control<QListWidget>(list, "FileListBox1")->count(), 0);
    ASSERT_EQ(dialogs.errors().size(), 1);
    EXPECT_TRUE(dialogs.errors()[0].contains(QStringLiteral("Шаблоны")));
}

TEST_F(TemplateDialogsTest, CreatingOverAnExistingNameEmptiesItAndListsTheNewOne) {
    TfTEmpSele list(desk, nullptr);
    // Over an existing template, the editor closed without saving: the file stays empty.
    runner.next([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("eNAme"))->setText(QStringLiteral("Квартира"));
        button(d, "BitBtn1")->click();
        return d.result();
    });
    runner.next([&](QDialog& d) {
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(dynamic_cast<TfTempEditor&>(d), "eText")
                      ->toPlainText(),
                  QString());
        EXPECT_EQ(readBytes(file(QStringLiteral("Квартира.txt"))), std::string())
            << "emptied before the editor";
        button(d, "BitBtn2")->click(); // "Закрыть"
        return d.result();
    });
    list.BitBtn1Click();
    EXPECT_EQ(readBytes(file(QStringLiteral("Квартира.txt"))), std::string());

    // A new name, written in the editor and saved.
    runner.next([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("eNAme"))->setText(QStringLiteral("Авто"));
        button(d, "BitBtn1")->click();
        return d.result();
    });
    runner.next([&](QDialog& d) {
        guisupport::control<QPlainTextEdit>(dynamic_cast<TfTempEditor&>(d), "eText")
            ->setPlainText(QStringLiteral("Продам <<Марка>>\nпримечание"));
        button(d, "BitBtn1")->click();
        return d.result();
    });
    list.BitBtn1Click();
    EXPECT_EQ(readBytes(file(QStringLiteral("Авто.txt"))),
              cp1251(QStringLiteral("Продам <<Марка>>\r\nпримечание\r\n")));
    EXPECT_TRUE(listed(list).contains(QStringLiteral("Авто.txt")));
    EXPECT_EQ(runner.openedTitles(), (QStringList{QStringLiteral("Введите название файла"),
                                                  QStringLiteral("Редактор шаблонов"),
                                                  QStringLiteral("Введите название файла"),
                                                  QStringLiteral("Редактор шаблонов")}));
}

TEST_F(TemplateDialogsTest, ANameOutsideTheFolderIsRefusedAndTheNameDialogStaysOpen) {
    put(QStringLiteral("../data.txt"), QStringLiteral("чужой файл\r\n"));
    const std::string outside = readBytes(folder.file(QStringLiteral("data.txt")));
    TfTEmpSele list(desk, nullptr);
    runner.next([&](QDialog& d) {
        auto* name = d.findChild<QLineEdit*>(QStringLiteral("eNAme"));
        for (const QString& bad :
             {QStringLiteral("../data"), QStringLiteral("a/b"), QStringLiteral("x:y"), QString()}) {
            name->setText(bad);
            button(d, "BitBtn1")->click();
            EXPECT_NE(d.result(), QDialog::Accepted) << bad.toStdString();
        }
        button(d, "BitBtn2")->click(); // "Закрыть"
        return d.result();
    });
    list.BitBtn1Click();
    EXPECT_EQ(dialogs.errors().size(), 4);
    EXPECT_EQ(readBytes(folder.file(QStringLiteral("data.txt"))), outside);
    EXPECT_EQ(runner.openedTitles(), QStringList{QStringLiteral("Введите название файла")})
        << "no editor";
    EXPECT_EQ(listed(list).size(), 3);
}

TEST_F(TemplateDialogsTest, TheEditorKeepsLinesAndWritesCrLf) {
    put(QStringLiteral("Смешанный.txt"),
        QStringLiteral("первая <<поле>>\nвторая\r\n\r\nчетвертая"));
    TfTEmpSele list(desk, nullptr);
    select(list, QStringLiteral("Смешанный.txt"));
    runner.next([&](QDialog& d) {
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(dynamic_cast<TfTempEditor&>(d), "eText")
                      ->toPlainText(),
                  QStringLiteral("первая <<поле>>\nвторая\n\nчетвертая"));
        button(d, "BitBtn1")->click(); // saved as shown
        return d.result();
    });
    list.BitBtn2Click();
    EXPECT_EQ(readBytes(file(QStringLiteral("Смешанный.txt"))),
              cp1251(QStringLiteral("первая <<поле>>\r\nвторая\r\n\r\nчетвертая\r\n")));
}

TEST_F(TemplateDialogsTest, AnEditorSaveThatFailsKeepsTheFileAndTheText) {
    const std::string before = readBytes(file(QStringLiteral("Квартира.txt")));
    TfTEmpSele list(desk, nullptr);
    select(list, QStringLiteral("Квартира.txt"));
    runner.next([&](QDialog& d) {
        auto& editor = dynamic_cast<TfTempEditor&>(d);
        guisupport::control<QPlainTextEdit>(editor, "eText")
            ->setPlainText(QStringLiteral("Продам \u263A"));
        button(d, "BitBtn1")->click();
        EXPECT_NE(d.result(), QDialog::Accepted);
        EXPECT_EQ(guisupport::control<QPlainTextEdit>(editor, "eText")->toPlainText(),
                  QStringLiteral("Продам \u263A"));
        button(d, "BitBtn2")->click();
        return d.result();
    });
    list.BitBtn2Click();
    EXPECT_EQ(dialogs.errors().size(), 1);
    EXPECT_EQ(readBytes(file(QStringLiteral("Квартира.txt"))), before);
}

TEST_F(TemplateDialogsTest, DeleteAsksAndDeletesOnlyOnYes) {
    TfTEmpSele list(desk, nullptr);
    select(list, QStringLiteral("Услуги.tpl"));
    dialogs.answer(false);
    list.BitBtn3Click();
    EXPECT_TRUE(QFileInfo::exists(file(QStringLiteral("Услуги.tpl"))));
    EXPECT_EQ(listed(list).size(), 3);

    dialogs.answer(true);
    list.BitBtn3Click();
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("Услуги.tpl"))));
    EXPECT_EQ(listed(list),
              (QStringList{QStringLiteral("Без полей.txt"), QStringLiteral("Квартира.txt")}));

    // A file already gone is not reported; the list is read again.
    select(list, QStringLiteral("Квартира.txt"));
    ASSERT_TRUE(QFile::remove(file(QStringLiteral("Квартира.txt"))));
    dialogs.answer(true);
    list.BitBtn3Click();
    EXPECT_EQ(listed(list), QStringList{QStringLiteral("Без полей.txt")});

    // Nothing selected: asked, nothing deleted.
    dialogs.answer(true);
    list.BitBtn3Click();
    EXPECT_EQ(listed(list), QStringList{QStringLiteral("Без полей.txt")});
    EXPECT_EQ(dialogs.questions(), QStringList(4, QStringLiteral("Удалить шаблон ?")));
    EXPECT_TRUE(dialogs.errors().isEmpty());
}

} // namespace
