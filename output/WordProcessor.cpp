#include "output/WordProcessor.h"

#include "platform/SystemErrorText.h"
#include "tables/AnnouncementTables.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <array>

namespace vornelta {

WordProcessor::~WordProcessor() = default;

// ------------------------------------------------------------------- zip

namespace {

uint32_t crc32(const QByteArray& data) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (const char ch : data)
        c = table[(c ^ uint8_t(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void put16(QByteArray& out, uint32_t v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}
void put32(QByteArray& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A fixed time stamp (1 January 2000, DOS form): the archive depends only on its content.
constexpr uint32_t kDosTime = 0;
constexpr uint32_t kDosDate = ((2000 - 1980) << 9) | (1 << 5) | 1;
constexpr uint32_t kUtf8Names = 1u << 11;

} // namespace

QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries) {
    QByteArray out, central;
    for (const auto& [name, data] : entries) {
        const QByteArray utf8Name = name.toUtf8();
        const uint32_t crc = crc32(data);
        const uint32_t offset = uint32_t(out.size());
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, kUtf8Names);
        put16(out, 0); // stored
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, uint32_t(data.size()));
        put32(out, uint32_t(data.size()));
        put16(out, uint32_t(utf8Name.size()));
        put16(out, 0);
        out += utf8Name;
        out += data;

        put32(central, 0x02014b50);
        put16(central, 20);
        put16(central, 20);
        put16(central, kUtf8Names);
        put16(central, 0);
        put16(central, kDosTime);
        put16(central, kDosDate);
        put32(central, crc);
        put32(central, uint32_t(data.size()));
        put32(central, uint32_t(data.size()));
        put16(central, uint32_t(utf8Name.size()));
        put16(central, 0); // extra
        put16(central, 0); // comment
        put16(central, 0); // disk
        put16(central, 0); // internal attributes
        put32(central, 0); // external attributes
        put32(central, offset);
        central += utf8Name;
    }
    const uint32_t centralOffset = uint32_t(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, uint32_t(entries.size()));
    put16(out, uint32_t(entries.size()));
    put32(out, uint32_t(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

// ------------------------------------------------------------------- OpenDocument

namespace {

// One paragraph's text as ODF content: runs of spaces, tabs and line breaks as elements.
QString odfText(const QString& text) {
    QString out;
    int spaces = 0;
    const auto flushSpaces = [&] {
        if (spaces == 0) return;
        out += QLatin1Char(' ');
        if (spaces > 1) out += QStringLiteral("<text:s text:c=\"%1\"/>").arg(spaces - 1);
        spaces = 0;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ')) {
            ++spaces;
            continue;
        }
        flushSpaces();
        switch (c.unicode()) {
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\t':
            out += QStringLiteral("<text:tab/>");
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            out += QStringLiteral("<text:line-break/>");
            break;
        case '\n':
            out += QStringLiteral("<text:line-break/>");
            break;
        default:
            if (c.unicode() >= 0x20) out += c; // other control characters are not XML
        }
    }
    flushSpaces();
    return out;
}

const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "manifest:version=\"1.2\">\n"
    " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>\n"
    " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
    "</manifest:manifest>\n";

// "#rrggbb" of a desk colour number (red in the low byte).
QString odfColour(int colour) {
    return QStringLiteral("#%1%2%3")
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

QString colourStyleName(int colour) {
    return QStringLiteral("C%1").arg(colour);
}

// The text style of one colour. White text, as the running line shows it on the dark
// screen, gets a black background: on white paper it could not be read.
QString colourStyle(int colour) {
    const QString background =
        colour == kColourWhite ? QStringLiteral(" fo:background-color=\"#000000\"") : QString();
    return QStringLiteral("  <style:style style:name=\"%1\" style:family=\"text\">"
                          "<style:text-properties fo:color=\"%2\"%3/></style:style>\n")
        .arg(colourStyleName(colour), odfColour(colour), background);
}

} // namespace

std::optional<OdtOpener>
chooseOdtOpener(bool desktopHasHandler, const std::function<QString(const QString&)>& findProgram) {
    QString program;
    for (const QString& name : OdtWordProcessor::programNames()) {
        program = findProgram(name);
        if (!program.isEmpty()) break;
    }
    if (desktopHasHandler) return OdtOpener{true, program};
    if (!program.isEmpty()) return OdtOpener{false, program};
    return std::nullopt;
}

bool desktopHasOdtHandler() {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("application/vnd.oasis.opendocument.text")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

const QStringList& OdtWordProcessor::programNames() {
    static const QStringList names{QStringLiteral("lowriter"), QStringLiteral("libreoffice"),
                                   QStringLiteral("soffice")};
    return names;
}

OdtWordProcessor::OdtWordProcessor(QString program)
    : OdtWordProcessor(OdtOpener{false, std::move(program)}) {}

OdtWordProcessor::OdtWordProcessor(OdtOpener opener) : m_opener(std::move(opener)) {
    open = [this](const QString& path) {
        // xdg-open starts detached and cannot say whether it found an application; the
        // handler was looked up before, so only "could not start" falls back here.
        if (m_opener.desktop && QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            return Result();
        if (!m_opener.program.isEmpty() && QProcess::startDetached(m_opener.program, {path}))
            return Result();
        return Result::failed(
            m_opener.program.isEmpty()
                ? QStringLiteral("Не удалось открыть «%1»: нет программы для документов "
                                 "OpenDocument (установите LibreOffice Writer).")
                      .arg(path)
                : QStringLiteral("Не удалось запустить текстовый процессор «%1».")
                      .arg(m_opener.program));
    };
}

bool programShowsDocuments(const QString& program, const QString& libreOfficeDir) {
    const auto isLibreOffice = [](const QString& dir) {
        return QFileInfo::exists(QDir(dir).filePath(QStringLiteral("soffice.bin")));
    };
    // soffice is a link into LibreOffice's folder; lowriter and libreoffice are scripts.
    QString dir = QFileInfo(QFileInfo(program).canonicalFilePath()).absolutePath();
    if (!isLibreOffice(dir)) dir = libreOfficeDir;
    if (!isLibreOffice(dir)) return true;
    return !QDir(dir).entryList({QStringLiteral("libvclplug_*")}, QDir::Files).isEmpty();
}

ValueResult<std::unique_ptr<WordProcessor>> OdtWordProcessor::create() {
    bool windowless = false;
    const std::optional<OdtOpener> opener =
        chooseOdtOpener(desktopHasOdtHandler(), [&](const QString& name) {
            const QString program = QStandardPaths::findExecutable(name);
            if (program.isEmpty() || programShowsDocuments(program)) return program;
            windowless = true;
            return QString();
        });
    if (opener) return std::unique_ptr<WordProcessor>(std::make_unique<OdtWordProcessor>(*opener));
    if (windowless) {
        return Result::failed(
            QStringLiteral("LibreOffice установлен без окон (libreoffice-writer-nogui): он "
                           "не может показать документ. Установите libreoffice-writer."));
    }
    return Result::failed(
        QStringLiteral("Текстовый процессор не установлен: нет приложения для документов "
                       "OpenDocument и не найдена ни одна из программ %1 (LibreOffice Writer).")
            .arg(programNames().join(QStringLiteral(", "))));
}

void OdtWordProcessor::documentsAdd() {
    m_paragraphs.clear();
    m_current.clear();
    m_colour = kNoFontColour;
    m_hasDocument = true;
}

void OdtWordProcessor::setFontColor(int colour) {
    m_colour = colour;
}

void OdtWordProcessor::typeText(const QString& text) {
    if (text.isEmpty()) return;
    if (!m_current.isEmpty() && m_current.back().colour == m_colour)
        m_current.back().text += text;
    else
        m_current.append({m_colour, text});
}

void OdtWordProcessor::typeParagraph() {
    m_paragraphs << m_current;
    m_current.clear();
}

QByteArray OdtWordProcessor::document() const {
    QList<Paragraph> paragraphs = m_paragraphs;
    // The insertion point's paragraph counts once it holds text; a document has at least one.
    if (!m_current.isEmpty() || paragraphs.isEmpty()) paragraphs << m_current;
    QString body;
    QList<int> colours;
    for (const Paragraph& p : paragraphs) {
        if (p.isEmpty()) {
            body += QStringLiteral("   <text:p/>\n");
            continue;
        }
        body += QStringLiteral("   <text:p>");
        for (const Run& run : p) {
            if (run.colour == kNoFontColour) {
                body += odfText(run.text);
                continue;
            }
            if (!colours.contains(run.colour)) colours << run.colour;
            body += QStringLiteral("<text:span text:style-name=\"%1\">")
                        .arg(colourStyleName(run.colour)) +
                    odfText(run.text) + QStringLiteral("</text:span>");
        }
        body += QStringLiteral("</text:p>\n");
    }
    QString styles;
    for (int colour : colours)
        styles += colourStyle(colour);
    const QString content =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<office:document-content "
                       "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                       "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                       "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
                       "office:version=\"1.2\">\n") +
        (styles.isEmpty() ? QString()
                          : QStringLiteral(" <office:automatic-styles>\n") + styles +
                                QStringLiteral(" </office:automatic-styles>\n")) +
        QStringLiteral(" <office:body>\n  <office:text>\n") + body +
        QStringLiteral("  </office:text>\n </office:body>\n</office:document-content>\n");
    return storedZip(
        {{QStringLiteral("mimetype"), QByteArray("application/vnd.oasis.opendocument.text")},
         {QStringLiteral("META-INF/manifest.xml"), QByteArray(kManifest)},
         {QStringLiteral("content.xml"), content.toUtf8()}});
}
Result OdtWordProcessor::checkGrammar() {
    if (!m_hasDocument) return Result::failed(QStringLiteral("Нет документа."));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString path = QDir(folder).filePath(
        QStringLiteral("Просмотр %1.odt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"))));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document()) < 0 || !file.commit())
        return Result::failed(
            QStringLiteral("Документ «%1» не записан: %2").arg(path, fileErrorText(file)));
    return open ? open(path) : Result();
}

} // namespace vornelta
