#include "tools/demodata/DemoData.h"

#include "desk/ProgramSetup.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "platform/TextCodec.h"
#include "storage/DorodDate.h"
#include "storage/DorodTable.h"
#include "tables/AnnouncementTables.h"
#include "tables/ColourRuns.h"
#include "tables/RealtyTables.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace vornelta::demo {

namespace {

using workload::Announcement;
using workload::AnnouncementKey;
using workload::Random;
using workload::RunDate;

// A stream of its own for the demo's choices, so the announcements' contents are those
// of the workload generator for the same seed.
constexpr uint64_t kDemoStream = 0x6A09E667F3BCC909ull;

constexpr int kHighlights[] = {kColourRed, kColourYellow, kColourOrange, kColourGreen};

constexpr int kSunday = 7; // ISO day of the week

std::string encodedPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void defineFields(dorod::TDorodCursor& cursor, const TTableDefinition& table) {
    std::string message;
    if (!cursor.DefineFields(table.storeFields(), message)) throw DemoError(message);
}

void save(dorod::TDorodCursor& cursor, const QString& path) {
    std::string message;
    if (!cursor.SaveToFile(encodedPath(path), 0, false, {}, message))
        throw DemoError("cannot write " + encodedPath(path) + ": " + message);
}

int isoWeekday(int32_t day) {
    const dorod::CivilDate c = dorod::civilFromDayNumber(day);
    return QDate(c.year, c.month, c.day).dayOfWeek();
}

// Colours per character: mostly plain white, some with the first word or the telephone
// picked out, a few wholly in one colour.
QList<int> chooseColours(Random& r, const QString& text, const QString& tel) {
    QList<int> colours(text.size(), kColourWhite);
    const int highlight = kHighlights[r.below(std::size(kHighlights))];
    const uint64_t kind = r.below(100);
    const qsizetype firstBlank = text.indexOf(QLatin1Char(' '));
    const qsizetype telAt = tel.isEmpty() ? -1 : text.lastIndexOf(tel);
    const auto paint = [&](qsizetype from, qsizetype length, int colour) {
        for (qsizetype i = from; i < from + length && i < colours.size(); ++i)
            colours[i] = colour;
    };
    if (kind < 65) return colours;
    if (kind < 80) {
        if (firstBlank > 0) paint(0, firstBlank, highlight);
    } else if (kind < 90) {
        if (telAt >= 0) paint(telAt, tel.size(), kColourYellow);
    } else if (kind < 97) {
        paint(0, text.size(), highlight);
    } else {
        if (firstBlank > 0) paint(0, firstBlank, kColourRed);
        if (telAt >= 0) paint(telAt, tel.size(), kColourYellow);
    }
    return colours;
}

// Regular clients come back: some announcements reuse an earlier client with the
// category and payment that client had.
class ClientBook {
public:
    void apply(Random& r, Announcement& a) {
        if (!m_clients.empty() && r.chance(0.15)) {
            const Client& c = m_clients[r.below(m_clients.size())];
            a.client = c.client;
            a.pasport = c.pasport;
            a.clientCat = c.clientCat;
            a.oplata = c.oplata;
            return;
        }
        Client c{a.client, a.pasport, a.clientCat, a.oplata};
        if (m_clients.size() < kKept)
            m_clients.push_back(std::move(c));
        else
            m_clients[m_next++ % kKept] = std::move(c);
    }

private:
    struct Client {
        std::string client, pasport, clientCat, oplata;
    };
    static constexpr size_t kKept = 500;
    std::vector<Client> m_clients;
    size_t m_next = 0;
};

// Finishes a generated announcement: client, colour runs and price.
void finish(Random& r, ClientBook& clients, Announcement& a, int runDays,
            const TSettings& settings) {
    clients.apply(r, a);
    const QString text = toQt(a.text);
    a.xml = fromQt(encodeColourRuns(text, chooseColours(r, text, toQt(a.tel))));
    a.summa = demoPrice(a, runDays, settings);
}

// Intake days of n announcements over the span ending today, rising with the ids; the
// desk is closed on Sundays, and the last announcement is taken today.
std::vector<int32_t> intakeDays(Random& r, size_t n, int32_t today) {
    std::vector<int32_t> open;
    for (int32_t d = today - kDemoSpanDays + 1; d < today; ++d)
        if (isoWeekday(d) != kSunday) open.push_back(d);
    std::vector<int32_t> days(n);
    for (size_t i = 0; i < n; ++i)
        days[i] = open[r.below(open.size())];
    std::sort(days.begin(), days.end());
    if (n > 0) days.back() = today;
    return days;
}

// Run days of one announcement: a few days to two weeks, daily or every other day,
// from the intake day or the day after.
std::vector<int32_t> runDays(Random& r, int32_t indate) {
    const uint64_t band = r.below(100);
    const int count = band < 10   ? 1
                      : band < 25 ? 3
                      : band < 45 ? 5
                      : band < 70 ? 7
                      : band < 85 ? 10
                                  : 14;
    const int32_t start = indate + (r.chance(0.6) ? 1 : 0);
    const int step = r.chance(0.2) ? 2 : 1;
    std::vector<int32_t> days(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        days[size_t(k)] = start + k * step;
    return days;
}

struct Tables {
    dorod::TDorodCursor data;
    dorod::TDorodCursor dates;
    DemoSummary summary;
};

void fillSmall(Tables& t, const DemoOptions& o, const TSettings& settings) {
    Random r(o.seed ^ kDemoStream);
    ClientBook clients;
    workload::AnnouncementGenerator generator(o.seed, o.announcements, o.today, kDemoSpanDays);
    workload::AnnouncementAppender data(t.data);
    workload::RunDateAppender dates(t.dates);
    const std::vector<int32_t> intake = intakeDays(r, o.announcements, o.today);
    for (size_t i = 0; i < o.announcements; ++i) {
        Announcement a = generator.next();
        a.id = int32_t(i + 1);
        a.indate = intake[i];
        const std::vector<int32_t> days = runDays(r, a.indate);
        finish(r, clients, a, int(days.size()), settings);
        data.append(a);
        for (int32_t d : days) {
            dates.append(RunDate{a.id, d});
            t.summary.lastRunDay = std::max(t.summary.lastRunDay, d);
        }
        t.summary.runDates += days.size();
    }
    t.summary.announcements = o.announcements;
    if (!intake.empty()) {
        t.summary.firstIntakeDay = intake.front();
        t.summary.lastIntakeDay = intake.back();
    }
}

void fillLarge(Tables& t, const DemoOptions& o, const TSettings& settings) {
    const size_t n = workload::kLargeAnnouncements;
    workload::AnnouncementGenerator generator(o.seed, n, o.today, workload::kDefaultSpanDays);
    // The run dates first, for the prices.
    std::vector<AnnouncementKey> keys(n);
    for (size_t i = 0; i < n; ++i)
        keys[i] = AnnouncementKey{int32_t(i + 1), generator.intakeDayOf(i)};
    const std::vector<RunDate> rows =
        workload::makeRunDates(keys, workload::kLargeRunDates, o.seed);
    std::vector<int> daysOf(n + 1);
    for (const RunDate& d : rows)
        ++daysOf[size_t(d.id)];

    Random r(o.seed ^ kDemoStream);
    ClientBook clients;
    workload::AnnouncementAppender data(t.data);
    for (size_t i = 0; i < n; ++i) {
        Announcement a = generator.next();
        finish(r, clients, a, daysOf[size_t(a.id)], settings);
        data.append(a);
    }
    workload::RunDateAppender dates(t.dates);
    for (const RunDate& d : rows) {
        dates.append(d);
        t.summary.lastRunDay = std::max(t.summary.lastRunDay, d.date);
    }
    t.summary.announcements = n;
    t.summary.runDates = rows.size();
    t.summary.firstIntakeDay = keys.front().indate;
    t.summary.lastIntakeDay = keys.back().indate;
}

void writeConfig(const QString& path, const TSettings& settings) {
    // NAME first, as an owner would put it; SaveConfig then adds the ten keys it owns.
    IniFile ini;
    ini.setValue(QStringLiteral("General"), QStringLiteral("NAME"), settings.NAME);
    QString error;
    if (!ini.save(path, &error))
        throw DemoError("cannot write " + encodedPath(path) + ": " + error.toStdString());
    if (const Result saved = SaveConfig(path, settings); !saved)
        throw DemoError("cannot write " + encodedPath(path) + ": " + saved.error().toStdString());
}

} // namespace

const QStringList& demoFileNames() {
    static const QStringList names{QString::fromLatin1(kAnnouncementFileName),
                                   QString::fromLatin1(kRunDateFileName),
                                   QString::fromLatin1(kRealtyFileName),
                                   QString::fromLatin1(kRealtyOutFileName), kConfigFileName};
    return names;
}

TSettings demoSettings() {
    TSettings s;
    s.WordPrice = 6;
    s.WordPriceP = 8;
    s.WordPriceUr = 10;
    s.PricePovtor = 15;
    s.BlockDelay = 30;
    s.StringFirst =
        QStringLiteral("Бегущая строка. Прием объявлений: ул. Ленина, 15, тел. 2-15-30.");
    s.StringLast = QStringLiteral("Спасибо за внимание!");
    s.SymKol = kTextWidth;
    s.OutDev = QStringLiteral("A:");
    s.XProb = 3;
    s.NAME = QStringLiteral("ТРК «Златогорск»: бегущая строка");
    return s;
}

double demoPrice(const Announcement& a, int runDays, const TSettings& settings) {
    if (a.oplata == paymentMethodsBytes()[3]) return 0.0; // "БЕСПЛАТНО"
    double sum = double(runDays) * (double(a.slov) * settings.WordPrice);
    if (a.povt) sum += settings.PricePovtor;
    // The entry form's sum box keeps two decimals.
    return std::round(sum * 100.0) / 100.0;
}

int32_t todayDayNumber() {
    const QDate d = QDate::currentDate();
    return dorod::dayNumberFromCivil(d.year(), d.month(), d.day());
}

DemoSummary makeDemoFolder(const DemoOptions& options) {
    DemoOptions o = options;
    if (o.folder.isEmpty()) throw DemoError("no folder given");
    if (o.today == 0) o.today = todayDayNumber();
    const ProgramFolder folder(o.folder);

    QStringList existing;
    for (const QString& name : demoFileNames())
        if (QFileInfo::exists(folder.file(name))) existing << name;
    if (!existing.isEmpty() && !o.force)
        throw DemoError(encodedPath(folder.path()) + " already holds " +
                        existing.join(QStringLiteral(", ")).toStdString() +
                        "; use --force to replace them");

    QString error; // of the table files
    if (const Result prepared = prepareProgramFolder(folder); !prepared)
        throw DemoError(prepared.error().toStdString());

    const TSettings settings = demoSettings();
    Tables t;
    defineFields(t.data, announcementTable());
    defineFields(t.dates, runDateTable());
    if (o.large)
        fillLarge(t, o, settings);
    else
        fillSmall(t, o, settings);

    save(t.data, folder.file(QString::fromStdString(announcementTable().fileName)));
    save(t.dates, folder.file(QString::fromStdString(runDateTable().fileName)));
    for (const TTableDefinition* table : {&realtyTable(), &realtyOutTable()}) {
        const QString path = folder.file(QString::fromStdString(table->fileName));
        if (!createTableFile(path, table->fields, &error))
            throw DemoError("cannot write " + encodedPath(path) + ": " + error.toStdString());
    }
    writeConfig(folder.file(kConfigFileName), settings);
    return t.summary;
}

} // namespace vornelta::demo
