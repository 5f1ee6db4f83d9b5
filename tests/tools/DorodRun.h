// The dorod tool run in the test's process, as a shell would: its exit status and what it
// printed.
#pragma once

#include "tools/dorod/DorodTool.h"

#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

struct DorodRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `input` is the tool's standard input.
inline DorodRun dorod(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    DorodRun r;
    r.status = dorod::tool::runDorod(args, in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace testsupport
