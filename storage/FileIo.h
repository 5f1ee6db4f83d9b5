// Whole-file reads and writes. A file is replaced atomically: the new contents go to a
// temporary file in the same folder, which is flushed to disk and renamed over the old
// one, so a crash or a full disk during a write never leaves a half-written file
// under the final name and never destroys the previous one.
#pragma once

#include <string>
#include <string_view>

namespace dorod::fileio {

bool fileExists(const std::string& path);
// Reads the whole file; false with a reason when it cannot be read.
bool readFile(const std::string& path, std::string& contents, std::string& error);
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error);
// The path with its extension replaced (a name without one gets it appended).
std::string changeExtension(const std::string& path, std::string_view extension);

} // namespace dorod::fileio
