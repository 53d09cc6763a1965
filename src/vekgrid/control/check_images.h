#pragma once
#include "vekgrid/common/types.h"

namespace vekgrid {

// The 13 x 13 pixel images of a ticked and an empty check box.
Picture Make_Check_Box_Image(bool ticked);

}  // namespace vekgrid
