// The large demo folder the desk benchmarks work on, made once per folder.
#pragma once

#include "tools/demodata/DemoData.h"
#include "tools/workload/Workload.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace vornelta::bench {

// Generates the large demo folder in a child process, so that the generator's many
// small allocations leave nothing behind in this one.
inline bool makeLargeDemoFolder(const std::filesystem::path& folder, int argc, char** argv) {
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        try {
            QCoreApplication app(argc, argv);
            demo::DemoOptions o;
            o.folder = QString::fromStdString(folder.string());
            o.large = true;
            o.force = true;
            // A fixed day, so that every run works on the same data.
            o.today = workload::AnnouncementGenerator::defaultLastDay();
            demo::makeDemoFolder(o);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "demo data: %s\n", e.what());
            std::_Exit(1);
        }
        std::_Exit(0);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vornelta::bench
