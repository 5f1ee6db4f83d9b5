#include "tools/dorod/DorodTool.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "dorod " VORNELTA_VERSION "\n";
        return 0;
    }
    return dorod::tool::runDorod(std::vector<std::string>(argv + 1, argv + argc), std::cin,
                                 std::cout, std::cerr);
}
