// dorod, the engine's command-line tool: look into, dump, create, copy and check table
// files. Runs in-process so that tests can drive it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace dorod::tool {

// Exit status: 0 success, 1 failure (the engine's message on err), 2 usage error.
int runDorod(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err);

} // namespace dorod::tool
