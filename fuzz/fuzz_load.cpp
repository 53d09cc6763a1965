// Load_File and Load_Single_Array on arbitrary bytes. Either loads or shows its message box;
// nothing escapes to the host and the grid stays consistent.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "vekgrid/platform/headless/headless_platform.h"

namespace {

const std::filesystem::path& Scratch_File() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("vekgrid-fuzz-load-" + std::to_string(::getpid()) + ".txt");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::int16_t left_align = static_cast<std::int16_t>(data[0] % 5);
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    vekgrid::Headless_Platform platform;
    vekgrid::vekGRID control(platform);
    control.InitProperties();
    control.Show();
    vekgrid::fuzz::Event_Checker checker(control);
    control.Add_Listener(checker);
    vekgrid::vekColumn formula;
    formula.Allow_Formula_Input(true);
    control.Add_Column(formula);  // formula settings carry over to the loaded columns

    {
        std::ofstream out(Scratch_File(), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    control.Load_File(Scratch_File().string(), left_align);
    vekgrid::fuzz::Check_Grid(control);

    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(bytes.substr(start, end - start));
    lines.push_back(bytes.substr(start));
    std::int16_t align = left_align;
    control.Load_Single_Array(lines, align);
    vekgrid::fuzz::Check_Grid(control);
    if (align == 0) vekgrid::fuzz::Violation("left-align count 0 not made 1");
    // The loaded table exports again.
    (void)control.Dump_Into_Single_Array(vekgrid::Tab_Delimited);
    return 0;
}
