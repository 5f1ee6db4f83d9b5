// The interval of days a window asks for: a caption and a date for the first day
// ("Label1", "DateFrom"), "по:" and a date for the last day ("Label2", "DateTo"). A window's
// Ui struct derives from it, so the controls keep their names there.
#pragma once

#include <QDate>
#include <QString>

#include <cstdint>

class QBoxLayout;
class QHBoxLayout;
class QDateEdit;
class QLabel;
class QWidget;

namespace vornelta {

struct TIntervalFields {
    QLabel* Label1 = nullptr;
    QDateEdit* DateFrom = nullptr;
    QLabel* Label2 = nullptr;
    QDateEdit* DateTo = nullptr;

    // Makes the four controls as children of `parent`; the labels are bold when asked.
    void create(QWidget* parent, const QString& fromCaption, const QDate& from, const QDate& to,
                bool boldLabels = false);

    // Adds a row of the four, in their order, to `outer`, with `gap` pixels before "по:";
    // gives the row for what a window puts after them.
    QHBoxLayout* addRow(QBoxLayout* outer, int gap = 0) const;

    // The chosen days as the engine counts them.
    int32_t firstDay() const;
    int32_t lastDay() const;
};

} // namespace vornelta
