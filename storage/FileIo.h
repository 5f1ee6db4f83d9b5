// Whole-file reads and writes. A file is replaced atomically: the new contents go to a
// temporary file in the same folder, which is flushed to disk and renamed over the old
// one, so a crash or a full disk during a write never leaves a half-written file
// under the final name and never destroys the previous one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dorod::fileio {

// A whole file, read-only, for as long as the object lives: mapped from the page cache
// where the system allows (nothing is copied and no fresh memory is filled), read into
// memory otherwise. Files are replaced by renaming, never rewritten in place, so a
// mapping keeps showing the file as it was opened.
class TMappedFile {
public:
    TMappedFile() = default;
    ~TMappedFile();
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;

    // False with a reason when the file cannot be opened or read.
    bool open(const std::string& path, std::string& error);
    std::string_view bytes() const {
        return m_mapped ? std::string_view(m_mapped, m_size) : m_copy;
    }

private:
    const char* m_mapped = nullptr;
    size_t m_size = 0;
    std::string m_copy;
};

bool fileExists(const std::string& path);
// Reads the whole file; false with a reason when it cannot be read.
bool readFile(const std::string& path, std::string& contents, std::string& error);
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error);
// Makes `backupPath` hold what the file `path` holds now, replacing an older backup
// atomically; false with a reason when it cannot. A second name for the same file (a hard
// link) is enough, as saves never change a file in place: they write a new file and rename
// it over the old one, so the backup keeps the old contents. Where the file system has no
// hard links the bytes are copied.
bool keepAsBackup(const std::string& path, const std::string& backupPath, std::string& error);

// Writes a file piece by piece and replaces the target atomically on commit: the pieces
// go to a temporary file beside it, which is flushed and renamed over the target. A
// writer dropped without a successful commit removes its temporary file, leaving the
// target as it was.
class TAtomicFileWriter {
public:
    TAtomicFileWriter() = default;
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    bool open(const std::string& path, std::string& error);
    // Appends; after a failure every later call fails too and commit reports it.
    bool write(std::string_view data);
    // Overwrites bytes already written (a header completed at the end).
    bool writeAt(size_t offset, std::string_view data);
    bool commit(std::string& error);

private:
    void discard();

    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    bool m_failed = false;
    int m_errno = 0;
};
// For tests of failed writes, as a full disk would fail them: while one lives, the
// atomic writers of this thread append only `budget` more bytes in all; the append that
// would pass the budget writes what fits and fails (ENOSPC). Overwrites of bytes already
// written are not counted. Every append's size is recorded, so a test can find where
// the pieces of a write begin.
class TWriteFaultScope {
public:
    explicit TWriteFaultScope(size_t budget = SIZE_MAX);
    ~TWriteFaultScope();
    TWriteFaultScope(const TWriteFaultScope&) = delete;
    TWriteFaultScope& operator=(const TWriteFaultScope&) = delete;
    const std::vector<size_t>& appends() const { return m_appends; }

private:
    friend class TAtomicFileWriter;
    size_t m_budget;
    std::vector<size_t> m_appends;
    TWriteFaultScope* m_outer;
};

// The path with its extension replaced (a name without one gets it appended).
std::string changeExtension(const std::string& path, std::string_view extension);

} // namespace dorod::fileio
