// Laying out a template's pages and painting them. Text is broken into lines once, when
// the pages are prepared, and painted line by line, so the preview, the printer and the
// PDF show the same pages whatever their resolution.
#pragma once

#include "reports/engine/ReportTemplate.h"

#include <QLineF>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace vornelta {

// One object placed on a prepared page (mm from the paper's top-left corner).
struct TPreparedItem {
    const TReportObject* source = nullptr;
    QRectF rect;
    QLineF line;           // a line object
    QStringList lines;     // a text object's lines as they are painted
    double lineHeight = 0; // mm
    double fontSize = 0;   // points: a fixed box's text may be set smaller than designed
    unsigned frame = 0;    // sides drawn: a text split over pages is open where it continues
};

struct TPreparedPage {
    QPageLayout layout;
    QSizeF size; // mm, as the paper lies
    std::vector<TPreparedItem> items;
};

// The text of one placeholder ([dataset.field] or [dataset.field:format]); nothing with
// the reason in *error when it cannot be filled.
using TPlaceholderValue = std::function<std::optional<QString>(
    const QString& dataset, const QString& field, const QString& format, QString* error)>;

// Replaces the placeholders of a text; false with the reason when one cannot be filled.
// A '[' that does not start a placeholder stays as it is.
bool fillPlaceholders(const QString& text, const TPlaceholderValue& value, QString& out,
                      QString* error);

// Lays the template out. Placeholders are filled through value. Fails with a message
// naming the object when a placeholder cannot be filled or a text does not fit its box;
// out is then left as it was.
Result prepareReportPages(const TReportTemplate& report, const TPlaceholderValue& value,
                          std::vector<TPreparedPage>& out);

// How a word longer than the line is treated.
enum class TWordBreak { AnywhereIfNeeded, AtBoundariesOnly };

// Breaks a text into the lines that fit a width (mm) in the object's font (at its
// designed size unless one is given).
QStringList breakTextLines(const TReportTextObject& object, const QString& text, double widthMm);
QStringList breakTextLines(const TReportTextObject& object, const QString& text, double widthMm,
                           double pointSize, TWordBreak words);
// Line height of the object's font, mm.
double textLineHeight(const TReportTextObject& object);
double textLineHeight(const TReportTextObject& object, double pointSize);

// A text set in its box: the lines and the size they are painted at.
struct TFittedText {
    QStringList lines;
    double fontSize = 0;   // points
    double lineHeight = 0; // mm
};

// Sets a text in a box (mm) without losing any of it: at the designed size when it fits,
// else at the largest smaller size that does, down to kSmallestFontSize. Every line fits
// the width; in a box that does not stretch, all lines fit its height too. Nothing when
// even the smallest size does not fit.
std::optional<TFittedText> fitText(const TReportTextObject& object, const QString& text,
                                   QSizeF box);

// Paints the pages on a paged device (a printer or a PDF writer), one after another.
void paintReportPages(QPagedPaintDevice& device, const std::vector<TPreparedPage>& pages);

// Inner space of a text object between its rectangle and its lines, mm.
inline constexpr double kTextPaddingX = 1.0;
inline constexpr double kTextPaddingY = 0.5;
// Text is set no smaller than this (points) to fit its box, unless designed smaller.
inline constexpr double kSmallestFontSize = 5;

} // namespace vornelta
