// Template lines, fields and filling without any window: which fields a line offers,
// what a fill gives (the wording after the last marker kept), the template as the first
// line of its file, the lines the editor writes, and the names a new template may take.
#include "templates/TemplateFields.h"

#include "guisupport/GuiHelpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace vornelta;
using guisupport::cp1251;
using guisupport::TempFolder;
using guisupport::writeBytes;

struct FillCase {
    const char* label;
    QString line;
    std::vector<QString> values;
    QStringList names;
    QString result;
};

void PrintTo(const FillCase& c, std::ostream* os) {
    *os << c.label;
}

TFieldValues valuesOf(const std::vector<QString>& given) {
    TFieldValues v;
    for (size_t i = 0; i < given.size() && i < v.size(); ++i)
        v[i] = given[i];
    return v;
}

class TemplateFillTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(TemplateFillTest, OffersTheFieldsAndFillsTheLine) {
    const FillCase& c = GetParam();
    EXPECT_EQ(templateFieldNames(c.line), c.names);
    EXPECT_EQ(substituteTemplate(c.line, valuesOf(c.values)), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TemplateFillTest,
    ::testing::Values(
        FillCase{"three fields and the wording after the last",
                 QStringLiteral("Продам <<комнат>>комнатную квартиру, цена <<цена>> руб. Тел. "
                                "<<телефон>>, звонить вечером."),
                 {QStringLiteral("двух"), QStringLiteral("900 000"), QStringLiteral("22-33-44")},
                 {QStringLiteral("комнат"), QStringLiteral("цена"), QStringLiteral("телефон")},
                 QStringLiteral("Продам двухкомнатную квартиру, цена 900 000 руб. Тел. 22-33-44, "
                                "звонить вечером.")},
        FillCase{"fields left empty leave the wording",
                 QStringLiteral("Продам <<марка>>, тел. <<телефон>>"),
                 {},
                 {QStringLiteral("марка"), QStringLiteral("телефон")},
                 QStringLiteral("Продам , тел. ")},
        FillCase{"eight markers: seven fields, the eighth stays as written",
                 QStringLiteral("<<a>>1<<b>>2<<c>>3<<d>>4<<e>>5<<f>>6<<g>>7<<h>>8"),
                 {"A", "B", "C", "D", "E", "F", "G"},
                 {"a", "b", "c", "d", "e", "f", "g"},
                 QStringLiteral("A1B2C3D4E5F6G7<<h>>8")},
        FillCase{"an empty name is a field with an empty label",
                 QStringLiteral("Цена <<>> руб."),
                 {QStringLiteral("500")},
                 {QString()},
                 QStringLiteral("Цена 500 руб.")},
        FillCase{"values holding markers are plain text",
                 QStringLiteral("<<первое>> и <<второе>>!"),
                 {QStringLiteral("<<второе>>"), QStringLiteral(">>x<<")},
                 {QStringLiteral("первое"), QStringLiteral("второе")},
                 QStringLiteral("<<второе>> и >>x<<!")},
        FillCase{"no marker: no field, the whole line",
                 QStringLiteral("Ремонт телевизоров. Тел. 11-22-33"),
                 {QStringLiteral("лишнее")},
                 {},
                 QStringLiteral("Ремонт телевизоров. Тел. 11-22-33")},
        FillCase{"unpaired markers are wording",
                 QStringLiteral("Скидка >> 10% <<срок>> только << сегодня"),
                 {QStringLiteral("до пятницы")},
                 {QStringLiteral("срок")},
                 QStringLiteral("Скидка >> 10% до пятницы только << сегодня")},
        FillCase{"an empty line", QString(), {}, {}, QString()}),
    [](const ::testing::TestParamInfo<FillCase>& info) {
        return "case" + std::to_string(info.index);
    });

TEST(TemplateFields, OnlyALineWithoutAnyOpeningMarkerSaysItHasNoFields) {
    EXPECT_TRUE(lacksFieldMarkers(QStringLiteral("Ремонт обуви")));
    EXPECT_TRUE(lacksFieldMarkers(QString()));
    EXPECT_TRUE(lacksFieldMarkers(QStringLiteral("цена>>")));
    EXPECT_FALSE(lacksFieldMarkers(QStringLiteral("цена <<")));
    EXPECT_FALSE(lacksFieldMarkers(QStringLiteral("<<цена>>")));
}

TEST(TemplateFields, TheTemplateIsTheFirstLineOfItsFile) {
    TempFolder folder;
    const QString a = folder.file(QStringLiteral("a.txt")),
                  b = folder.file(QStringLiteral("b.txt"));
    writeBytes(a, cp1251(QStringLiteral("Куплю <<что>> дорого\r\nвторая строка <<не поле>>\r\n")));
    writeBytes(b, cp1251(QStringLiteral("Куплю <<что>> дорого\nсовсем другое\n<<x>>")));
    const auto lineA = readTemplateLine(a), lineB = readTemplateLine(b);
    ASSERT_TRUE(lineA && lineB);
    EXPECT_EQ(lineA.value(), QStringLiteral("Куплю <<что>> дорого"));
    const TFieldValues values{QStringLiteral("гараж")};
    EXPECT_EQ(substituteTemplate(lineA.value(), values), substituteTemplate(lineB.value(), values));
    EXPECT_EQ(templateFieldNames(lineA.value()), QStringList{QStringLiteral("что")});

    const QString empty = folder.file(QStringLiteral("empty.txt"));
    writeBytes(empty, std::string());
    const auto emptyLine = readTemplateLine(empty);
    ASSERT_TRUE(emptyLine);
    EXPECT_EQ(emptyLine.value(), QString());

    const auto gone = readTemplateLine(folder.file(QStringLiteral("gone.txt")));
    const QString error = gone.error();
    EXPECT_FALSE(gone);
    EXPECT_TRUE(error.contains(QStringLiteral("gone.txt"))) << error.toStdString();
}

TEST(TemplateFields, TheEditorWritesOneLinePerTextLine) {
    EXPECT_EQ(templateFileLines(QString()), QStringList());
    EXPECT_EQ(templateFileLines(QStringLiteral("а\nб")),
              (QStringList{QStringLiteral("а"), QStringLiteral("б")}));
    EXPECT_EQ(templateFileLines(QStringLiteral("а\nб\n")),
              (QStringList{QStringLiteral("а"), QStringLiteral("б")}));
    EXPECT_EQ(templateFileLines(QStringLiteral("а\n\nб")),
              (QStringList{QStringLiteral("а"), QString(), QStringLiteral("б")}));
    EXPECT_EQ(templateFileLines(QStringLiteral("\n")), QStringList{QString()});
}

TEST(TemplateFields, ANewTemplateNameStaysInsideTheFolder) {
    for (const QString& good :
         {QStringLiteral("Квартира"), QStringLiteral("Продам авто. 2"),
          QStringLiteral("услуги (ремонт)"), QStringLiteral(".скрытый"), QStringLiteral("Кв.. 2"),
          QStringLiteral("кв.."), QStringLiteral("...")})
        EXPECT_TRUE(checkTemplateName(good).ok()) << good.toStdString();
    for (const QString& bad :
         {QString(), QStringLiteral("   "), QStringLiteral("../data"), QStringLiteral(".."),
          QStringLiteral("a/b"), QStringLiteral("a\\b"), QStringLiteral("C:x"),
          QStringLiteral("a*"), QStringLiteral("a?"), QStringLiteral("a\"b"), QStringLiteral("a<b"),
          QStringLiteral("a>b"), QStringLiteral("a|b"), QStringLiteral("a\tb"), QStringLiteral("."),
          QStringLiteral(" .. ")})
        EXPECT_NE(checkTemplateName(bad).error(), QString()) << bad.toStdString();

    EXPECT_EQ(templateFolder(ProgramFolder(QStringLiteral("/desk/"))),
              QStringLiteral("/desk/Шаблоны"));
    EXPECT_EQ(templatePathForName(QStringLiteral("/desk/Шаблоны"), QStringLiteral("Авто")),
              QStringLiteral("/desk/Шаблоны/Авто.txt"));
}

} // namespace
