#pragma once
#include "vekgrid/control/events.h"

namespace vekgrid::qt {

class Grid_Widget;
class Grid_View;

// The listener a Grid_Widget puts on its control: every event becomes the widget's signal of
// the same name, with Qt types, in the order the control raises them.
class Signal_Relay : public vekGRID_Events {
  public:
    explicit Signal_Relay(Grid_Widget& widget) : widget_(widget) {}
    // The painted grid, once it exists: the current cell's moves are announced on it to
    // assistive technology.
    Grid_View* View = nullptr;

    void PopUpClick(std::int16_t& Col_ID, Variant& Form_Object) override;
    void BeforeRowPaste(double& Row_ID, Variant& New_Row_Data) override;
    void RowPasted(double& Copied_Row_Index, double& Pasted_Row_Index) override;
    void BeforeRowDelete(double& Row_ID) override;
    void RowDeleted(double& Row_ID) override;
    void RowAdded(double& Row_ID) override;
    void BeforeCellChange(const std::string& Previous_Value, const std::string& New_Value,
                          std::int32_t Row, std::int32_t Col, bool& Cancel) override;
    void CellChanged(std::string& Previous_Value, std::string& New_Value, double& Row,
                     double& Col) override;
    void DblClick() override;
    void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& x, float& y) override;
    void Click() override;
    void EnterCell() override;
    void LeaveCell() override;

  private:
    Grid_Widget& widget_;
};

}  // namespace vekgrid::qt
