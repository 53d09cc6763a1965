#pragma once
// The control as its platform front ends and its tests see it: the input handlers a platform
// feeds, the child widgets, and the state the handlers keep. A host never needs this header (it
// is not installed); vekgrid.h is the host's API.
#include <cstdint>
#include <string>
#include <utility>

#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

// Control is vekGRID or const vekGRID; the handlers need a control that is not const.
template <class Control>
class vekGRID::Internals {
  public:
    explicit Internals(Control& control) : control_(control) {}

    // --- Input the platform reports ------------------------------------------------------
    void UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t Shift) const {
        control_.UserControl_KeyDown(KeyCode, Shift);
    }
    void UserControl_KeyPress(std::int16_t& KeyAscii) const {
        control_.UserControl_KeyPress(KeyAscii);
    }
    void Tab_Focus_GotFocus(int n, bool mouse_button_down = false, bool tab_key_down = true) const {
        control_.Tab_Focus_GotFocus(n, mouse_button_down, tab_key_down);
    }
    void UserControl_EnterFocus() const { control_.UserControl_EnterFocus(); }
    void UserControl_ExitFocus() const { control_.UserControl_ExitFocus(); }
    void Window_Message(std::intptr_t window, int message, std::int32_t wparam) const {
        control_.Window_Message(window, message, wparam);
    }
    void TextEditor_KeyPress(std::int16_t& KeyAscii) const {
        control_.TextEditor_KeyPress(KeyAscii);
    }
    void TextEditor_GotFocus() const { control_.TextEditor_GotFocus(); }
    void TextEditor_MouseDown(std::int16_t Button, std::int16_t Shift, float x, float y) const {
        control_.TextEditor_MouseDown(Button, Shift, x, y);
    }
    void PopUpEditor_Click(int index) const { control_.PopUpEditor_Click(index); }

    // --- Child widgets -------------------------------------------------------------------
    decltype(auto) GridEditor() const { return control_.GridEditor(); }
    decltype(auto) TextEditor() const { return control_.TextEditor(); }
    decltype(auto) ComboEditor() const { return control_.ComboEditor(); }
    decltype(auto) PopUpEditor() const { return control_.PopUpEditor(); }
    decltype(auto) Tab_Focus(int n) const { return control_.Tab_Focus(n); }
    decltype(auto) CheckBox_On() const { return control_.CheckBox_On(); }
    decltype(auto) CheckBox_Off() const { return control_.CheckBox_Off(); }
    decltype(auto) Picture1() const { return control_.Picture1(); }
    decltype(auto) PicLine() const { return control_.PicLine(); }
    decltype(auto) Vertical_Gridline() const { return control_.Vertical_Gridline(); }
    decltype(auto) Text1() const { return control_.Text1(); }
    decltype(auto) Text2() const { return control_.Text2(); }
    decltype(auto) Timer1() const { return control_.Timer1(); }
    Host_Form* Parent_Form() const { return control_.Parent_Form(); }
    decltype(auto) Host_Platform() const { return control_.Host_Platform(); }

    // --- State the handlers keep ---------------------------------------------------------
    const Variant_Array& Column_Properties() const { return control_.Column_Properties(); }
    const vekgrid::Equation_Mask& Equation_Mask() const { return control_.Equation_Mask(); }
    const Undo_Journal& Journal() const { return control_.Journal(); }
    double Mouse_X() const { return control_.Mouse_X(); }
    double Mouse_Y() const { return control_.Mouse_Y(); }
    double Combo_List_Position() const { return control_.Combo_List_Position(); }
    bool Ignore_Cell_Change() const { return control_.Ignore_Cell_Change(); }
    bool Cell_Change_Pending() const { return control_.Cell_Change_Pending(); }
    std::int32_t Previous_Row() const { return control_.Previous_Row(); }
    std::int32_t Previous_Col() const { return control_.Previous_Col(); }
    bool Control_Has_Focus() const { return control_.Control_Has_Focus(); }
    const std::string& Last_Direction() const { return control_.Last_Direction(); }
    bool Paste_In_Progress() const { return control_.Paste_In_Progress(); }
    bool Updating_Grid() const { return control_.Updating_Grid(); }
    bool Suppress_Cell_Events() const { return control_.Suppress_Cell_Events(); }
    bool Suppress_Combo_Dropdown() const { return control_.Suppress_Combo_Dropdown(); }
    Color Control_Back_Color() const { return control_.Control_Back_Color(); }

    // --- Window interception -------------------------------------------------------------
    std::intptr_t Combo_Window_Handle(int col) const { return control_.Combo_Window_Handle(col); }
    std::intptr_t Combo_List_Window_Handle(int col) const {
        return control_.Combo_List_Window_Handle(col);
    }
    std::intptr_t Combo_Old_Window_Procedure(int col) const {
        return control_.Combo_Old_Window_Procedure(col);
    }
    std::intptr_t Combo_List_Old_Window_Procedure(int col) const {
        return control_.Combo_List_Old_Window_Procedure(col);
    }
    std::intptr_t Combo_Procedure() const { return control_.Combo_Procedure(); }
    std::intptr_t Grid_Procedure() const { return control_.Grid_Procedure(); }
    static constexpr int Max_Intercepted_Column = vekGRID::Max_Intercepted_Column;

  private:
    Control& control_;
};

inline vekGRID::Internals<vekGRID> Internals_Of(vekGRID& control) {
    return vekGRID::Internals<vekGRID>(control);
}
inline vekGRID::Internals<const vekGRID> Internals_Of(const vekGRID& control) {
    return vekGRID::Internals<const vekGRID>(control);
}

}  // namespace vekgrid
