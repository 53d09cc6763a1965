// The round trip of round_trip.h on libFuzzer's bytes: random grids through sorts, row
// commands, variable updates, edits and save-and-reload, every row checked against a plain
// model after each step.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path scratch = [] {
        auto p = std::filesystem::temp_directory_path() /
                 ("vekgrid-fuzz-round-trip-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    vekgrid::fuzz::Byte_Choices in(data, size);
    vekgrid::fuzz::Round_Trip trip(in, scratch);
    for (int step = 0; step < 100 && !in.Empty(); ++step) {
        if (trip.Step()) continue;
        for (const auto& line : trip.Trace()) std::fprintf(stderr, "  %s\n", line.c_str());
        std::fprintf(stderr, "invariant violated: %s\n", trip.Failure().c_str());
        std::abort();
    }
    return 0;
}
