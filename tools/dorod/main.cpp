#include "tools/dorod/DorodTool.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return dorod::tool::runDorod(std::vector<std::string>(argv + 1, argv + argc), std::cin,
                                 std::cout, std::cerr);
}
