#include "reports/engine/ReportTemplate.h"

#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <map>

namespace vornelta {

TReportObject::~TReportObject() = default;

QSizeF TReportPage::size() const {
    return orientation == QPageLayout::Landscape ? paperSize.transposed() : paperSize;
}

QPageLayout TReportPage::pageLayout() const {
    return QPageLayout(QPageSize(paperSize, QPageSize::Millimeter), orientation,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

namespace {

// A fault in the template: the reader's position and the reason.
struct Fault {
    qint64 line = 0;
    qint64 column = 0;
    QString reason;
};

// Where the bytes stop being UTF-8: the offset of the first byte that cannot belong to a
// well-formed sequence (-1 when all can). Overlong forms are left to the decoder.
qsizetype firstNonUtf8Byte(const QByteArray& bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = b[i];
        const int tail = c < 0x80           ? 0
                         : (c >> 5) == 0x6  ? 1
                         : (c >> 4) == 0xE  ? 2
                         : (c >> 3) == 0x1E ? 3
                                            : -1;
        if (tail < 0 || i + tail >= n) return i;
        for (int k = 1; k <= tail; ++k)
            if ((b[i + k] & 0xC0) != 0x80) return i;
        i += tail + 1;
    }
    return -1;
}

// The template's text: Windows-1251 as every file of the program, or UTF-8 when the XML
// declaration says so (or, without a declaration, when the bytes are valid UTF-8).
bool decodeTemplate(const QByteArray& bytes, QString& text, Fault& fault) {
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"));
    const QRegularExpressionMatch m = declaration.match(QString::fromLatin1(bytes.left(200)));
    const QString encoding = m.hasMatch() ? m.captured(1).toLower() : QString();
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (encoding == QLatin1String("utf-8") || bom || encoding.isEmpty()) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString decoded = utf8.decode(bom ? bytes.mid(3) : bytes);
        if (!utf8.hasError()) {
            text = decoded;
            return true;
        }
        if (!encoding.isEmpty() || bom) {
            // Most often a file saved in Windows-1251 under a copied UTF-8 header: read as
            // either, some letters would come out wrong, so it is refused where it breaks.
            const qsizetype at = firstNonUtf8Byte(bytes);
            fault.line = at < 0 ? 1 : bytes.left(at).count('\n') + 1;
            fault.reason = QStringLiteral(
                "в заголовке названа кодировка UTF-8, а текст в ней не читается (если файл "
                "сохранен в Windows-1251, укажите encoding=\"windows-1251\")");
            return false;
        }
    } else if (encoding != QLatin1String("windows-1251") && encoding != QLatin1String("cp1251")) {
        fault = {1, 0,
                 QStringLiteral("кодировка «%1» не поддерживается (windows-1251 или utf-8)")
                     .arg(encoding)};
        return false;
    }
    text = toQt(std::string_view(bytes.constData(), size_t(bytes.size())));
    return true;
}

class Parser {
public:
    Parser(const QString& text, const QString& path) : m_xml(text), m_path(path) {}

    bool parse(TReportTemplate& out, Fault& fault) {
        if (!readDocument(out)) {
            fault = m_fault;
            return false;
        }
        return true;
    }

private:
    bool readDocument(TReportTemplate& out) {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isStartElement()) {
                if (m_xml.name() != QLatin1String("report"))
                    return fail(
                        QStringLiteral("ожидался элемент <report>, а не <%1>").arg(m_xml.name()));
                if (!checkAttributes({"title"})) return false;
                out.title = m_xml.attributes().value(QLatin1String("title")).toString();
                if (!readReport(out)) return false;
            }
        }
        if (m_xml.hasError()) return xmlFail();
        if (out.pages.empty())
            return fail(QStringLiteral("в шаблоне нет ни одной страницы (<page>)"));
        return true;
    }

    bool readReport(TReportTemplate& out) {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != QLatin1String("page"))
                return fail(
                    QStringLiteral("неизвестный элемент <%1> (ожидался <page>)").arg(m_xml.name()));
            out.pages.emplace_back();
            if (!readPage(out.pages.back())) return false;
        }
        return !m_xml.hasError() || xmlFail();
    }

    bool readPage(TReportPage& page) {
        const QXmlStreamAttributes a = m_xml.attributes();
        if (!checkAttributes({"size", "orientation", "margins"})) return false;
        const QString size = a.value(QLatin1String("size")).toString().trimmed();
        if (!size.isEmpty() && !readPaperSize(size, page.paperSize)) return false;
        const QString orientation = a.value(QLatin1String("orientation")).toString();
        if (orientation == QLatin1String("landscape"))
            page.orientation = QPageLayout::Landscape;
        else if (!orientation.isEmpty() && orientation != QLatin1String("portrait"))
            return fail(
                QStringLiteral("orientation: «%1» (portrait или landscape)").arg(orientation));
        if (a.hasAttribute(QLatin1String("margins"))) {
            std::vector<double> m;
            if (!numbers(QStringLiteral("margins"), 4, m)) return false;
            page.margins = QMarginsF(m[0], m[1], m[2], m[3]);
            if (*std::min_element(m.begin(), m.end()) < 0)
                return fail(QStringLiteral("margins: поля не могут быть меньше нуля"));
        }
        const QSizeF s = page.size();
        if (page.margins.left() + page.margins.right() >= s.width() ||
            page.margins.top() + page.margins.bottom() >= s.height())
            return fail(QStringLiteral("поля страницы не оставляют места"));

        std::map<QString, qint64> names;
        while (m_xml.readNextStartElement()) {
            const qint64 line = m_xml.lineNumber();
            std::unique_ptr<TReportObject> object;
            const auto tag = m_xml.name();
            if (tag == QLatin1String("text"))
                object = readText();
            else if (tag == QLatin1String("line"))
                object = readLine();
            else if (tag == QLatin1String("rect"))
                object = readRect();
            else if (tag == QLatin1String("picture"))
                object = readPicture();
            else
                return fail(
                    QStringLiteral("неизвестный объект <%1> (text, line, rect, picture)").arg(tag));
            if (!object) return false;
            if (!onPaper(object->rect, s))
                return failAt(line, QStringLiteral("объект выходит за край листа (%1 x %2 мм)")
                                        .arg(s.width())
                                        .arg(s.height()));
            object->sourceLine = int(line);
            if (!object->name().isEmpty()) {
                const auto [it, added] = names.emplace(object->name(), line);
                if (!added)
                    return failAt(line, QStringLiteral("имя «%1» уже есть у объекта в строке %2")
                                            .arg(object->name())
                                            .arg(it->second));
            }
            page.objects.push_back(std::move(object));
        }
        return !m_xml.hasError() || xmlFail();
    }

    std::unique_ptr<TReportObject> readText() {
        auto t = std::make_unique<TReportTextObject>();
        const QXmlStreamAttributes a = m_xml.attributes();
        if (!checkAttributes({"name", "rect", "font", "size", "bold", "italic", "underline",
                              "align", "valign", "frame", "frame-width", "wrap", "stretch", "color",
                              "fill"}))
            return nullptr;
        t->setName(a.value(QLatin1String("name")).toString());
        if (!readRectAttr(t->rect)) return nullptr;
        if (a.hasAttribute(QLatin1String("font")))
            t->fontFamily = a.value(QLatin1String("font")).toString();
        if (!number(QStringLiteral("size"), t->fontSize, 1, 200)) return nullptr;
        if (!flag(QStringLiteral("bold"), t->bold) || !flag(QStringLiteral("italic"), t->italic) ||
            !flag(QStringLiteral("underline"), t->underline) || !readWrap(*t) ||
            !flag(QStringLiteral("stretch"), t->stretch))
            return nullptr;
        Qt::Alignment h = Qt::AlignLeft, v = Qt::AlignTop;
        const QString align = a.value(QLatin1String("align")).toString();
        if (align == QLatin1String("center"))
            h = Qt::AlignHCenter;
        else if (align == QLatin1String("right"))
            h = Qt::AlignRight;
        else if (!align.isEmpty() && align != QLatin1String("left"))
            return failNull(QStringLiteral("align: «%1» (left, center или right)").arg(align));
        const QString valign = a.value(QLatin1String("valign")).toString();
        if (valign == QLatin1String("middle"))
            v = Qt::AlignVCenter;
        else if (valign == QLatin1String("bottom"))
            v = Qt::AlignBottom;
        else if (!valign.isEmpty() && valign != QLatin1String("top"))
            return failNull(QStringLiteral("valign: «%1» (top, middle или bottom)").arg(valign));
        t->align = h | v;
        if (!readFrame(t->frame) || !number(QStringLiteral("frame-width"), t->frameWidth, 0, 10) ||
            !colour(QStringLiteral("color"), t->color) || !colour(QStringLiteral("fill"), t->fill))
            return nullptr;
        QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError()) return xmlFailNull();
        t->setText(tidyText(text));
        return t;
    }

    std::unique_ptr<TReportObject> readLine() {
        auto l = std::make_unique<TReportLineObject>();
        if (!checkAttributes({"name", "from", "to", "width", "color"})) return nullptr;
        l->setName(m_xml.attributes().value(QLatin1String("name")).toString());
        std::vector<double> from, to;
        if (!numbers(QStringLiteral("from"), 2, from) || !numbers(QStringLiteral("to"), 2, to))
            return nullptr;
        l->from = QPointF(from[0], from[1]);
        l->to = QPointF(to[0], to[1]);
        l->rect = QRectF(l->from, l->to).normalized();
        if (!number(QStringLiteral("width"), l->width, 0, 10) ||
            !colour(QStringLiteral("color"), l->color))
            return nullptr;
        return endEmpty(std::move(l));
    }

    std::unique_ptr<TReportObject> readRect() {
        auto r = std::make_unique<TReportRectObject>();
        if (!checkAttributes({"name", "rect", "width", "color", "fill"})) return nullptr;
        r->setName(m_xml.attributes().value(QLatin1String("name")).toString());
        if (!readRectAttr(r->rect) || !number(QStringLiteral("width"), r->width, 0, 10) ||
            !colour(QStringLiteral("color"), r->color) || !colour(QStringLiteral("fill"), r->fill))
            return nullptr;
        return endEmpty(std::move(r));
    }

    std::unique_ptr<TReportObject> readPicture() {
        auto p = std::make_unique<TReportPictureObject>();
        if (!checkAttributes({"name", "rect", "file"})) return nullptr;
        const QXmlStreamAttributes a = m_xml.attributes();
        p->setName(a.value(QLatin1String("name")).toString());
        if (!readRectAttr(p->rect)) return nullptr;
        const QString file = a.value(QLatin1String("file")).toString();
        const QString data =
            m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).trimmed();
        if (m_xml.hasError()) return xmlFailNull();
        if (!file.isEmpty()) {
            const QString full = QFileInfo(m_path).dir().filePath(file);
            // Only a plain file: a device ("/dev/zero") would be read without end.
            if (!QFileInfo(full).isFile() || !p->image.load(full))
                return failNull(QStringLiteral("рисунок «%1» не найден или не читается").arg(full));
        } else if (!data.isEmpty()) {
            if (!p->image.loadFromData(QByteArray::fromBase64(data.toLatin1())))
                return failNull(QStringLiteral("рисунок внутри шаблона не читается"));
        } else {
            return failNull(QStringLiteral("у рисунка нет ни file, ни данных"));
        }
        return p;
    }

    // Text between the tags: the lines trimmed of the indentation, blank first and last
    // lines dropped, so a template can be indented freely.
    static QString tidyText(const QString& raw) {
        QStringList lines = raw.split(QLatin1Char('\n'));
        for (QString& l : lines)
            l = l.trimmed();
        while (!lines.isEmpty() && lines.front().isEmpty())
            lines.removeFirst();
        while (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        return lines.join(QLatin1Char('\n'));
    }

    template <typename T> std::unique_ptr<TReportObject> endEmpty(std::unique_ptr<T> object) {
        m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError()) return xmlFailNull();
        return object;
    }

    bool checkAttributes(std::initializer_list<const char*> known) {
        for (const QXmlStreamAttribute& attr : m_xml.attributes()) {
            bool ok = false;
            for (const char* k : known)
                ok = ok || attr.name() == QLatin1String(k);
            if (!ok)
                return fail(
                    QStringLiteral("неизвестный атрибут %1 у <%2>").arg(attr.name(), m_xml.name()));
        }
        return true;
    }

    bool readRectAttr(QRectF& rect) {
        std::vector<double> r;
        if (!m_xml.attributes().hasAttribute(QLatin1String("rect")))
            return fail(QStringLiteral("нет атрибута rect"));
        if (!numbers(QStringLiteral("rect"), 4, r)) return false;
        if (r[2] <= 0 || r[3] <= 0)
            return fail(QStringLiteral("rect: ширина и высота должны быть больше нуля"));
        rect = QRectF(r[0], r[1], r[2], r[3]);
        return true;
    }

    bool readPaperSize(const QString& size, QSizeF& out) {
        static const std::map<QString, QPageSize::PageSizeId> named = {
            {QStringLiteral("A3"), QPageSize::A3},
            {QStringLiteral("A4"), QPageSize::A4},
            {QStringLiteral("A5"), QPageSize::A5},
            {QStringLiteral("A6"), QPageSize::A6},
            {QStringLiteral("B5"), QPageSize::B5},
            {QStringLiteral("Letter"), QPageSize::Letter},
            {QStringLiteral("Legal"), QPageSize::Legal}};
        if (const auto it = named.find(size); it != named.end()) {
            out = QPageSize::size(it->second, QPageSize::Millimeter);
            return true;
        }
        const QStringList parts = size.split(QLatin1Char('x'));
        bool okW = false, okH = false;
        if (parts.size() == 2) {
            const double w = parts[0].toDouble(&okW), h = parts[1].toDouble(&okH);
            if (okW && okH && std::isfinite(w) && std::isfinite(h) && w >= 20 && h >= 20 &&
                w <= 2000 && h <= 2000) {
                out = QSizeF(w, h);
                return true;
            }
        }
        return fail(
            QStringLiteral("size: «%1» (A3, A4, A5, A6, B5, Letter, Legal или ШИРИНАxВЫСОТА в мм)")
                .arg(size));
    }

    // wrap: yes (at word boundaries), no (each line of the text is one line), or list.
    bool readWrap(TReportTextObject& t) {
        if (m_xml.attributes().value(QLatin1String("wrap")) == QLatin1String("list")) {
            t.wordWrap = true;
            t.list = true;
            return true;
        }
        return flag(QStringLiteral("wrap"), t.wordWrap);
    }

    // Every object lies on the paper: a place off it is a typing error, and far off it
    // would have the layout chase it over pages.
    static bool onPaper(const QRectF& r, const QSizeF& paper) {
        constexpr double tolerance = 1e-9;
        return r.left() >= -tolerance && r.top() >= -tolerance &&
               r.right() <= paper.width() + tolerance && r.bottom() <= paper.height() + tolerance;
    }

    bool readFrame(unsigned& frame) {
        const QString text = m_xml.attributes().value(QLatin1String("frame")).toString();
        frame = 0;
        for (const QString& side :
             text.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts)) {
            if (side == QLatin1String("all"))
                frame |= fsAll;
            else if (side == QLatin1String("none"))
                continue;
            else if (side == QLatin1String("left"))
                frame |= fsLeft;
            else if (side == QLatin1String("top"))
                frame |= fsTop;
            else if (side == QLatin1String("right"))
                frame |= fsRight;
            else if (side == QLatin1String("bottom"))
                frame |= fsBottom;
            else
                return fail(
                    QStringLiteral("frame: «%1» (all, none, left, top, right, bottom)").arg(side));
        }
        return true;
    }

    bool numbers(const QString& attr, int count, std::vector<double>& out) {
        const QString text = m_xml.attributes().value(attr).toString();
        const QStringList parts =
            text.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
        out.clear();
        for (const QString& p : parts) {
            bool ok = false;
            const double v = p.toDouble(&ok);
            if (!ok || !std::isfinite(v) || v < -2000 || v > 2000) break;
            out.push_back(v);
        }
        if (int(out.size()) != count || parts.size() != count)
            return fail(
                QStringLiteral("%1: «%2» (нужно чисел в мм: %3)").arg(attr, text).arg(count));
        return true;
    }

    bool number(const QString& attr, double& out, double min, double max) {
        if (!m_xml.attributes().hasAttribute(attr)) return true;
        const QString text = m_xml.attributes().value(attr).toString();
        bool ok = false;
        const double v = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < min || v > max)
            return fail(
                QStringLiteral("%1: «%2» (число от %3 до %4)").arg(attr, text).arg(min).arg(max));
        out = v;
        return true;
    }

    bool flag(const QString& attr, bool& out) {
        if (!m_xml.attributes().hasAttribute(attr)) return true;
        const QString text = m_xml.attributes().value(attr).toString();
        if (text == QLatin1String("yes") || text == QLatin1String("true"))
            out = true;
        else if (text == QLatin1String("no") || text == QLatin1String("false"))
            out = false;
        else
            return fail(QStringLiteral("%1: «%2» (yes или no)").arg(attr, text));
        return true;
    }

    bool colour(const QString& attr, QColor& out) {
        if (!m_xml.attributes().hasAttribute(attr)) return true;
        const QString text = m_xml.attributes().value(attr).toString();
        const QColor c = QColor::fromString(text);
        if (!c.isValid())
            return fail(QStringLiteral("%1: «%2» (цвет #RRGGBB или имя)").arg(attr, text));
        out = c;
        return true;
    }

    bool fail(const QString& reason) {
        return failAt(m_xml.lineNumber(), reason, m_xml.columnNumber());
    }
    bool failAt(qint64 line, const QString& reason, qint64 column = 0) {
        if (m_fault.reason.isEmpty()) m_fault = {line, column, reason};
        return false;
    }
    std::nullptr_t failNull(const QString& reason) {
        fail(reason);
        return nullptr;
    }
    bool xmlFail() { return fail(m_xml.errorString()); }
    std::nullptr_t xmlFailNull() {
        xmlFail();
        return nullptr;
    }

    QXmlStreamReader m_xml;
    QString m_path;
    Fault m_fault;
};

QString damaged(const QString& path, const Fault& f) {
    QString where = QStringLiteral("строка %1").arg(f.line);
    if (f.column > 0) where += QStringLiteral(", столбец %1").arg(f.column);
    return QStringLiteral("Шаблон отчета «%1» поврежден: %2: %3")
        .arg(QDir::toNativeSeparators(path), where, f.reason);
}

} // namespace

Result parseReportTemplate(const QByteArray& bytes, const QString& path, TReportTemplate& out) {
    out.clear();
    QString text;
    Fault encodingFault;
    if (!decodeTemplate(bytes, text, encodingFault))
        return Result::failed(damaged(path, encodingFault));
    Parser parser(text, path);
    Fault fault;
    TReportTemplate loaded;
    if (!parser.parse(loaded, fault)) return Result::failed(damaged(path, fault));
    loaded.path = path;
    out = std::move(loaded);
    return {};
}

Result loadReportTemplate(const QString& path, TReportTemplate& out) {
    out.clear();
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return Result::failed(
            QStringLiteral("Не найден шаблон отчета «%1»").arg(QDir::toNativeSeparators(path)));
    if (!file.open(QIODevice::ReadOnly))
        return Result::failed(QStringLiteral("Шаблон отчета «%1» не читается: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    return parseReportTemplate(file.readAll(), path, out);
}

} // namespace vornelta
