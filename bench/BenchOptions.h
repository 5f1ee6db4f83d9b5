// Options of our own beside google benchmark's: `--name=value`, taken out of argv before
// benchmark::Initialize sees it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace vornelta::bench {

// Whether arg is `name=value`; then value gets what follows the "=".
inline bool takeOption(const char* arg, const char* name, std::string& value) {
    const size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0 || arg[n] != '=') return false;
    value = arg + n + 1;
    return true;
}

// Takes `--workload_dir=DIR` out of the arguments (the folder the large workload is kept
// in between runs); empty when not given.
inline std::string takeWorkloadDir(int& argc, char** argv) {
    std::string workloadDir;
    int kept = 1;
    for (int i = 1; i < argc; ++i)
        if (!takeOption(argv[i], "--workload_dir", workloadDir)) argv[kept++] = argv[i];
    argc = kept;
    argv[argc] = nullptr;
    return workloadDir;
}

// The folder the large workload is made in: the one given with --workload_dir (kept), or
// a new temporary one named after the benchmark (removed at the end).
class WorkloadFolder {
public:
    WorkloadFolder(const std::string& given, const char* benchName) {
        if (!given.empty()) {
            m_path = given;
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() /
                               (std::string("vornelta-") + benchName + "-XXXXXX"))
                                  .string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            return;
        }
        m_path = pattern;
        m_temporary = true;
    }
    ~WorkloadFolder() {
        std::error_code ec;
        if (m_temporary) std::filesystem::remove_all(m_path, ec);
    }
    WorkloadFolder(const WorkloadFolder&) = delete;
    WorkloadFolder& operator=(const WorkloadFolder&) = delete;

    // Empty when no temporary folder could be made.
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    bool m_temporary = false;
};

} // namespace vornelta::bench
