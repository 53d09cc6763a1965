#include "vekgrid/qt/colors.h"

#include <array>
#include <utility>

namespace vekgrid::qt {

namespace {

struct System_Role {
    unsigned index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour indices and the palette roles that draw the same parts of a window. The first
// entry for a role is the one System_Color gives back.
constexpr std::array<System_Role, 25> kSystemRoles{{
    {0x0F, QPalette::Active, QPalette::Button},           // button face
    {0x05, QPalette::Active, QPalette::Base},             // window
    {0x08, QPalette::Active, QPalette::Text},             // window text
    {0x0D, QPalette::Active, QPalette::Highlight},        // highlight
    {0x0E, QPalette::Active, QPalette::HighlightedText},  // highlight text
    {0x12, QPalette::Active, QPalette::ButtonText},       // button text
    {0x10, QPalette::Active, QPalette::Dark},             // button shadow
    {0x14, QPalette::Active, QPalette::Light},            // 3-D highlight
    {0x15, QPalette::Active, QPalette::Shadow},           // 3-D dark shadow
    {0x16, QPalette::Active, QPalette::Midlight},         // 3-D light
    {0x17, QPalette::Active, QPalette::ToolTipText},      // tooltip text
    {0x18, QPalette::Active, QPalette::ToolTipBase},      // tooltip back
    {0x1A, QPalette::Active, QPalette::Link},             // hot-tracked item
    {0x0C, QPalette::Active, QPalette::Mid},              // application workspace
    {0x04, QPalette::Active, QPalette::Window},           // menu
    {0x07, QPalette::Active, QPalette::WindowText},       // menu text
    {0x11, QPalette::Disabled, QPalette::Text},           // grey text
    {0x00, QPalette::Active, QPalette::Dark},             // scroll bar
    {0x01, QPalette::Active, QPalette::Window},           // desktop
    {0x02, QPalette::Active, QPalette::Highlight},        // active caption
    {0x03, QPalette::Inactive, QPalette::Highlight},      // inactive caption
    {0x06, QPalette::Active, QPalette::Shadow},           // window frame
    {0x09, QPalette::Active, QPalette::HighlightedText},  // caption text
    {0x0A, QPalette::Active, QPalette::Window},           // active border
    {0x0B, QPalette::Inactive, QPalette::Window},         // inactive border
}};

}  // namespace

QColor To_QColor(Color color, const QPalette& palette) {
    if (!(color & 0x80000000u))
        return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                      static_cast<int>((color >> 16) & 0xFF));
    for (const System_Role& s : kSystemRoles)
        if (s.index == (color & 0xFFu)) return palette.color(s.group, s.role);
    return palette.color(QPalette::Active, QPalette::Button);
}

Color To_Ole_Color(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<Color>(rgb.red()) | static_cast<Color>(rgb.green()) << 8 |
           static_cast<Color>(rgb.blue()) << 16;
}

std::optional<Color> System_Color(QPalette::ColorRole role) {
    for (const System_Role& s : kSystemRoles)
        if (s.role == role && s.group == QPalette::Active) return 0x80000000u | s.index;
    return std::nullopt;
}

}  // namespace vekgrid::qt
