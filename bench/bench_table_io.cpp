// Load and save of the large workload (data.d and dates.d) against the plain file I/O
// of the same bytes.
//
// For each table:
//   EngineLoad   what a table does to open its file: map it (fileio::TMappedFile) and
//                TDorodCursor::LoadFromImage
//   PlainRead    open + fstat + read of the whole file into a fresh buffer
//   EngineSave   TDorodCursor::SaveToFile to a second path (no backup, no sort)
//   PlainWrite   the same bytes: temp file + write + fsync + close + rename + fsync of
//                the folder, exactly the steps the engine takes to replace a file
// and, to tell CPU from disk time apart:
//   EngineParse  LoadFromStream alone, from an image already in memory
//   EngineImage  WriteImage alone, into memory
//   PlainWriteNoSync  temp file + write + close + rename, without any fsync
//
// The workload is generated once into a temporary folder (under $TMPDIR, or /tmp) and
// removed at the end. Extra options, besides the usual --benchmark_* ones:
//   --announcements=N   (default 200000)
//   --run_dates=M       (default 2000000)
//   --seed=S
//   --workload_dir=DIR  write the workload into DIR and keep it
//   --heap=fresh|reuse  fresh (default): large blocks are mapped from the system and
//                       given back when freed, so every iteration, engine and plain
//                       alike, works in memory it has never touched, as a program does
//                       that loads its tables at start. reuse: freed memory stays in
//                       the process and is handed out again, already mapped.
//                       (glibc's default sits between the two and changes its mind at
//                       run time, which made plain and engine figures incomparable.)
// Times are wall-clock (fsync waits for the disk), in milliseconds. At the end a summary
// gives each engine figure as a multiple of its plain counterpart.
#include "bench/BenchOptions.h"
#include "bench/BenchSummary.h"
#include "tools/workload/Workload.h"

#include "storage/DorodCursor.h"
#include "storage/DorodStream.h"
#include "storage/FileIo.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using vornelta::bench::takeOption;

namespace {

namespace fs = std::filesystem;
using vornelta::workload::WorkloadFiles;

struct TableCase {
    std::string name; // "data.d"
    std::string path; // the generated file
    uint64_t bytes = 0;
    size_t records = 0;
};

std::string folderOf(const std::string& path) {
    return fs::path(path).parent_path().string();
}

// ------------------------------------------------------------------ plain file I/O

struct Buffer {
    std::unique_ptr<char[]> data;
    size_t size = 0;
};

Buffer plainRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot stat " + path);
    }
    Buffer b;
    b.size = size_t(st.st_size);
    b.data.reset(new char[b.size]);
    size_t done = 0;
    while (done < b.size) {
        const ssize_t n = ::read(fd, b.data.get() + done, b.size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    ::close(fd);
    if (done != b.size) throw std::runtime_error("short read of " + path);
    return b;
}

void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("write failed: ") + std::strerror(errno));
        }
        data += n;
        size -= size_t(n);
    }
}

// Replaces the file at path with the bytes the way the engine does: temporary file in
// the same folder, write, fsync, close, rename, fsync of the folder.
void plainWrite(const std::string& path, const char* data, size_t size, bool sync) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw std::runtime_error("cannot create a file beside " + path);
    writeAll(fd, data, size);
    if (sync && ::fsync(fd) != 0) throw std::runtime_error("fsync failed");
    ::fchmod(fd, 0644);
    if (::close(fd) != 0) throw std::runtime_error("close failed");
    if (::rename(temp.c_str(), path.c_str()) != 0) throw std::runtime_error("rename failed");
    if (sync) {
        const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
}

// ------------------------------------------------------------------ engine helpers

void engineLoad(const std::string& path, dorod::TDorodCursor& cursor) {
    dorod::fileio::TMappedFile file;
    std::string error;
    if (!file.open(path, error)) throw std::runtime_error(error);
    if (!cursor.LoadFromImage(file.bytes(), error)) throw std::runtime_error(path + ": " + error);
}

void setCounters(benchmark::State& state, const TableCase& table) {
    state.counters["file_MB"] = double(table.bytes) / 1e6;
    state.counters["records"] = double(table.records);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(table.bytes));
}

// ------------------------------------------------------------------ benchmarks

void BM_EngineLoad(benchmark::State& state, const TableCase& table) {
    for (auto _ : state) {
        auto cursor = std::make_unique<dorod::TDorodCursor>();
        engineLoad(table.path, *cursor);
        benchmark::DoNotOptimize(cursor->EntryCount());
        state.PauseTiming();
        if (size_t(cursor->EntryCount()) != table.records)
            state.SkipWithError("wrong number of records loaded");
        cursor.reset();
        state.ResumeTiming();
    }
    setCounters(state, table);
}

void BM_PlainRead(benchmark::State& state, const TableCase& table) {
    for (auto _ : state) {
        Buffer b = plainRead(table.path);
        benchmark::DoNotOptimize(b.data.get());
        state.PauseTiming();
        b = Buffer{};
        state.ResumeTiming();
    }
    setCounters(state, table);
}

void BM_EngineParse(benchmark::State& state, const TableCase& table) {
    dorod::TDorodStream stream;
    std::string error;
    if (!dorod::fileio::readFile(table.path, stream.bytes, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        auto cursor = std::make_unique<dorod::TDorodCursor>();
        stream.position = 0;
        if (!cursor->LoadFromStream(stream, error)) state.SkipWithError(error.c_str());
        state.PauseTiming();
        cursor.reset();
        state.ResumeTiming();
    }
    setCounters(state, table);
}

void BM_EngineSave(benchmark::State& state, const TableCase& table) {
    dorod::TDorodCursor cursor;
    engineLoad(table.path, cursor);
    const std::string out = (fs::path(folderOf(table.path)) / ("engine_" + table.name)).string();
    std::string message;
    for (auto _ : state) {
        if (!cursor.SaveToFile(out, 0, false, {}, message)) state.SkipWithError(message.c_str());
    }
    setCounters(state, table);
    // Outside the timed loop: the saved image must be the file it was loaded from.
    if (fs::file_size(out) != table.bytes) state.SkipWithError("saved file differs in size");
    fs::remove(out);
}

void BM_EngineImage(benchmark::State& state, const TableCase& table) {
    dorod::TDorodCursor cursor;
    engineLoad(table.path, cursor);
    for (auto _ : state) {
        dorod::TDorodStream stream;
        cursor.WriteImage(stream);
        benchmark::DoNotOptimize(stream.bytes.data());
        state.PauseTiming();
        stream = dorod::TDorodStream{};
        state.ResumeTiming();
    }
    setCounters(state, table);
}

void plainWriteCase(benchmark::State& state, const TableCase& table, bool sync) {
    const Buffer bytes = plainRead(table.path);
    const std::string out =
        (fs::path(folderOf(table.path)) / ((sync ? "plain_" : "nosync_") + table.name)).string();
    for (auto _ : state)
        plainWrite(out, bytes.data.get(), bytes.size, sync);
    setCounters(state, table);
    fs::remove(out);
}

void BM_PlainWrite(benchmark::State& state, const TableCase& table) {
    plainWriteCase(state, table, true);
}

void BM_PlainWriteNoSync(benchmark::State& state, const TableCase& table) {
    plainWriteCase(state, table, false);
}

// ------------------------------------------------------------------ summary

// The console output, followed by a table of engine / plain ratios: wall-clock medians
// (the verdict), and, because a shared machine only ever adds time, the ratio of the
// fastest repetitions and of the CPU-time medians beside them.
class SummaryReporter : public vornelta::bench::FigureReporter {
public:
    using FigureReporter::FigureReporter;

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::FILE* out = stdout;
        std::fflush(out);
        std::fprintf(out, "\n%-8s %-5s %10s %10s %7s %7s  %10s %10s %7s  %s\n", "table", "op",
                     "engine ms", "plain ms", "ratio", "fastest", "engine cpu", "plain cpu",
                     "ratio", "target <= 4x");
        for (const char* table : {"data.d", "dates.d"}) {
            line(out, table, "load", "EngineLoad", "PlainRead");
            line(out, table, "save", "EngineSave", "PlainWrite");
        }
        std::fflush(out);
    }

private:
    void line(std::FILE* out, const char* table, const char* operation, const char* engine,
              const char* plain) const {
        const vornelta::bench::Figures* E = figures(std::string(engine) + "/" + table);
        const vornelta::bench::Figures* P = figures(std::string(plain) + "/" + table);
        if (!E || !P) return;
        const double r = ratio(E->real, P->real);
        std::fprintf(out, "%-8s %-5s %10.1f %10.1f %7.2f %7.2f  %10.1f %10.1f %7.2f  %s\n", table,
                     operation, *E->real, *P->real, r, ratio(E->fastest, P->fastest),
                     E->cpu.value_or(0), P->cpu.value_or(0), ratio(E->cpu, P->cpu),
                     r <= 4.0 ? "met" : "MISSED");
    }
};

// ------------------------------------------------------------------ options

struct Options {
    size_t announcements = vornelta::workload::kLargeAnnouncements;
    size_t runDates = vornelta::workload::kLargeRunDates;
    uint64_t seed = vornelta::workload::kDefaultSeed;
    std::string workloadDir;
    bool reuseHeap = false;
};

// Takes this program's own options out of argv.
Options parseOptions(int& argc, char** argv) {
    Options o;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (takeOption(argv[i], "--announcements", value))
            o.announcements = std::stoull(value);
        else if (takeOption(argv[i], "--run_dates", value))
            o.runDates = std::stoull(value);
        else if (takeOption(argv[i], "--seed", value))
            o.seed = std::stoull(value);
        else if (takeOption(argv[i], "--workload_dir", value))
            o.workloadDir = value;
        else if (takeOption(argv[i], "--heap", value) && (value == "fresh" || value == "reuse"))
            o.reuseHeap = value == "reuse";
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return o;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    if (options.reuseHeap) {
        // Everything from the heap, and nothing given back.
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
    } else {
        // Fixed thresholds (setting them turns off glibc's run-time adjustment).
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    }
    std::fprintf(stderr, "heap: %s\n", options.reuseHeap ? "reuse" : "fresh");

    const bool keep = !options.workloadDir.empty();
    fs::path folder;
    if (keep) {
        folder = options.workloadDir;
        fs::create_directories(folder);
    } else {
        std::string pattern = (fs::temp_directory_path() / "vornelta-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    }

    const auto started = std::chrono::steady_clock::now();
    // Generated in a child process, so that the millions of small allocations of the
    // generator leave no reusable memory behind in this one.
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0) {
        try {
            vornelta::workload::writeLargeWorkload(folder.string(), options.announcements,
                                                   options.runDates, options.seed);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "workload: %s\n", e.what());
            std::_Exit(1);
        }
        std::_Exit(0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::error_code ec;
        if (!keep) fs::remove_all(folder, ec);
        return 1;
    }
    WorkloadFiles files;
    files.dataPath = (folder / "data.d").string();
    files.datesPath = (folder / "dates.d").string();
    files.dataBytes = fs::file_size(files.dataPath);
    files.datesBytes = fs::file_size(files.datesPath);
    files.announcements = options.announcements;
    files.runDates = options.runDates;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::fprintf(stderr,
                 "workload in %s: data.d %zu records, %llu bytes; dates.d %zu records, %llu "
                 "bytes (generated in %.1f s)\n",
                 folder.c_str(), files.announcements, (unsigned long long)files.dataBytes,
                 files.runDates, (unsigned long long)files.datesBytes, seconds);

    const std::vector<TableCase> tables = {
        {"data.d", files.dataPath, files.dataBytes, files.announcements},
        {"dates.d", files.datesPath, files.datesBytes, files.runDates},
    };
    using Fn = void (*)(benchmark::State&, const TableCase&);
    const std::pair<const char*, Fn> cases[] = {
        {"EngineLoad", BM_EngineLoad},
        {"PlainRead", BM_PlainRead},
        {"EngineSave", BM_EngineSave},
        {"PlainWrite", BM_PlainWrite},
        {"EngineParse", BM_EngineParse},
        {"EngineImage", BM_EngineImage},
        {"PlainWriteNoSync", BM_PlainWriteNoSync},
    };
    for (const TableCase& table : tables) {
        for (const auto& [name, fn] : cases) {
            benchmark::RegisterBenchmark((std::string(name) + "/" + table.name).c_str(), fn, table)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(5)
                ->Repetitions(3)
                ->ComputeStatistics("min",
                                    [](const std::vector<double>& v) {
                                        return *std::min_element(v.begin(), v.end());
                                    })
                ->ReportAggregatesOnly(true);
        }
    }

    SummaryReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                   : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (!keep) {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    return 0;
}
