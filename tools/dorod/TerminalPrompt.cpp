#include "tools/dorod/TerminalPrompt.h"

#include "storage/Win1251.h"

#include <cstdio>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace dorod::tool {

bool promptPasswordOnTerminal(std::string& password) {
    if (!::isatty(STDIN_FILENO)) return false;
    termios old{};
    if (::tcgetattr(STDIN_FILENO, &old) != 0) return false;
    termios quiet = old;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    std::cerr << "Enter password: " << std::flush;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::cerr << "\n";
    if (!read) return false;
    // Passwords are kept as Windows-1251 bytes like every other text.
    std::string bytes;
    if (!win1251::fromUtf8(line, bytes)) return false;
    password = bytes;
    return true;
}

} // namespace dorod::tool
