// The password prompt of the command-line tool: asks on the terminal without echo.
// Without a terminal on standard input the prompt counts as cancelled, so that scripts
// never hang waiting for a password.
#pragma once

#include <string>

namespace dorod::tool {

bool promptPasswordOnTerminal(std::string& password);

} // namespace dorod::tool
