// Random grids through random sorts, row commands, variable updates, edits and
// save-and-reload, checked after every step against a plain model of what each row holds
// (fuzz/round_trip.h). fuzz_round_trip runs the same longer under make fuzz.
#include "../fuzz/round_trip.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace vekgrid::testing {
namespace {

constexpr int Steps_Per_Seed = 60;

class Round_Trip : public ::testing::TestWithParam<std::uint32_t> {
  protected:
    Round_Trip()
        : scratch_(std::filesystem::temp_directory_path() /
                   ("vekgrid-round-trip-" + std::to_string(::getpid()) + "-" +
                    std::to_string(GetParam()))) {
        std::filesystem::create_directories(scratch_);
    }
    ~Round_Trip() override {
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
    }
    std::filesystem::path scratch_;
};

TEST_P(Round_Trip, EveryRowKeepsItsCellsAndSources) {
    fuzz::Seeded_Choices in(GetParam());
    fuzz::Round_Trip trip(in, scratch_);
    for (int step = 0; step < Steps_Per_Seed && trip.Failure().empty(); ++step) trip.Step();
    if (trip.Failure().empty()) return;
    std::string trace;
    for (const auto& line : trip.Trace()) trace += "  " + line + "\n";
    FAIL() << "seed " << GetParam() << ": " << trip.Failure() << "\nsteps:\n" << trace;
}

INSTANTIATE_TEST_SUITE_P(Seeds, Round_Trip, ::testing::Range<std::uint32_t>(1, 21));

}  // namespace
}  // namespace vekgrid::testing
