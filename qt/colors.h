#pragma once
#include <QColor>
#include <QPalette>
#include <optional>

#include "vekgrid/common/types.h"
#include "vekgrid/qt/qt_platform.h"

/// Colours and sizes between the control's units and Qt's.
namespace vekgrid::qt {

/// An OLE colour as a QColor: &H00BBGGRR as it stands; a system colour (&H80000000 + index,
/// such as &H8000000F button face) as the palette draws its role, so the grid follows the
/// desktop's theme.
VEKGRID_QT_EXPORT QColor To_QColor(Color color, const QPalette& palette);
/// A QColor as an OLE colour &H00BBGGRR (alpha is dropped), for the control's colour setters.
VEKGRID_QT_EXPORT Color To_Ole_Color(const QColor& color);
/// The system colour that stands for a palette role (QPalette::Button: &H8000000F), if any.
VEKGRID_QT_EXPORT std::optional<Color> System_Color(QPalette::ColorRole role);

/// Twips, the control's unit, and pixels at the 96 dpi its measures assume (15 twips a pixel).
constexpr int To_Twips(int pixels) {
    return pixels * kTwipsPerPixel;
}
constexpr int To_Pixels(int twips) {
    return Px(twips);
}

}  // namespace vekgrid::qt
