#pragma once
#include <string>

#include "vekgrid/export.h"

namespace vekgrid {

// Message-box style bits and answers, with the values hosts of the original control used.
namespace Msg {
enum Style : int {
    OK_Only = 0,
    OK_Cancel = 1,
    Abort_Retry_Ignore = 2,
    Yes_No_Cancel = 3,
    Yes_No = 4,
    Retry_Cancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    Default_Button2 = 256,
    Default_Button3 = 512,
    System_Modal = 4096,
};
enum Answer : int { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
constexpr int Button_Mask = 7;
constexpr int Icon_Mask = 112;
// The answer of the button a style makes the default one.
VEKGRID_EXPORT Answer Default_Answer(int style);
}  // namespace Msg

// Shows a modal message and returns the button the user chose.
class VEKGRID_EXPORT Message_Box {
  public:
    virtual ~Message_Box() = default;
    virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
};

}  // namespace vekgrid
