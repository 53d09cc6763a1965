// Random host calls and user input on a control with columns of every kind, with the
// invariants of host_driver.h checked after every step. A broken invariant, a crash or any
// exception other than vekgrid::Error is a finding; the trace of the run goes to stderr.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "host_driver.h"

namespace {

const std::filesystem::path& Scratch_Folder() {
    static const std::filesystem::path path = [] {
        auto p = std::filesystem::temp_directory_path() /
                 ("vekgrid-fuzz-host-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vekgrid::fuzz::Byte_Choices in(data, size);
    vekgrid::fuzz::Host_Driver driver(in, Scratch_Folder());
    // Each step is cheap (the driver bounds rows and columns); 200 of them keep a run short.
    for (int step = 0; step < 200 && !in.Empty(); ++step) {
        if (!driver.Step()) {
            for (const auto& line : driver.Trace()) std::fprintf(stderr, "  %s\n", line.c_str());
            std::fprintf(stderr, "invariant violated: %s\n", driver.Failure().c_str());
            std::abort();
        }
    }
    return 0;
}
