#include "vekgrid/control/check_images.h"

#include <cstdlib>

namespace vekgrid {

Picture Make_Check_Box_Image(bool ticked) {
    constexpr int size = 13;
    auto image = std::make_shared<Image>();
    image->width = image->height = size;
    image->pixels.assign(size * size, Colors::White);
    auto put = [&](int x, int y, Color c) { image->pixels[static_cast<size_t>(y * size + x)] = c; };
    for (int i = 0; i < size; ++i) {
        put(i, 0, 0x808080), put(0, i, 0x808080);
        put(i, size - 1, 0x404040), put(size - 1, i, 0x404040);
    }
    if (ticked) {
        // A tick: down from (3, 6) to (5, 8), then up to (9, 4), three pixels thick.
        for (int x = 3; x <= 9; ++x) {
            int y = x <= 5 ? x + 3 : 13 - x;
            for (int t = 0; t < 3; ++t) put(x, y + t - 1, Colors::Black);
        }
    }
    return image;
}

Picture Make_Arrow_Image(Color back) {
    constexpr int size = 9;
    auto image = std::make_shared<Image>();
    image->width = image->height = size;
    image->pixels.assign(size * size, back);
    // A filled triangle pointing down, rows 2 to 6.
    for (int y = 2; y <= 6; ++y)
        for (int x = y - 2; x <= size - 1 - (y - 2); ++x)
            image->pixels[static_cast<size_t>(y * size + x)] = Colors::Black;
    return image;
}

}  // namespace vekgrid
