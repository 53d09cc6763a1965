#include <algorithm>
#include <cmath>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/text_to_double.h"

namespace vekgrid {

namespace {
Color Bar_Rgb(double r, double g, double b) {
    auto part = [](double v) {
        return static_cast<Color>(std::clamp(std::nearbyint(v), 0.0, 255.0));
    };
    return part(r) | part(g) << 8 | part(b) << 16;
}

// Blue through cyan, green and yellow to red across the four quarters of the range.
Color Gradient(double v, double min, double max, double q1, double q2, double q3, double range) {
    if (v < min) return Bar_Rgb(255, 0, 0);
    if (v < min + q1) return Bar_Rgb(0, 255 * (v - min) / q1, 255);
    if (v < min + q2) return Bar_Rgb(0, 255, 255 - 255 * (v - min - q1) / (q2 - q1));
    if (v < min + q3) return Bar_Rgb(255 * (v - min - q2) / (q3 - q2), 255, 0);
    if (v <= max) return Bar_Rgb(255, 255 - 255 * (v - min - q3) / (range - q3), 0);
    return Bar_Rgb(255, 0, 0);  // above the range: full red, like the top of the scale
}

// A bar image of one colour, sized in twips (one pixel per 15 twips). A value far outside the
// column's range asks for a bar wider than memory; no screen shows more than 4,096 pixels of
// it, so the image stops there.
Picture Bar_Image(Picture_Box& box, Color color, double width, double height) {
    constexpr double kLongestBar = 4096 * 15;
    width = std::min(width, kLongestBar), height = std::min(height, kLongestBar);
    box.BackColor(color);
    box.Width(static_cast<int>(std::lround(width)));
    box.Height(static_cast<int>(std::lround(height)));
    auto image = std::make_shared<Image>();
    image->width = std::max(0, box.Width() / 15);
    image->height = std::max(1, box.Height() / 15);
    image->pixels.assign(static_cast<size_t>(image->width) * static_cast<size_t>(image->height),
                         color);
    box.Picture(image);
    return image;
}
}  // namespace

void vekGRID::Update_Progress_Column(std::int16_t& Update_Column) {
    const int k = Update_Column;
    grid_.Visible(false);
    Ignore_Errors([&] {
        const bool absolute = Column_Flag(Col_Attr::Absolute_Range, k);
        const bool gradient = Column_Flag(Col_Attr::Gradient, k);
        double min = 0, max = 0;
        if (!Column_Flag(Col_Attr::Auto_Range, k)) {
            min = Text_To_Double(column_properties_(Col_Attr::Min, k).To_Text());
            max = Text_To_Double(column_properties_(Col_Attr::Max, k).To_Text());
        } else {
            min = max = Text_To_Double(grid_.TextMatrix(1, k));
            for (int r = 1; r < grid_.Rows(); ++r) {
                if (grid_.RowHeight(r) < 1) continue;
                const double v = Text_To_Double(grid_.TextMatrix(r, k));
                if (absolute) {
                    max = std::max(max, std::abs(v));
                } else {
                    min = std::min(min, v);
                    max = std::max(max, v);
                }
            }
        }
        double range = max - min;
        if (absolute) min = std::abs(min), max = std::abs(max), range = std::abs(range);
        const double q1 = 0.25 * range, q2 = 0.5 * range, q3 = 0.75 * range;
        const Color bar_color =
            static_cast<Color>(column_properties_(Col_Attr::Bar_Color, k).To_Long());
        const double column_width = grid_.ColWidth(k);

        updating_grid_ = true;
        grid_.Col(k);
        for (int r = 1; r < grid_.Rows(); ++r) {
            Ignore_Errors([&] {
                grid_.Row(r);
                const std::string& text = grid_.TextMatrix(r, k);
                double v = Text_To_Double(text);
                if (absolute) v = std::abs(v);
                grid_.CellPicture(nullptr);
                if (grid_.RowHeight(r) == 0) return;
                // A zero range has no scale to draw on: no bar, no message.
                if (range == 0) return;
                const bool numeric = Variant(text).Is_Numeric();
                if (!gradient) {
                    if (!numeric && v != 0) return;
                    const double width = (v - min) / range * column_width * 1.05;
                    grid_.CellPictureAlignment(Align::Left);
                    grid_.CellPicture(Bar_Image(*picture1_, bar_color, width, grid_.RowHeight(r)));
                    return;
                }
                if (v == min) return;
                const Color color = Gradient(v, min, max, q1, q2, q3, range);
                if (!numeric && v != 0) return;
                const double width =
                    std::min((v - min) / range * column_width * 1.05, column_width * 1.05);
                grid_.CellPictureAlignment(Align::Left);
                grid_.CellPicture(Bar_Image(*picture1_, color, width, grid_.RowHeight(r) * 1.1));
            });
        }
    });
    Ignore_Errors([&] {
        grid_.Row(CurrentRow);
        grid_.Col(CurrentCol);
    });
    updating_grid_ = false;
    grid_.Visible(true);
}

}  // namespace vekgrid
