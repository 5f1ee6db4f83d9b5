#include "reports/engine/ReportLayout.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace vornelta {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kEpsilon = 1e-6;
// Text is measured at this resolution; unhinted fonts scale linearly, so the lines
// measured here fit at any resolution they are painted at.
constexpr int kMeasureDpi = 1200;

const QPaintDevice& measureDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = int(std::lround(kMeasureDpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

QFont fontOf(const TReportTextObject& o, double pointSize) {
    QFont font(o.fontFamily);
    font.setPointSizeF(pointSize);
    font.setBold(o.bold);
    font.setItalic(o.italic);
    font.setUnderline(o.underline);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double mmToMeasure(double mm) {
    return mm * kMeasureDpi / kMmPerInch;
}
double measureToMm(double px) {
    return px * kMmPerInch / kMeasureDpi;
}

} // namespace

bool fillPlaceholders(const QString& text, const TPlaceholderValue& value, QString& out,
                      QString* error) {
    static const QRegularExpression placeholder(QStringLiteral(
        "\\[([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)(?::([^\\]\\n]*))?\\]"));
    out.clear();
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(from, m.capturedStart() - from);
        const std::optional<QString> v = value(m.captured(1), m.captured(2), m.captured(3), error);
        if (!v) return false;
        out += *v;
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return true;
}

double textLineHeight(const TReportTextObject& object) {
    return textLineHeight(object, object.fontSize);
}

double textLineHeight(const TReportTextObject& object, double pointSize) {
    return measureToMm(QFontMetricsF(fontOf(object, pointSize), &measureDevice()).lineSpacing());
}

QStringList breakTextLines(const TReportTextObject& object, const QString& text, double widthMm) {
    return breakTextLines(object, text, widthMm, object.fontSize, TWordBreak::AnywhereIfNeeded);
}

QStringList breakTextLines(const TReportTextObject& object, const QString& text, double widthMm,
                           double pointSize, TWordBreak words) {
    const QFont font = fontOf(object, pointSize);
    const double width = std::max(1.0, mmToMeasure(widthMm));
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (!object.wordWrap || paragraph.isEmpty()) {
            lines << paragraph;
            continue;
        }
        // A list written without spaces ("10.06.2004,11.06.2004") breaks after its
        // separators, not inside an item: a zero-width space marks the chance.
        QString marked = paragraph;
        if (object.list) {
            static const QRegularExpression separator(QStringLiteral("([,;])(?=\\S)"));
            marked.replace(separator, QStringLiteral("\\1\u200B"));
        }
        QTextLayout layout(marked, font, &measureDevice());
        QTextOption option;
        option.setWrapMode(words == TWordBreak::AnywhereIfNeeded
                               ? QTextOption::WrapAtWordBoundaryOrAnywhere
                               : QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString piece = marked.mid(line.textStart(), line.textLength());
            piece.remove(QChar(0x200B));
            while (piece.endsWith(QLatin1Char(' ')))
                piece.chop(1);
            lines << piece;
        }
        layout.endLayout();
    }
    return lines;
}

double widestLine(const TReportTextObject& object, const QStringList& lines, double pointSize) {
    const QFontMetricsF metrics(fontOf(object, pointSize), &measureDevice());
    double widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return measureToMm(widest);
}

std::optional<TFittedText> fitText(const TReportTextObject& object, const QString& text,
                                   QSizeF box) {
    const double width = box.width() - 2 * kTextPaddingX;
    // A box that stretches grows to any height and may break a long word anywhere; a fixed
    // one keeps words whole, so a number is never split over its lines.
    const TWordBreak words =
        object.stretch ? TWordBreak::AnywhereIfNeeded : TWordBreak::AtBoundariesOnly;
    auto attempt = [&](double size) {
        TFittedText fitted;
        fitted.fontSize = size;
        fitted.lineHeight = textLineHeight(object, size);
        fitted.lines = breakTextLines(object, text, width, size, words);
        return fitted;
    };
    auto fits = [&](const TFittedText& f) {
        if (widestLine(object, f.lines, f.fontSize) > width + kEpsilon) return false;
        return object.stretch ||
               f.lines.size() * f.lineHeight + 2 * kTextPaddingY <= box.height() + kEpsilon;
    };
    TFittedText designed = attempt(object.fontSize);
    // Blank text loses nothing when it is cut.
    if (fits(designed) || text.trimmed().isEmpty()) return designed;
    const double smallest = std::min(object.fontSize, kSmallestFontSize);
    TFittedText best = attempt(smallest);
    if (!fits(best)) return std::nullopt;
    // The largest size that fits, to a tenth of a point: smaller text fits in fewer
    // lines of less height, so the sizes that fit lie below those that do not.
    double low = smallest, high = object.fontSize;
    while (high - low > 0.1) {
        const double middle = (low + high) / 2;
        TFittedText f = attempt(middle);
        if (fits(f)) {
            low = middle;
            best = std::move(f);
        } else {
            high = middle;
        }
    }
    return best;
}

namespace {

// An object with its place on the endless page the template page grows into when
// stretching texts push what lies below them down.
struct Block {
    const TReportObject* object = nullptr;
    double top = 0;    // mm on the endless page
    double height = 0; // mm
    double shift = 0;  // how far it moved down
    QStringList lines;
    double lineHeight = 0;
    double fontSize = 0;
    bool splittable = false;
};

bool layOutTemplatePage(const TReportPage& page, const TPlaceholderValue& value,
                        const QString& path, std::vector<TPreparedPage>& out, QString* error) {
    std::vector<const TReportObject*> order;
    for (const auto& o : page.objects)
        order.push_back(o.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const TReportObject* a, const TReportObject* b) {
                         return a->rect.top() < b->rect.top();
                     });

    // Growth of the stretching texts: everything whose top lies at or below a text's
    // bottom moves down by as much as that text grew.
    std::vector<std::pair<double, double>> growths; // original bottom, growth
    std::vector<Block> blocks;
    for (const TReportObject* o : order) {
        Block b;
        b.object = o;
        for (const auto& [bottom, growth] : growths)
            if (bottom <= o->rect.top() + kEpsilon) b.shift += growth;
        b.top = o->rect.top() + b.shift;
        b.height = o->rect.height();
        if (o->kind() == TReportObjectKind::Text) {
            const auto& t = static_cast<const TReportTextObject&>(*o);
            auto objectFault = [&](const QString& reason) {
                if (error)
                    *error = QStringLiteral("Шаблон отчета «%1», объект «%2» (строка %3): %4")
                                 .arg(path, t.name())
                                 .arg(t.sourceLine)
                                 .arg(reason);
                return false;
            };
            // A value the program set is data; the template's own text is filled in.
            QString text = t.text();
            QString reason;
            if (!t.isPlainText() && !fillPlaceholders(t.text(), value, text, &reason))
                return objectFault(reason);
            const std::optional<TFittedText> fitted = fitText(t, text, o->rect.size());
            if (!fitted)
                return objectFault(
                    QStringLiteral("текст «%1» не помещается в рамку даже шрифтом %2 пт")
                        .arg(text.size() > 40 ? text.left(40) + QStringLiteral("…") : text)
                        .arg(std::min(t.fontSize, kSmallestFontSize)));
            b.lines = fitted->lines;
            b.lineHeight = fitted->lineHeight;
            b.fontSize = fitted->fontSize;
            const double needed = b.lines.size() * b.lineHeight + 2 * kTextPaddingY;
            if (t.stretch) {
                b.splittable = true;
                if (needed > b.height) {
                    growths.emplace_back(o->rect.bottom(), needed - b.height);
                    b.height = needed;
                }
            }
        }
        blocks.push_back(std::move(b));
    }
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const Block& a, const Block& b) { return a.top < b.top; });

    const QSizeF size = page.size();
    const double bottomLimit = size.height() - page.margins.bottom();
    const double contentTop = page.margins.top();

    // The endless page cut into paper pages: page k shows the endless page from
    // starts[k] on at the top margin (the first page shows it as designed).
    std::vector<double> starts;
    const size_t firstOut = out.size();
    auto newPage = [&](double start) {
        starts.push_back(start);
        TPreparedPage p;
        p.layout = page.pageLayout();
        p.size = size;
        out.push_back(std::move(p));
    };
    newPage(-1e9);
    auto pageOf = [&](double top) {
        size_t k = 0;
        while (k + 1 < starts.size() && starts[k + 1] <= top + kEpsilon)
            ++k;
        return k;
    };
    auto paperY = [&](size_t k, double top) { return k == 0 ? top : top - starts[k] + contentTop; };

    for (const Block& b : blocks) {
        size_t k = pageOf(b.top);
        double y = paperY(k, b.top);
        const bool fits = y + b.height <= bottomLimit + kEpsilon;
        const bool atPageTop = k > 0 && y <= contentTop + kEpsilon;

        TPreparedItem item;
        item.source = b.object;
        if (b.object->kind() == TReportObjectKind::Text) {
            item.frame = static_cast<const TReportTextObject*>(b.object)->frame;
            item.lineHeight = b.lineHeight;
            item.fontSize = b.fontSize;
        }

        if (!fits && b.splittable && b.lines.size() > 0) {
            // Flows on: as many lines as fit on each page, the frame open where it goes on.
            int done = 0;
            bool first = true;
            while (done < int(b.lines.size())) {
                const double room = bottomLimit - y - 2 * kTextPaddingY;
                int n = std::min(int(b.lines.size()) - done,
                                 int(std::floor((room + kEpsilon) / b.lineHeight)));
                if (n <= 0 && y <= contentTop + kEpsilon) n = 1; // a page shows at least one line
                if (n > 0) {
                    TPreparedItem chunk = item;
                    chunk.lines = b.lines.mid(done, n);
                    const bool last = done + n == int(b.lines.size());
                    double h = n * b.lineHeight + 2 * kTextPaddingY;
                    if (last) h = std::max(h, b.top + b.height - (first ? b.top : starts[k]));
                    chunk.rect = QRectF(b.object->rect.left(), y, b.object->rect.width(), h);
                    if (!first) chunk.frame &= ~unsigned(fsTop);
                    if (!last) chunk.frame &= ~unsigned(fsBottom);
                    out[firstOut + k].items.push_back(chunk);
                    done += n;
                    first = false;
                    if (last) break;
                }
                // The rest goes on a page of its own, starting where its next line starts.
                const double next = b.top + done * b.lineHeight;
                if (k + 1 < starts.size()) {
                    ++k;
                } else {
                    newPage(next);
                    k = starts.size() - 1;
                }
                y = paperY(k, next);
            }
            continue;
        }
        if (!fits && !atPageTop && b.height <= bottomLimit - contentTop) {
            // A whole object that does not fit begins the next page.
            if (k + 1 < starts.size()) {
                ++k;
            } else {
                newPage(b.top);
                k = starts.size() - 1;
            }
            y = std::max(paperY(k, b.top), contentTop);
        }
        const double dy = y - b.object->rect.top();
        item.rect = QRectF(b.object->rect.left(), y, b.object->rect.width(), b.height);
        if (b.object->kind() == TReportObjectKind::Line) {
            const auto& l = static_cast<const TReportLineObject&>(*b.object);
            item.line = QLineF(l.from, l.to).translated(0, dy);
        }
        item.lines = b.lines;
        out[firstOut + k].items.push_back(item);
    }
    return true;
}

void paintText(QPainter& painter, const TPreparedItem& item, double scale) {
    const auto& t = static_cast<const TReportTextObject&>(*item.source);
    const QRectF r(item.rect.left() * scale, item.rect.top() * scale, item.rect.width() * scale,
                   item.rect.height() * scale);
    if (t.fill.isValid()) painter.fillRect(r, t.fill);
    if (!item.lines.isEmpty()) {
        const QFont font = fontOf(t, item.fontSize);
        const QFontMetricsF metrics(font, painter.device());
        const double lineHeight = item.lineHeight * scale;
        const double textHeight = item.lines.size() * lineHeight;
        const double padX = kTextPaddingX * scale, padY = kTextPaddingY * scale;
        double y = r.top() + padY;
        if (t.align & Qt::AlignVCenter)
            y = r.top() + std::max(padY, (r.height() - textHeight) / 2);
        else if (t.align & Qt::AlignBottom)
            y = r.top() + std::max(padY, r.height() - padY - textHeight);
        painter.save();
        painter.setClipRect(r);
        painter.setFont(font);
        painter.setPen(t.color);
        for (const QString& line : item.lines) {
            const double advance = metrics.horizontalAdvance(line);
            double x = r.left() + padX;
            if (t.align & Qt::AlignHCenter)
                x = r.left() + (r.width() - advance) / 2;
            else if (t.align & Qt::AlignRight)
                x = r.right() - padX - advance;
            painter.drawText(QPointF(x, y + metrics.ascent()), line);
            y += lineHeight;
        }
        painter.restore();
    }
    if (item.frame) {
        painter.save();
        QPen pen(t.color, std::max(1.0, t.frameWidth * scale));
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        if (item.frame & fsLeft) painter.drawLine(r.topLeft(), r.bottomLeft());
        if (item.frame & fsTop) painter.drawLine(r.topLeft(), r.topRight());
        if (item.frame & fsRight) painter.drawLine(r.topRight(), r.bottomRight());
        if (item.frame & fsBottom) painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.restore();
    }
}

void paintPage(QPainter& painter, const TPreparedPage& page) {
    const double scale = painter.device()->logicalDpiX() / kMmPerInch;
    painter.setRenderHint(QPainter::Antialiasing);
    for (const TPreparedItem& item : page.items) {
        const QRectF r(item.rect.left() * scale, item.rect.top() * scale, item.rect.width() * scale,
                       item.rect.height() * scale);
        switch (item.source->kind()) {
        case TReportObjectKind::Text:
            paintText(painter, item, scale);
            break;
        case TReportObjectKind::Line: {
            const auto& l = static_cast<const TReportLineObject&>(*item.source);
            painter.setPen(QPen(l.color, std::max(1.0, l.width * scale)));
            painter.drawLine(QLineF(item.line.p1() * scale, item.line.p2() * scale));
            break;
        }
        case TReportObjectKind::Rectangle: {
            const auto& rect = static_cast<const TReportRectObject&>(*item.source);
            if (rect.fill.isValid()) painter.fillRect(r, rect.fill);
            if (rect.width > 0) {
                painter.setPen(QPen(rect.color, std::max(1.0, rect.width * scale)));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(r);
            }
            break;
        }
        case TReportObjectKind::Picture: {
            const auto& p = static_cast<const TReportPictureObject&>(*item.source);
            if (p.image.isNull()) break;
            // Kept in proportion, centred in its box.
            QSizeF s = p.image.size();
            s.scale(r.size(), Qt::KeepAspectRatio);
            const QRectF target(r.left() + (r.width() - s.width()) / 2,
                                r.top() + (r.height() - s.height()) / 2, s.width(), s.height());
            painter.drawImage(target, p.image);
            break;
        }
        }
    }
}

} // namespace

Result prepareReportPages(const TReportTemplate& report, const TPlaceholderValue& value,
                          std::vector<TPreparedPage>& out) {
    std::vector<TPreparedPage> pages;
    QString error;
    for (const TReportPage& page : report.pages)
        if (!layOutTemplatePage(page, value, report.path, pages, &error))
            return Result::failed(error);
    out = std::move(pages);
    return {};
}

void paintReportPages(QPagedPaintDevice& device, const std::vector<TPreparedPage>& pages) {
    if (pages.empty()) return;
    device.setPageLayout(pages.front().layout);
    QPainter painter(&device);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            if (!pages[i].layout.isEquivalentTo(pages[i - 1].layout))
                device.setPageLayout(pages[i].layout);
            device.newPage();
        }
        paintPage(painter, pages[i]);
    }
}

} // namespace vornelta
