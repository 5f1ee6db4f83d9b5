// The one way tests make a desk: a prepared program folder whose tables hold the
// announcements, run days and realty rows a test names, written the way the desk writes
// them, and a desk opened on it. Fields a row leaves unset stay empty.
#pragma once

#include "desk/Desk.h"
#include "desk/ProgramSetup.h"
#include "guisupport/GuiHelpers.h"
#include "storage/DorodDate.h"
#include "storage/DorodTable.h"
#include "tables/defs/TableDefinitions.h"

#include <QDate>
#include <QList>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace guisupport {

inline int dayOf(int year, int month, int day) {
    return dorod::dayNumberFromCivil(year, month, day);
}

struct AnnouncementRow {
    int id = 0;
    int indate = 0; // day number; 0 leaves the field empty
    QString client{};
    QString pasport{};
    QString tel{};
    QString clientCat{};
    QString oplata{};
    QString objCat{};
    QString text{};
    QString xml{};
    int slov = 0;
    double summa = 0;
    bool povt = false;
    QList<int> runDays{}; // day numbers, in the order of dates.d
};

struct RealtyRow {
    int date = 0; // day number
    QString tip, vid, text;
};

// Posts the announcement and its run days into the open desk's tables (not saved); the
// run-date view is left unfiltered meanwhile so that every row goes in.
inline void addAnnouncement(vornelta::TDesk& desk, const AnnouncementRow& a) {
    namespace field = vornelta::field;
    dorod::TDorodTable& t = desk.tData;
    t.Append();
    t.FieldByName(field::kId).SetAsInteger(a.id);
    if (a.indate) t.FieldByName(field::kIndate).SetAsDayNumber(a.indate);
    const std::pair<const char*, const QString*> texts[] = {
        {field::kClient, &a.client}, {field::kPasport, &a.pasport},
        {field::kTel, &a.tel},       {field::kClientCat, &a.clientCat},
        {field::kOplata, &a.oplata}, {field::kObjCat, &a.objCat},
        {field::kText, &a.text},     {field::kXml, &a.xml},
    };
    for (const auto& [name, value] : texts)
        if (!value->isEmpty()) t.FieldByName(name).SetAsString(cp1251(*value));
    t.FieldByName(field::kSlov).SetAsInteger(a.slov);
    t.FieldByName(field::kSumma).SetAsFloat(a.summa);
    t.FieldByName(field::kPovt).SetAsBoolean(a.povt);
    t.Post();
    const bool filtered = desk.tDates.Filtered();
    desk.tDates.SetFiltered(false);
    for (int day : a.runDays) {
        desk.tDates.Append();
        desk.tDates.FieldByName(field::kId).SetAsInteger(a.id);
        desk.tDates.FieldByName(field::kDate).SetAsDayNumber(day);
        desk.tDates.Post();
    }
    desk.tDates.SetFiltered(filtered);
}

inline void addRealtyRow(vornelta::TDesk& desk, const RealtyRow& r) {
    namespace field = vornelta::field;
    desk.tRielt.Append();
    desk.tRielt.FieldByName(field::kTip).SetAsString(cp1251(r.tip));
    desk.tRielt.FieldByName(field::kVid).SetAsString(cp1251(r.vid));
    desk.tRielt.FieldByName(field::kDate).SetAsDayNumber(r.date);
    desk.tRielt.FieldByName(field::kRealtyText).SetAsString(cp1251(r.text));
    desk.tRielt.Post();
}

class DeskBuilder {
public:
    explicit DeskBuilder(QString folder) : m_folder(std::move(folder)) {}

    DeskBuilder& announcement(const AnnouncementRow& row) {
        m_announcements << row;
        return *this;
    }
    DeskBuilder& announcements(const QList<AnnouncementRow>& rows) {
        m_announcements << rows;
        return *this;
    }
    DeskBuilder& realtyRow(const RealtyRow& row) {
        m_realty << row;
        return *this;
    }
    // The desk's today, for the desks open() makes.
    DeskBuilder& today(const QDate& day) {
        m_today = day;
        return *this;
    }

    // Prepares the program folder and writes the rows into its table files.
    void write() const {
        ASSERT_TRUE(vornelta::prepareProgramFolder(vornelta::ProgramFolder(m_folder)));
        vornelta::TDesk desk{vornelta::ProgramFolder(m_folder)};
        desk.open();
        for (const AnnouncementRow& a : m_announcements)
            addAnnouncement(desk, a);
        for (const RealtyRow& r : m_realty)
            addRealtyRow(desk, r);
        // Only the tables given rows are written: the others stay as a first start left them.
        if (!m_announcements.isEmpty()) {
            const vornelta::Result saved = desk.saveTables({&desk.tData, &desk.tDates});
            ASSERT_TRUE(saved) << saved.error().toStdString();
        }
        if (!m_realty.isEmpty()) {
            const vornelta::Result saved = desk.saveTables({&desk.tRielt});
            ASSERT_TRUE(saved) << saved.error().toStdString();
        }
    }

    // write(), then a desk opened on the folder, on its first announcement.
    std::unique_ptr<vornelta::TDesk> open() const {
        write();
        auto desk = std::make_unique<vornelta::TDesk>(vornelta::ProgramFolder(m_folder));
        if (m_today) desk->setClock([day = *m_today] { return day; });
        desk->open();
        return desk;
    }

private:
    QString m_folder;
    QList<AnnouncementRow> m_announcements;
    QList<RealtyRow> m_realty;
    std::optional<QDate> m_today;
};

} // namespace guisupport
