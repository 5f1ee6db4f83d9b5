// Deterministic workloads for benchmarks and demo data: the announcement table (data.d)
// and the run-date table (dates.d) filled with realistic Windows-1251 content.
//
// Everything is derived from a seed through the generator below, whose output is fixed
// by its own arithmetic (no standard-library distributions), so the same seed gives the
// same bytes on every compiler, library version and machine.
#pragma once

#include "storage/DorodCursor.h"
#include "storage/DorodField.h"
#include "tables/defs/TableDefinitions.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vornelta::workload {

inline constexpr uint64_t kDefaultSeed = 20240601;
inline constexpr size_t kLargeAnnouncements = 200000;
inline constexpr size_t kLargeRunDates = 2000000;
// Intake days of the large workload cover about three years.
inline constexpr int32_t kDefaultSpanDays = 3 * 365;

// splitmix64: small, fast, and good enough for test data.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= value < bound (bound > 0).
    uint64_t below(uint64_t bound) { return next() % bound; }
    // lo <= value <= hi.
    int64_t between(int64_t lo, int64_t hi) { return lo + int64_t(below(uint64_t(hi - lo) + 1)); }
    // 0.0 <= value < 1.0.
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double probability) { return unit() < probability; }

private:
    uint64_t m_state;
};

// One row of data.d. Texts are Windows-1251 bytes.
struct Announcement {
    int32_t id = 0;
    int32_t indate = 0; // day number (0001-01-01 is day 1)
    std::string client;
    std::string pasport;
    std::string tel;
    std::string text;
    std::string clientCat;
    std::string oplata;
    std::string objCat;
    std::string type;
    int32_t temp = 1;
    int32_t slov = 0;
    bool povt = false;
    std::string xml;
    double summa = 0.0;
};

// One row of dates.d.
struct RunDate {
    int32_t id = 0;
    int32_t date = 0; // day number
};

// What the run dates of an announcement need to know about it.
struct AnnouncementKey {
    int32_t id = 0;
    int32_t indate = 0;
};

// The store fields of data.d and dates.d, from their one definition.
std::vector<dorod::TDorodField> announcementFields();
std::vector<dorod::TDorodField> runDateFields();

// Word count of a text: space-separated tokens of at least 4 characters.
int32_t countWords(std::string_view text);

// The colour-run value of a text in one colour: marker, CR LF, the text.
std::string singleColourRuns(std::string_view text, uint32_t colour);

// Builds announcements one after another: ids 1, 2, ... and intake days rising evenly
// over the spanDays days that end with lastDay.
class AnnouncementGenerator {
public:
    AnnouncementGenerator(uint64_t seed, size_t total, int32_t lastDay = defaultLastDay(),
                          int32_t spanDays = kDefaultSpanDays);
    Announcement next();
    size_t produced() const { return m_produced; }
    // The intake day next() gives the announcement of this 0-based index, known before
    // it is generated (so run dates can be planned first).
    int32_t intakeDayOf(size_t index) const;

    // 2024-12-31: a fixed day, so that the data do not depend on when they are made.
    static int32_t defaultLastDay();

private:
    Random m_random;
    size_t m_total;
    size_t m_produced = 0;
    int32_t m_firstDay;
    int32_t m_lastDay;
};

// Exactly `count` run dates spread over the announcements: on average count/keys.size()
// per announcement, each announcement's days consecutive from its intake day, rows in
// announcement order.
std::vector<RunDate> makeRunDates(const std::vector<AnnouncementKey>& keys, size_t count,
                                  uint64_t seed);

// Appends rows to a store whose fields are already defined, finding the fields by name
// (letter case ignored), so that any layout holding the announcement fields will do.
// Throws std::invalid_argument when a field is missing.
class AnnouncementAppender {
public:
    explicit AnnouncementAppender(dorod::TDorodCursor& cursor);
    ~AnnouncementAppender();
    AnnouncementAppender(const AnnouncementAppender&) = delete;
    AnnouncementAppender& operator=(const AnnouncementAppender&) = delete;
    void append(const Announcement& a);

private:
    struct Fields;
    dorod::TDorodCursor& m_cursor;
    std::unique_ptr<Fields> m_fields;
};

class RunDateAppender {
public:
    explicit RunDateAppender(dorod::TDorodCursor& cursor);
    ~RunDateAppender();
    RunDateAppender(const RunDateAppender&) = delete;
    RunDateAppender& operator=(const RunDateAppender&) = delete;
    void append(const RunDate& d);

private:
    struct Fields;
    dorod::TDorodCursor& m_cursor;
    std::unique_ptr<Fields> m_fields;
};

// Table filling: defines the fields of the table and appends the rows as stored
// records (the store is emptied first).
void fillAnnouncementTable(dorod::TDorodCursor& cursor, const std::vector<Announcement>& rows);
// Generates `count` announcements straight into the store without keeping them, and
// returns their keys (for the run dates).
std::vector<AnnouncementKey> fillAnnouncementTable(dorod::TDorodCursor& cursor, size_t count,
                                                   uint64_t seed);
void fillRunDateTable(dorod::TDorodCursor& cursor, const std::vector<RunDate>& rows);

// The written files of a workload.
struct WorkloadFiles {
    std::string dataPath;  // <folder>/data.d
    std::string datesPath; // <folder>/dates.d
    uint64_t dataBytes = 0;
    uint64_t datesBytes = 0;
    size_t announcements = 0;
    size_t runDates = 0;
};

// Writes data.d and dates.d into an existing folder (replacing files of those names).
// Throws std::runtime_error when a file cannot be written.
WorkloadFiles writeLargeWorkload(const std::string& folder,
                                 size_t announcements = kLargeAnnouncements,
                                 size_t runDates = kLargeRunDates, uint64_t seed = kDefaultSeed);

} // namespace vornelta::workload
