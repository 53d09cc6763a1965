#include "vekgrid/platform/message_box.h"

namespace vekgrid::Msg {

Answer Default_Answer(int style) {
    static constexpr Answer buttons[6][3] = {
        {OK, OK, OK},      {OK, Cancel, Cancel}, {Abort, Retry, Ignore},
        {Yes, No, Cancel}, {Yes, No, No},        {Retry, Cancel, Cancel},
    };
    int set = style & Button_Mask;
    if (set > 5) set = 0;
    int which = (style & Default_Button3) ? 2 : (style & Default_Button2) ? 1 : 0;
    return buttons[set][which];
}

}  // namespace vekgrid::Msg
