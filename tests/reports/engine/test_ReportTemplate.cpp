// Reading .frf templates: what a designer writes arrives in the model, and every fault
// gives one message naming the file and the place.
#include "reports/engine/ReportTemplate.h"
#include "reports/engine/ReportTestSupport.h"

#include "platform/TextCodec.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;
using guisupport::TempFolder;
using reporttest::done;
using reporttest::pageXml;
using reporttest::reportXml;
using reporttest::writeTemplate;

TEST(ReportTemplate, ReadsPagesAndObjectsInMillimetres) {
    TempFolder folder;
    const QString path = writeTemplate(
        folder, QStringLiteral("t.frf"),
        reportXml(
            pageXml(QStringLiteral(
                        "    <text name=\"head\" rect=\"20 15.5 170 8\" font=\"DejaVu Serif\" "
                        "size=\"14\" "
                        "bold=\"yes\" align=\"center\" valign=\"middle\" frame=\"left bottom\" "
                        "frame-width=\"0.5\" "
                        "wrap=\"no\" stretch=\"yes\" color=\"#102030\" fill=\"#eeeeee\">\n"
                        "      Первая строка\n      вторая\n    </text>\n"
                        "    <line name=\"rule\" from=\"20 30\" to=\"190 30\" width=\"0.4\"/>\n"
                        "    <rect rect=\"10 40 50 20\" width=\"0\" fill=\"silver\"/>\n"),
                    QStringLiteral("size=\"A5\" orientation=\"landscape\" margins=\"5 6 7 8\"")) +
            pageXml(QStringLiteral("    <text rect=\"10 10 50 10\">x</text>\n"),
                    QStringLiteral("size=\"100x150\""))));
    TReportTemplate t;
    ASSERT_TRUE(done(loadReportTemplate(path, t)));
    EXPECT_EQ(t.title, QStringLiteral("Тест"));
    ASSERT_EQ(t.pages.size(), 2u);
    const TReportPage& p = t.pages[0];
    EXPECT_EQ(p.size(), QSizeF(210, 148)); // A5 lying on its side
    EXPECT_EQ(p.margins, QMarginsF(5, 6, 7, 8));
    ASSERT_EQ(p.objects.size(), 3u);
    const auto& head = static_cast<const TReportTextObject&>(*p.objects[0]);
    EXPECT_EQ(head.name(), QStringLiteral("head"));
    EXPECT_EQ(head.rect, QRectF(20, 15.5, 170, 8));
    EXPECT_EQ(head.text(), QStringLiteral("Первая строка\nвторая")); // indentation is not text
    EXPECT_EQ(head.fontFamily, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(head.fontSize, 14);
    EXPECT_TRUE(head.bold);
    EXPECT_FALSE(head.italic);
    EXPECT_EQ(head.align, Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(head.frame, unsigned(fsLeft | fsBottom));
    EXPECT_EQ(head.frameWidth, 0.5);
    EXPECT_FALSE(head.wordWrap);
    EXPECT_TRUE(head.stretch);
    EXPECT_EQ(head.color, QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(head.sourceLine, 4);
    const auto& rule = static_cast<const TReportLineObject&>(*p.objects[1]);
    ASSERT_EQ(rule.kind(), TReportObjectKind::Line);
    EXPECT_EQ(rule.from, QPointF(20, 30));
    EXPECT_EQ(rule.to, QPointF(190, 30));
    EXPECT_EQ(rule.width, 0.4);
    const auto& box = static_cast<const TReportRectObject&>(*p.objects[2]);
    ASSERT_EQ(box.kind(), TReportObjectKind::Rectangle);
    EXPECT_EQ(box.width, 0);
    EXPECT_EQ(box.fill, QColor(192, 192, 192)); // "silver"
    EXPECT_EQ(t.pages[1].size(), QSizeF(100, 150));
    EXPECT_EQ(t.pages[1].margins, QMarginsF(10, 10, 10, 10)); // the default
}

// The program's own files are Windows-1251; a template says so in its declaration.
TEST(ReportTemplate, ReadsWindows1251AndUtf8) {
    TempFolder folder;
    const QString text = QStringLiteral("Квитанция № 1");
    const QString body =
        QStringLiteral("<report><page><text name=\"t\" rect=\"1 1 50 9\">%1</text></page></report>")
            .arg(text);
    const QString cp1251Path = folder.file(QStringLiteral("cp.frf"));
    guisupport::writeBytes(
        cp1251Path,
        guisupport::cp1251(QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>") +
                           body));
    const QString utf8Path = writeTemplate(folder, QStringLiteral("u.frf"), body);
    for (const QString& path : {cp1251Path, utf8Path}) {
        TReportTemplate t;
        ASSERT_TRUE(done(loadReportTemplate(path, t)));
        EXPECT_EQ(static_cast<const TReportTextObject&>(*t.pages[0].objects[0]).text(), text)
            << path.toStdString();
    }
}

// A file saved in Windows-1251 under a UTF-8 header is refused where the bytes stop being
// UTF-8: read either way, some of its letters would come out wrong.
TEST(ReportTemplate, DeclaredUtf8HoldingOtherBytesIsRefusedAtItsLine) {
    const QString body = QStringLiteral(
        "<report>\n<page>\n<text rect=\"1 1 50 9\">Квитанция</text></page></report>");
    struct Case {
        const char* what;
        QByteArray bytes;
        int line;
    };
    const std::vector<Case> cases = {
        {"declared utf-8",
         QByteArray::fromStdString(guisupport::cp1251(
             QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + body)),
         4},
        {"a byte-order mark",
         QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(guisupport::cp1251(body)), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TReportTemplate t;
        const Result read = parseReportTemplate(c.bytes, QStringLiteral("t.frf"), t);
        EXPECT_FALSE(read);
        const QString& error = read.error();
        EXPECT_TRUE(error.startsWith(
            QStringLiteral("Шаблон отчета «t.frf» поврежден: строка %1: ").arg(c.line)))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("encoding=\"windows-1251\"")))
            << error.toStdString();
    }
}

struct Damage {
    const char* what;
    QString xml;
    QString reason; // a part of the message
    int line;
};

TEST(ReportTemplate, DamagedTemplateNamesFileLineAndReason) {
    const QString pic = QStringLiteral("<picture rect=\"1 1 5 5\" file=\"нет.png\"/>");
    const std::vector<Damage> cases = {
        {"unclosed element",
         QStringLiteral("<report>\n<page>\n<text rect=\"1 1 5 5\">a</page>\n</report>"), QString(),
         3},
        {"not XML at all", QStringLiteral("Это не шаблон"), QString(), 1},
        {"wrong root", QStringLiteral("<?xml version=\"1.0\"?>\n<frf/>"),
         QStringLiteral("<report>"), 2},
        {"no pages", QStringLiteral("<report>\n</report>"), QStringLiteral("нет ни одной страницы"),
         2},
        {"unknown object", QStringLiteral("<report><page>\n\n<circle/></page></report>"),
         QStringLiteral("<circle>"), 3},
        {"rect with three numbers",
         QStringLiteral("<report><page>\n<text rect=\"1 2 3\">a</text></page></report>"),
         QStringLiteral("rect"), 2},
        {"rect of no width",
         QStringLiteral("<report><page>\n<text rect=\"1 2 0 3\">a</text></page></report>"),
         QStringLiteral("больше нуля"), 2},
        {"no rect", QStringLiteral("<report><page>\n<rect width=\"1\"/></page></report>"),
         QStringLiteral("rect"), 2},
        {"unknown attribute",
         QStringLiteral(
             "<report><page>\n<text rect=\"1 1 5 5\" colour=\"red\">a</text></page></report>"),
         QStringLiteral("colour"), 2},
        {"bad alignment",
         QStringLiteral(
             "<report><page>\n<text rect=\"1 1 5 5\" align=\"middle\">a</text></page></report>"),
         QStringLiteral("align"), 2},
        {"bad flag",
         QStringLiteral(
             "<report><page>\n<text rect=\"1 1 5 5\" bold=\"да\">a</text></page></report>"),
         QStringLiteral("bold"), 2},
        {"bad colour",
         QStringLiteral("<report><page>\n<rect rect=\"1 1 5 5\" fill=\"#zz\"/></page></report>"),
         QStringLiteral("fill"), 2},
        {"bad paper", QStringLiteral("<report>\n<page size=\"A9\"></page></report>"),
         QStringLiteral("size"), 2},
        {"margins eat the page",
         QStringLiteral("<report>\n<page size=\"A6\" margins=\"60 10 60 10\"></page></report>"),
         QStringLiteral("поля"), 2},
        {"element inside a text",
         QStringLiteral("<report><page>\n<text rect=\"1 1 5 5\">a<b/></text></page></report>"),
         QString(), 2},
        {"missing picture",
         QStringLiteral("<report><page>\n") + pic + QStringLiteral("</page></report>"),
         QStringLiteral("нет.png"), 2},
        {"duplicate name",
         QStringLiteral("<report><page>\n<text name=\"dates\" rect=\"1 1 5 5\"/>\n<text "
                        "name=\"dates\" rect=\"1 9 5 5\"/>"
                        "</page></report>"),
         QStringLiteral("строке 2"), 3},
        {"unknown encoding", QStringLiteral("<?xml version=\"1.0\" encoding=\"koi8-r\"?><report/>"),
         QStringLiteral("koi8-r"), 1},
        // Numbers that are no place on the paper: once read, the layout never ended.
        {"rect of NaN",
         QStringLiteral("<report><page>\n<text rect=\"NaN 1 5 5\">a</text></page></report>"),
         QStringLiteral("rect"), 2},
        {"rect of infinity",
         QStringLiteral("<report><page>\n<rect rect=\"1 1 inf 5\"/></page></report>"),
         QStringLiteral("rect"), 2},
        {"font size of NaN",
         QStringLiteral(
             "<report><page>\n<text rect=\"1 1 5 5\" size=\"nan\">a</text></page></report>"),
         QStringLiteral("size"), 2},
        {"paper of NaN", QStringLiteral("<report>\n<page size=\"NaNx100\"></page></report>"),
         QStringLiteral("size"), 2},
        {"margins as wide as the page",
         QStringLiteral("<report>\n<page size=\"A6\" margins=\"52.5 10 52.5 10\"></page></report>"),
         QStringLiteral("поля"), 2},
        {"margins as tall as the page",
         QStringLiteral(
             "<report>\n<page size=\"100x150\" margins=\"10 75 10 75\"></page></report>"),
         QStringLiteral("поля"), 2},
        {"a margin below zero",
         QStringLiteral("<report>\n<page size=\"A6\" margins=\"-1 10 10 10\"></page></report>"),
         QStringLiteral("поля"), 2},
        {"text beyond the right edge",
         QStringLiteral(
             "<report><page size=\"A6\">\n<text rect=\"100 1 5.5 5\">a</text></page></report>"),
         QStringLiteral("край листа (105 x 148 мм)"), 2},
        {"line below the bottom edge",
         QStringLiteral(
             "<report><page size=\"A6\">\n<line from=\"1 1\" to=\"1 148.5\"/></page></report>"),
         QStringLiteral("край листа"), 2},
        {"rect above the top edge",
         QStringLiteral("<report><page>\n<rect rect=\"1 -0.5 5 5\"/></page></report>"),
         QStringLiteral("край листа"), 2},
    };
    TempFolder folder;
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = writeTemplate(folder, QStringLiteral("плохой.frf"), c.xml);
        TReportTemplate t;
        t.title = QStringLiteral("old");
        const Result loaded = loadReportTemplate(path, t);
        ASSERT_FALSE(loaded);
        const QString& error = loaded.error();
        EXPECT_TRUE(t.pages.empty() && t.title.isEmpty()) << "a failed load leaves nothing behind";
        EXPECT_TRUE(error.startsWith(
            QStringLiteral("Шаблон отчета «%1» поврежден: строка %2").arg(path).arg(c.line)))
            << error.toStdString();
        if (!c.reason.isEmpty()) {
            EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
        }
        EXPECT_EQ(error.count(QStringLiteral("Шаблон")), 1) << "one message";
    }
}

// A template cut off anywhere (a copy interrupted, a disk full) is refused with a message,
// never half read.
TEST(ReportTemplate, EveryCutOfTheReceiptIsRefusedWithAMessage) {
    const QByteArray whole = [] {
        QFile f(reporttest::shippedTemplate(QStringLiteral("sprav.frf")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_GT(whole.size(), 1000);
    const QByteArray ending = "</report>";
    const qsizetype complete = whole.lastIndexOf(ending) + ending.size();
    for (qsizetype cut = 0; cut < complete; cut += 3) {
        TReportTemplate t;
        const Result read = parseReportTemplate(whole.left(cut), QStringLiteral("sprav.frf"), t);
        ASSERT_FALSE(read) << cut;
        const QString& error = read.error();
        EXPECT_TRUE(t.pages.empty());
        EXPECT_TRUE(
            error.startsWith(QStringLiteral("Шаблон отчета «sprav.frf» поврежден: строка ")))
            << error.toStdString();
    }
    TReportTemplate t;
    EXPECT_TRUE(done(parseReportTemplate(whole.left(complete), QStringLiteral("sprav.frf"), t)));
}

TEST(ReportTemplate, MissingTemplateIsNamed) {
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("Отчеты/sprav.frf"));
    TReportTemplate t;
    EXPECT_EQ(loadReportTemplate(path, t).error(),
              QStringLiteral("Не найден шаблон отчета «%1»").arg(path));
    // A folder of that name is no template either.
    const QString error = loadReportTemplate(folder.path(), t).error();
    EXPECT_TRUE(error.startsWith(QStringLiteral("Не найден шаблон отчета"))) << error.toStdString();
}

TEST(ReportTemplate, PicturesFromFileBesideTheTemplateOrInline) {
    TempFolder folder;
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(folder.file(QStringLiteral("logo.png"))));
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    const QString path = writeTemplate(
        folder, QStringLiteral("p.frf"),
        reportXml(pageXml(QStringLiteral("<picture rect=\"1 1 20 10\" file=\"logo.png\"/>\n"
                                         "<picture rect=\"1 20 20 10\">%1</picture>\n")
                              .arg(QString::fromLatin1(png.toBase64())))));
    TReportTemplate t;
    ASSERT_TRUE(done(loadReportTemplate(path, t)));
    for (const auto& o : t.pages[0].objects) {
        ASSERT_EQ(o->kind(), TReportObjectKind::Picture);
        EXPECT_EQ(static_cast<const TReportPictureObject&>(*o).image.size(), QSize(4, 2));
    }
}

} // namespace
