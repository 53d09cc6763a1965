#include "vekgrid/qt/grid_signals.h"

#include "vekgrid/qt/grid_accessible.h"
#include "vekgrid/qt/grid_widget.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

Qt::MouseButton To_Button(int code) {
    switch (code) {
        case 2:
            return Qt::RightButton;
        case 4:
            return Qt::MiddleButton;
        case 1:
            return Qt::LeftButton;
        default:
            return Qt::NoButton;
    }
}

Qt::KeyboardModifiers To_Modifiers(int shift) {
    Qt::KeyboardModifiers modifiers;
    if (shift & 1) modifiers |= Qt::ShiftModifier;
    if (shift & 2) modifiers |= Qt::ControlModifier;
    if (shift & 4) modifiers |= Qt::AltModifier;
    return modifiers;
}

}  // namespace

void Signal_Relay::PopUpClick(std::int16_t& Col_ID, Variant&) {
    emit widget_.popUpClicked(Col_ID);
}

void Signal_Relay::BeforeRowPaste(double& Row_ID, Variant& New_Row_Data) {
    QStringList cells;
    Variant_Array* data = New_Row_Data.Is_Array() ? New_Row_Data.To_Array().get() : nullptr;
    if (data)
        for (int c = data->Lower(2); c <= data->Upper(2); ++c)
            cells << Q((*data)(data->Lower(1), c).To_Text());
    const QStringList given = cells;
    emit widget_.beforeRowPaste(static_cast<int>(Row_ID), &cells);
    if (!data || cells == given) return;
    // The host changed the row: what it gives is what is pasted, column for column.
    data->Resize_Second(data->Lower(2) + static_cast<int>(cells.size()) - 1);
    for (int i = 0; i < cells.size(); ++i)
        (*data)(data->Lower(1), data->Lower(2) + i) = cells[i].toStdString();
}

void Signal_Relay::RowPasted(double& Copied_Row_Index, double& Pasted_Row_Index) {
    emit widget_.rowPasted(static_cast<int>(Copied_Row_Index), static_cast<int>(Pasted_Row_Index));
}

void Signal_Relay::BeforeRowDelete(double& Row_ID) {
    emit widget_.beforeRowDelete(static_cast<int>(Row_ID));
}

void Signal_Relay::RowDeleted(double& Row_ID) {
    emit widget_.rowDeleted(static_cast<int>(Row_ID));
}

void Signal_Relay::RowAdded(double& Row_ID) {
    emit widget_.rowAdded(static_cast<int>(Row_ID));
}

void Signal_Relay::BeforeCellChange(const std::string& Previous_Value, const std::string& New_Value,
                                    std::int32_t Row, std::int32_t Col, bool& Cancel) {
    bool accept = true;
    emit widget_.cellChanging(Row, Col, Q(Previous_Value), Q(New_Value), &accept);
    if (!accept) Cancel = true;
}

void Signal_Relay::CellChanged(std::string& Previous_Value, std::string& New_Value, double& Row,
                               double& Col) {
    emit widget_.cellChanged(static_cast<int>(Row), static_cast<int>(Col), Q(Previous_Value),
                             Q(New_Value));
}

void Signal_Relay::DblClick() {
    emit widget_.doubleClicked();
}

void Signal_Relay::MouseDown(std::int16_t& Button, std::int16_t& Shift, float& x, float& y) {
    emit widget_.mouseDown(To_Button(Button), To_Modifiers(Shift),
                           QPointF(x / kTwipsPerPixel, y / kTwipsPerPixel));
}

void Signal_Relay::Click() {
    emit widget_.clicked();
}

void Signal_Relay::EnterCell() {
    if (View) Announce_Current_Cell(*View);
    emit widget_.enterCell();
}

void Signal_Relay::LeaveCell() {
    emit widget_.leaveCell();
}

}  // namespace vekgrid::qt
