#pragma once
#include <cstdint>
#include <string>

#include "vekgrid/common/variant.h"

namespace vekgrid {

// The control's events. Arguments passed by reference are writable by the host; for example
// a BeforeRowPaste handler may change New_Row_Data before the row is pasted.
class vekGRID_Events {
  public:
    virtual ~vekGRID_Events() = default;
    virtual void PopUpClick(std::int16_t& /*Col_ID*/, Variant& /*Form_Object*/) {}
    virtual void BeforeRowPaste(double& /*Row_ID*/, Variant& /*New_Row_Data*/) {}
    virtual void RowPasted(double& /*Copied_Row_Index*/, double& /*Pasted_Row_Index*/) {}
    virtual void BeforeRowDelete(double& /*Row_ID*/) {}
    virtual void RowDeleted(double& /*Row_ID*/) {}
    virtual void RowAdded(double& /*Row_ID*/) {}
    virtual void CellChanged(std::string& /*Previous_Value*/, std::string& /*New_Value*/,
                             double& /*Row*/, double& /*Col*/) {}
    virtual void DblClick() {}
    virtual void MouseDown(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*x*/,
                           float& /*y*/) {}
    virtual void Click() {}
    virtual void EnterCell() {}
    virtual void LeaveCell() {}
};

}  // namespace vekgrid
