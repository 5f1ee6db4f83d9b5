// Feeds arbitrary bytes to `dorod create` as its standard input. Every input must end in
// success or in one failure with a message (status 1, no file left behind), never in a
// crash, an escaped exception or a usage error; a table that was written must dump, and
// the dump must create a table that dumps the same (the file's record order may differ:
// a dump lists records in the table's view order).
#include "tools/dorod/DorodTool.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path& scratch() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("fuzz_create." + std::to_string(getpid()));
        fs::create_directories(d);
        std::atexit([] { fs::remove_all(scratch()); });
        return d;
    }();
    return dir;
}

int run(const std::vector<std::string>& args, const std::string& input, std::string& out,
        std::string& err) {
    std::istringstream in(input);
    std::ostringstream o, e;
    const int status = dorod::tool::runDorod(args, in, o, e);
    out = o.str();
    err = e.str();
    return status;
}

[[noreturn]] void failure(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_create: %s\n%s\n", what, detail.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const fs::path first = scratch() / "first.d";
    const fs::path second = scratch() / "second.d";
    fs::remove(first);
    fs::remove(second);

    std::string out, err;
    const int status = run({"create", first.string()}, input, out, err);
    if (status == 1) {
        if (err.empty() || err == "\n") failure("a failure without a message", input);
        if (fs::exists(first)) failure("a failed create left a file", err);
        return 0;
    }
    if (status != 0) failure("create ended with neither success nor failure", err);
    if (!fs::exists(first)) failure("create succeeded and wrote nothing", input);

    std::string dumped;
    if (run({"dump", first.string()}, "", dumped, err) != 0)
        failure("the table written does not dump", err);
    if (run({"create", second.string()}, dumped, out, err) != 0)
        failure("the dump does not create a table", err + dumped);
    std::string again;
    if (run({"dump", second.string()}, "", again, err) != 0)
        failure("the table created from the dump does not dump", err);
    if (again != dumped) failure("dump and create again changed the table", dumped + "\n" + again);
    return 0;
}
