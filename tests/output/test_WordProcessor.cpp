// The OpenDocument text of "Просмотр": a valid stored zip (mimetype first, CRCs right)
// holding one paragraph per typed paragraph, and the clear error without a word processor.
#include "output/WordProcessor.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

using namespace vornelta;

struct ZipEntry {
    QString name;
    QByteArray data;
    uint32_t crc = 0;
    uint16_t method = 0xFFFF;
};

// Reads the local headers one after another (the writer puts no data descriptors).
QList<ZipEntry> readZip(const QByteArray& zip) {
    QList<ZipEntry> out;
    qsizetype at = 0;
    const auto u16 = [&](qsizetype p) { return qFromLittleEndian<quint16>(zip.constData() + p); };
    const auto u32 = [&](qsizetype p) { return qFromLittleEndian<quint32>(zip.constData() + p); };
    while (at + 30 <= zip.size() && u32(at) == 0x04034b50) {
        ZipEntry e;
        e.method = u16(at + 8);
        e.crc = u32(at + 14);
        const uint32_t size = u32(at + 18);
        const uint16_t nameLength = u16(at + 26), extra = u16(at + 28);
        e.name = QString::fromUtf8(zip.mid(at + 30, nameLength));
        e.data = zip.mid(at + 30 + nameLength + extra, size);
        at += 30 + nameLength + extra + size;
        out << e;
    }
    // The central directory follows, then the end record naming as many entries.
    const qsizetype end = zip.size() - 22;
    EXPECT_EQ(u32(end), 0x06054b50u);
    EXPECT_EQ(u16(end + 10), out.size());
    EXPECT_EQ(qsizetype(u32(end + 16)), at);
    return out;
}

TEST(WordProcessorTest, StoredZipCarriesTheStandardCrc) {
    const QList<ZipEntry> entries =
        readZip(storedZip({{QStringLiteral("a.txt"), QByteArray("123456789")}}));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].crc, 0xCBF43926u);
    EXPECT_EQ(entries[0].method, 0);
    EXPECT_EQ(entries[0].data, QByteArray("123456789"));
}

TEST(WordProcessorTest, DocumentHoldsOneParagraphPerRowAndOpensWhereItWasWritten) {
    OdtWordProcessor odt(QStringLiteral("writer"));
    QString openedPath;
    odt.open = [&](const QString& path, QString*) {
        openedPath = path;
        return true;
    };
    odt.documentsAdd();
    odt.typeText(QStringLiteral("Продам <дом> & сад"));
    odt.typeParagraph();
    odt.typeText(QStringLiteral("a   b\tc"));
    odt.typeParagraph();
    QString error;
    ASSERT_TRUE(odt.checkGrammar(&error)) << error.toStdString();

    const QList<ZipEntry> entries = readZip(odt.document());
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].name, QStringLiteral("mimetype"));
    EXPECT_EQ(entries[0].data, QByteArray("application/vnd.oasis.opendocument.text"));
    EXPECT_EQ(entries[1].name, QStringLiteral("META-INF/manifest.xml"));
    EXPECT_EQ(entries[2].name, QStringLiteral("content.xml"));
    const QString content = QString::fromUtf8(entries[2].data);
    EXPECT_TRUE(content.contains(QStringLiteral("<text:p>Продам &lt;дом&gt; &amp; сад</text:p>")));
    EXPECT_TRUE(
        content.contains(QStringLiteral("<text:p>a <text:s text:c=\"2\"/>b<text:tab/>c</text:p>")));
    EXPECT_EQ(content.count(QStringLiteral("<text:p")), 2);

    EXPECT_TRUE(openedPath.endsWith(QStringLiteral(".odt")));
    QFile written(openedPath);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), odt.document());
    written.remove();
}

TEST(WordProcessorTest, EmptyDocumentHasOneEmptyParagraph) {
    OdtWordProcessor odt(QStringLiteral("writer"));
    odt.documentsAdd();
    const QString content = QString::fromUtf8(readZip(odt.document()).value(2).data);
    EXPECT_EQ(content.count(QStringLiteral("<text:p")), 1);
    EXPECT_TRUE(content.contains(QStringLiteral("<text:p/>")));
}

TEST(WordProcessorTest, NoWordProcessorOnTheSearchPathGivesAClearError) {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    QString error;
    EXPECT_EQ(OdtWordProcessor::create(&error), nullptr);
    qputenv("PATH", path);
    EXPECT_TRUE(error.contains(QStringLiteral("LibreOffice"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("lowriter")));
}

} // namespace
