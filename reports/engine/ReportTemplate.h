// A report template (.frf) as loaded: pages with objects placed in millimetres from the
// top-left corner of the paper. The file is XML (docs/report-format.md), read with Qt's
// XML reader so every fault can be named by line and column.
#pragma once

#include "platform/Result.h"

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

namespace vornelta {

enum class TReportObjectKind { Text, Line, Rectangle, Picture };

class TReportObject {
public:
    explicit TReportObject(TReportObjectKind kind) : m_kind(kind) {}
    virtual ~TReportObject();
    TReportObjectKind kind() const { return m_kind; }

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    QRectF rect;        // mm; a line's bounding box
    int sourceLine = 0; // where it is written in the template

private:
    TReportObjectKind m_kind;
    QString m_name;
};

// Frame sides of a text object.
enum TFrameSide : unsigned { fsLeft = 1, fsTop = 2, fsRight = 4, fsBottom = 8, fsAll = 15 };

class TReportTextObject : public TReportObject {
public:
    TReportTextObject() : TReportObject(TReportObjectKind::Text) {}
    QString text() const { return m_text; }
    // The template's own text: its placeholders are filled when the pages are laid out.
    void setText(const QString& text) {
        m_text = text;
        m_plain = false;
    }
    // A value handed over by the program: data, printed as given, never read for
    // placeholders (a client named "[tData.Client]" prints as such).
    void setPlainText(const QString& text) {
        m_text = text;
        m_plain = true;
    }
    bool isPlainText() const { return m_plain; }

    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSize = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    unsigned frame = 0;      // TFrameSide bits
    double frameWidth = 0.2; // mm
    bool wordWrap = true;
    // A list written without blanks ("10.06.2004,11.06.2004"): lines break after its commas
    // and semicolons, never inside an item. Elsewhere a comma belongs to its word ("1,5").
    bool list = false;
    // Grows to fit its text, pushing the objects below down and flowing onto further pages.
    bool stretch = false;
    QColor color = Qt::black;
    QColor fill; // invalid: none

private:
    QString m_text;
    bool m_plain = false;
};

class TReportLineObject : public TReportObject {
public:
    TReportLineObject() : TReportObject(TReportObjectKind::Line) {}
    QPointF from, to; // mm
    double width = 0.2;
    QColor color = Qt::black;
};

class TReportRectObject : public TReportObject {
public:
    TReportRectObject() : TReportObject(TReportObjectKind::Rectangle) {}
    double width = 0.2; // 0: no outline
    QColor color = Qt::black;
    QColor fill;
};

class TReportPictureObject : public TReportObject {
public:
    TReportPictureObject() : TReportObject(TReportObjectKind::Picture) {}
    QImage image;
};

struct TReportPage {
    QSizeF paperSize{210, 297}; // mm, portrait (width ≤ height for standard sizes)
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10}; // mm; flowing content stays inside
    std::vector<std::unique_ptr<TReportObject>> objects;

    // The paper as it lies, orientation applied.
    QSizeF size() const;
    QPageLayout pageLayout() const;
};

struct TReportTemplate {
    QString path;
    QString title;
    std::vector<TReportPage> pages;

    void clear() {
        path.clear();
        title.clear();
        pages.clear();
    }
};

// Reads the template file. Fails with one message naming the file (and for a damaged
// one the line and column) when it is missing, unreadable or damaged; out is then empty.
Result loadReportTemplate(const QString& path, TReportTemplate& out);
// The same from bytes already read; path names the file in messages and is where the
// pictures' relative paths start.
Result parseReportTemplate(const QByteArray& bytes, const QString& path, TReportTemplate& out);

} // namespace vornelta
