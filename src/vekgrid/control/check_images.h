#pragma once
#include "vekgrid/common/types.h"
#include "vekgrid/export.h"

namespace vekgrid {

// The 13 x 13 pixel images of a ticked and an empty check box.
VEKGRID_EXPORT Picture Make_Check_Box_Image(bool ticked);
// The 9 x 9 pixel down arrow of a pop-up button, on the button's blinking back colour.
VEKGRID_EXPORT Picture Make_Arrow_Image(Color back);

}  // namespace vekgrid
