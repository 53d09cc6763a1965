#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vekgrid/export.h"

namespace vekgrid {

/// 32-bit OLE colour: &H00BBGGRR, or &H80000000 plus a system colour index.
using Color = std::uint32_t;

namespace Colors {
constexpr Color Black = 0x000000;
constexpr Color White = 0xFFFFFF;
constexpr Color Header = 0xFFC0C0;
constexpr Color Button_Face = 0x8000000F;
constexpr Color Inactive_Border = 0x8000000B;
constexpr Color Grey_Text = 0x80000011;
constexpr Color Window = 0x80000005;
constexpr Color Window_Text = 0x80000008;
}  // namespace Colors

/// Alignment codes of the grid: left, centre, right, each vertically centred.
namespace Align {
constexpr int Left = 1;
constexpr int Center = 4;
constexpr int Right = 7;
constexpr int General = 9;  ///< the column's alignment decides
}  // namespace Align

struct VEKGRID_EXPORT Font {
    std::string name = "MS Sans Serif";
    double size = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    bool operator==(const Font&) const = default;
};

/// A small bitmap; pictures are shared and immutable once made.
struct VEKGRID_EXPORT Image {
    int width = 0;
    int height = 0;
    std::vector<Color> pixels;  ///< row-major, width * height
    Color At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};
using Picture = std::shared_ptr<const Image>;

}  // namespace vekgrid
