#pragma once
#include <string>

#include "vekgrid/common/variant.h"
#include "vekgrid/export.h"
#include "vekgrid/platform/message_box.h"

namespace vekgrid {

// The decimal separator of the C++ global locale ("." with the classic one).
VEKGRID_EXPORT char Locale_Decimal_Separator();

// Reads a number out of any cell text ("12.5 mm" is 12.5) whatever the locale's separator;
// 0 when nothing reads. Never fails and shows nothing.
VEKGRID_EXPORT double Text_To_Double(std::string text);

// Reads a length written as feet-inches-fraction ("5'-3-1/2\"" is 63.5 inches) and returns the
// total inches as a number. A text without "-" comes back unchanged; so does a text that does
// not read, after a message box says so.
VEKGRID_EXPORT Variant Convert_Feet_Inches(const std::string& text, Message_Box& messages);

}  // namespace vekgrid
