#pragma once
#include <cstdint>
#include <string>

#include "vekgrid/common/variant.h"
#include "vekgrid/export.h"

namespace vekgrid {

/// The control's events. Arguments passed by reference are writable by the host; for example
/// a BeforeRowPaste handler may change New_Row_Data before the row is pasted.
class VEKGRID_EXPORT vekGRID_Events {
  public:
    virtual ~vekGRID_Events() = default;
    /// A pop-up button was clicked; Form_Object is the column's form, already shown.
    virtual void PopUpClick(std::int16_t& /*Col_ID*/, Variant& /*Form_Object*/) {}
    /// Before Paste_Row writes; New_Row_Data (element c for column c) may be changed.
    virtual void BeforeRowPaste(double& /*Row_ID*/, Variant& /*New_Row_Data*/) {}
    /// After Paste_Row, also when the row clipboard was empty.
    virtual void RowPasted(double& /*Copied_Row_Index*/, double& /*Pasted_Row_Index*/) {}
    /// Before and after Delete_Row removes a row.
    virtual void BeforeRowDelete(double& /*Row_ID*/) {}
    virtual void RowDeleted(double& /*Row_ID*/) {}
    /// A row was added by AddItem, Enter on the last cell or Alt+N.
    virtual void RowAdded(double& /*Row_ID*/) {}
    /// An edit changed a cell's text (for formula cells: its source), raised after the
    /// EnterCell of the next cell; Row and Col name the edited cell.
    virtual void CellChanged(std::string& /*Previous_Value*/, std::string& /*New_Value*/,
                             double& /*Row*/, double& /*Col*/) {}
    /// Before a text the user typed or picked goes into a cell (by leaving the cell or the
    /// control): setting Cancel keeps the cell as it was, and no CellChanged follows. Asked only
    /// when the text differs from the cell's (for formula cells: its source).
    virtual void BeforeCellChange(const std::string& /*Previous_Value*/,
                                  const std::string& /*New_Value*/, std::int32_t /*Row*/,
                                  std::int32_t /*Col*/, bool& /*Cancel*/) {}
    /// Mouse input on the grid, passed on as the grid reported it.
    virtual void DblClick() {}
    virtual void MouseDown(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*x*/,
                           float& /*y*/) {}
    virtual void Click() {}
    /// The current cell was entered or left by the user.
    virtual void EnterCell() {}
    virtual void LeaveCell() {}
};

}  // namespace vekgrid
