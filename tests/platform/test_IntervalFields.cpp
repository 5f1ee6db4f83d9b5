// The interval part that the realty export, the period report and the chart windows share.
#include "platform/IntervalFields.h"
#include "storage/DorodDate.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace vornelta;

namespace {

TEST(IntervalFields, ControlsCarryTheirNamesCaptionsAndDates) {
    QWidget window;
    TIntervalFields fields;
    fields.create(&window, QStringLiteral("Интервал с:"), QDate(2026, 12, 1), QDate(2026, 12, 9));

    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label1")), fields.Label1);
    EXPECT_EQ(window.findChild<QDateEdit*>(QStringLiteral("DateFrom")), fields.DateFrom);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label2")), fields.Label2);
    EXPECT_EQ(window.findChild<QDateEdit*>(QStringLiteral("DateTo")), fields.DateTo);
    EXPECT_EQ(fields.Label1->text(), QStringLiteral("Интервал с:"));
    EXPECT_EQ(fields.Label2->text(), QStringLiteral("по:"));
    EXPECT_EQ(fields.DateFrom->date(), QDate(2026, 12, 1));
    EXPECT_EQ(fields.DateTo->date(), QDate(2026, 12, 9));
    EXPECT_EQ(fields.DateFrom->displayFormat(), QStringLiteral("dd.MM.yyyy"));
    EXPECT_TRUE(fields.DateTo->calendarPopup());
    EXPECT_FALSE(fields.Label1->font().bold());
}

TEST(IntervalFields, BoldLabelsWhenAsked) {
    QWidget window;
    TIntervalFields fields;
    fields.create(&window, QStringLiteral("С:"), QDate(2026, 12, 9), QDate(2026, 12, 9), true);
    EXPECT_TRUE(fields.Label1->font().bold());
    EXPECT_TRUE(fields.Label2->font().bold());
}

TEST(IntervalFields, RowKeepsTheOrderOfTheControls) {
    QWidget window;
    TIntervalFields fields;
    fields.create(&window, QStringLiteral("С:"), QDate(2026, 12, 9), QDate(2026, 12, 9));
    auto* outer = new QVBoxLayout(&window);
    QHBoxLayout* row = fields.addRow(outer, 12);
    ASSERT_EQ(outer->count(), 1);
    EXPECT_EQ(outer->itemAt(0)->layout(), row);
    ASSERT_EQ(row->count(), 5);
    EXPECT_EQ(row->itemAt(0)->widget(), fields.Label1);
    EXPECT_EQ(row->itemAt(1)->widget(), fields.DateFrom);
    EXPECT_NE(row->itemAt(2)->spacerItem(), nullptr);
    EXPECT_EQ(row->itemAt(3)->widget(), fields.Label2);
    EXPECT_EQ(row->itemAt(4)->widget(), fields.DateTo);
}

TEST(IntervalFields, DaysAreTheEngineDayNumbersOfTheChosenDates) {
    QWidget window;
    TIntervalFields fields;
    fields.create(&window, QStringLiteral("С:"), QDate(2026, 12, 9), QDate(2026, 12, 9));
    const QDate dates[][2] = {{QDate(2026, 12, 1), QDate(2026, 12, 31)},
                              {QDate(2024, 2, 29), QDate(2024, 3, 1)},
                              {QDate(1999, 12, 31), QDate(2000, 1, 1)}};
    for (const auto& [from, to] : dates) {
        SCOPED_TRACE(from.toString(Qt::ISODate).toStdString());
        fields.DateFrom->setDate(from);
        fields.DateTo->setDate(to);
        EXPECT_EQ(fields.firstDay(),
                  dorod::dayNumberFromCivil(from.year(), from.month(), from.day()));
        EXPECT_EQ(fields.lastDay(), dorod::dayNumberFromCivil(to.year(), to.month(), to.day()));
        EXPECT_EQ(fields.lastDay() - fields.firstDay(), from.daysTo(to));
    }
}

} // namespace
