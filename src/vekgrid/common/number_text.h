#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "vekgrid/export.h"

namespace vekgrid {

// The one double-to-text form of the system: at most 15 significant digits, "." as separator,
// no trailing zeros; magnitudes from 1E+15 up and below 1E-04 are written in exponent form
// ("1.5E-05", "2E+20"), with an upper-case "E", a sign and at least two exponent digits.
VEKGRID_EXPORT std::string Number_Text(double value);

// Reads a whole text as a number with "." as separator: optional sign, digits, one ".",
// optional exponent part. Leading and trailing blanks are allowed. Anything else fails.
VEKGRID_EXPORT std::optional<double> Parse_Number(std::string_view text);

}  // namespace vekgrid
