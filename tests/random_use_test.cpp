// The random-use driver of fuzz/ replayed for fixed seeds: host calls of every kind and user
// input, with the grid's invariants checked after every step (see fuzz/host_driver.h).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "../fuzz/host_driver.h"

namespace vekgrid::testing {
namespace {

constexpr int Steps_Per_Seed = 400;

class Random_Use : public ::testing::TestWithParam<std::uint32_t> {
  protected:
    Random_Use()
        : scratch_(std::filesystem::temp_directory_path() /
                   ("vekgrid-random-use-" + std::to_string(::getpid()) + "-" +
                    std::to_string(GetParam()))) {
        std::filesystem::create_directories(scratch_);
    }
    ~Random_Use() override {
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
    }
    std::filesystem::path scratch_;
};

TEST_P(Random_Use, EveryStepKeepsTheGridConsistent) {
    fuzz::Seeded_Choices in(GetParam());
    fuzz::Host_Driver driver(in, scratch_);
    for (int step = 0; step < Steps_Per_Seed; ++step) {
        if (driver.Step()) continue;
        std::string trace;
        const auto& lines = driver.Trace();
        for (size_t i = lines.size() > 25 ? lines.size() - 25 : 0; i < lines.size(); ++i)
            trace += "  " + std::to_string(i) + ": " + lines[i] + "\n";
        FAIL() << "seed " << GetParam() << ", step " << step << ": " << driver.Failure()
               << "\nlast steps:\n"
               << trace;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Random_Use, ::testing::Range<std::uint32_t>(1, 11));

}  // namespace
}  // namespace vekgrid::testing
