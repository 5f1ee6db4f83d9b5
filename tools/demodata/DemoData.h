// Demo data: a program folder filled with announcements that look like a desk's recent
// work, so the program can be shown and tried without typing a single announcement.
//
// Written, in the program folder:
//   data.d       the announcements (ids 1…N in intake order, intake days up to "today")
//   dates.d      their run days, each from its announcement's intake day on
//   rielt.d      empty, with its fields
//   rielt_out.d  empty, with its fields
//   config.INI   sample prices, block texts and NAME (Windows-1251, CR LF)
// and the folders the program expects ("Шаблоны", "Тексты", "Отчеты").
//
// Everything is derived from the seed and the day taken as today, so the same options
// give the same files.
#pragma once

#include "desk/Settings.h"
#include "tools/workload/Workload.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace vornelta::demo {

inline constexpr size_t kDefaultAnnouncements = 300;
// The default intake days cover about four months up to today.
inline constexpr int32_t kDemoSpanDays = 120;

struct DemoOptions {
    QString folder;
    // The large workload: 200 000 announcements over three years, 2 000 000 run dates.
    bool large = false;
    uint64_t seed = workload::kDefaultSeed;
    size_t announcements = kDefaultAnnouncements; // without `large`
    int32_t today = 0;                            // day number; 0: the system's date
    bool force = false;                           // replace existing files
};

struct DemoSummary {
    size_t announcements = 0;
    size_t runDates = 0;
    int32_t firstIntakeDay = 0;
    int32_t lastIntakeDay = 0;
    int32_t lastRunDay = 0;
};

// Refused (existing files without `force`) or failed writes.
class DemoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The files the maker writes, by name.
const QStringList& demoFileNames();

// The settings written to config.INI (besides NAME). Whole roubles, so the file reads
// the same under any decimal separator.
TSettings demoSettings();

// What an announcement costs as the entry form proposes it: words × days × WordPrice,
// plus the repeat price once; free announcements cost nothing.
double demoPrice(const workload::Announcement& a, int runDays, const TSettings& settings);

// Fills the folder (created when missing). Throws DemoError when a file to be written
// exists and `force` is not set (nothing is written then), or when a write fails.
DemoSummary makeDemoFolder(const DemoOptions& options);

// Today's date as a day number of the engine.
int32_t todayDayNumber();

} // namespace vornelta::demo
