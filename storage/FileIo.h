// Whole-file reads and writes. A file is replaced atomically: the new contents go to a
// temporary file in the same folder, which is flushed to disk and renamed over the old
// one, so a crash or a full disk during a write never leaves a half-written file
// under the final name and never destroys the previous one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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
    std::string_view bytes() const { return m_mapped ? std::string_view(m_mapped, m_size) : m_copy; }

private:
    const char* m_mapped = nullptr;
    size_t m_size = 0;
    std::string m_copy;
};

bool fileExists(const std::string& path);
// Reads the whole file; false with a reason when it cannot be read.
bool readFile(const std::string& path, std::string& contents, std::string& error);
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error);
// The path with its extension replaced (a name without one gets it appended).
std::string changeExtension(const std::string& path, std::string_view extension);

} // namespace dorod::fileio
