#pragma once
#include <stdexcept>
#include <string>

#include "vekgrid/export.h"

namespace vekgrid {

/// Errors that an operation lets through to its caller. Most control operations swallow them
/// statement by statement (see Ignore_Errors); the few that stop show a message box through the
/// platform instead. What does reach a host is always an Error or one of the classes below, so
/// `catch (const vekgrid::Error&)` covers every call; what() gives the classic message text.
/// A plain Error reports the rest: a number too large for 32 bits, widget-array misuse.
class VEKGRID_EXPORT Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// An index outside what it addresses: a cell read (Cell_Text, TextMatrix get) past the grid, an
/// Add_Column edit whose Display_Index is not in the column table, Host_Grid and Equation_Mask
/// access out of range.
class VEKGRID_EXPORT Subscript_Out_Of_Range : public Error {
  public:
    Subscript_Out_Of_Range() : Error("Subscript out of range") {}
    explicit Subscript_Out_Of_Range(const std::string& what) : Error(what) {}
};

/// A variant read as a kind it does not hold (a text that is no number, an array expected).
class VEKGRID_EXPORT Type_Mismatch : public Error {
  public:
    Type_Mismatch() : Error("Type mismatch") {}
};

/// A value no setter takes: negative Rows or Cols, a row height or column width below -1, a
/// FillStyle other than 0 or 1, a font size outside 0..2048 (from Host_Grid).
class VEKGRID_EXPORT Invalid_Argument : public Error {
  public:
    explicit Invalid_Argument(const std::string& what) : Error(what) {}
};

/// Runs one statement and swallows any error it raises, so a sequence of statements goes on
/// past a failing one.
template <class Statement>
void Ignore_Errors(Statement&& statement) noexcept {
    try {
        statement();
    } catch (...) {
    }
}

}  // namespace vekgrid
