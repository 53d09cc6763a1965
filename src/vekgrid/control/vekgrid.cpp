#include "vekgrid/control/vekgrid.h"

#include <algorithm>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/check_images.h"

namespace vekgrid {

namespace {
constexpr char kWindowProperty[] = "nvVirtualLV";
constexpr int kParkedFocusLeft = -10000;
// Editors are as high as a standard row.
constexpr int kEditorHeight = 240;
constexpr int kPopUpButtonWidth = 255, kPopUpButtonHeight = kEditorHeight;
}  // namespace

vekGRID::vekGRID(Platform& platform)
    : catalogued_platform_(std::make_unique<Catalogued_Platform>(platform)),
      platform_(*catalogued_platform_),
      text_editor_(platform.Create_Text_Box("TextEditor")),
      // Members of the widget arrays start hidden, as loaded array members do; each column's
      // activation shows its own.
      combo_editor_([this, &platform](int index) {
          auto combo = platform.Create_Combo_Box("ComboEditor(" + std::to_string(index) + ")");
          combo->Visible(false);
          combo->Height(kEditorHeight);
          combo->On_Click = [this] { combo_picked_for_unlisted_.reset(); };  // a real choice
          return combo;
      }),
      popup_editor_([this, &platform](int index) {
          auto button =
              platform.Create_Command_Button("PopUpEditor(" + std::to_string(index) + ")");
          button->Visible(false);
          // A small square beside the cell, the row's height.
          button->Width(kPopUpButtonWidth);
          button->Height(kPopUpButtonHeight);
          button->On_Click = [this, index] { PopUpEditor_Click(index); };
          return button;
      }),
      checkbox_on_(platform.Create_Picture_Box("CheckBox_On")),
      checkbox_off_(platform.Create_Picture_Box("CheckBox_Off")),
      picture1_(platform.Create_Picture_Box("Picture1")),
      pic_line_(platform.Create_Picture_Box("PicLine")),
      arrow_green_(platform.Create_Picture_Box("Arrow_Green")),
      arrow_gray_(platform.Create_Picture_Box("Arrow_Gray")),
      vertical_gridline_([&platform](int index) {
          return platform.Create_Picture_Box("Vertical_Gridline(" + std::to_string(index) + ")");
      }),
      text1_(platform.Create_Text_Box("Text1")),
      text2_(platform.Create_Text_Box("Text2")),
      timer1_(platform.Create_Timer()) {
    for (int n = 1; n <= 4; ++n)
        tab_focus_.push_back(platform.Create_Text_Box("Tab_Focus_" + std::to_string(n)));
    checkbox_on_->Picture(Make_Check_Box_Image(true));
    checkbox_off_->Picture(Make_Check_Box_Image(false));
    arrow_green_->Picture(Make_Arrow_Image(0x00FF00));
    arrow_gray_->Picture(Make_Arrow_Image(Colors::White));
    for (auto* image : {checkbox_on_.get(), checkbox_off_.get(), picture1_.get(), pic_line_.get(),
                        &vertical_gridline_(0), arrow_green_.get(), arrow_gray_.get()})
        image->Visible(false);
    text_editor_->Height(kEditorHeight);
    text2_->Text("003 v16");
    text2_->Visible(false);
    text1_->Visible(false);
    grid_.Set_Listener(this);
    text_editor_->On_GotFocus = [this] { TextEditor_GotFocus(); };
    for (int n = 1; n <= 4; ++n)
        tab_focus_[static_cast<size_t>(n - 1)]->On_GotFocus = [this, n] { Tab_Focus_GotFocus(n); };
    timer1_->On_Tick = [this] { Timer1_Timer(); };
    // Tab order: 1 catches focus arriving from before the control, 2 sits just before the
    // editors (Shift+Tab lands there), 3 just after them (Tab lands there), 4 catches focus
    // arriving from after. Drop-down editors take tab index 4 when they are made.
    tab_focus_[0]->TabIndex(0);
    tab_focus_[1]->TabIndex(1);
    text_editor_->TabIndex(2);
    tab_focus_[2]->TabIndex(5);
    tab_focus_[3]->TabIndex(6);

    // Start-up; each step on its own.
    Ignore_Errors([&] { Allow_Shortcut_Keys = true; });
    Ignore_Errors([&] { grid_.FocusRect(0); });
    Ignore_Errors([&] { column_properties_ = Variant_Array(0, Col_Attr::Last, 0, 0); });
    Ignore_Errors([&] { grid_.Rows(1); });
    Ignore_Errors([&] { grid_.Cols(1); });
    // No cell is left to edit or to report.
    CurrentRow = CurrentCol = previous_row_ = previous_col_ = 0;
    cell_change_pending_ = false;
    column_one_frozen_ = false;
    // The one grid option switched off: whole-row and whole-column selection by clicking a
    // header, which would move the selection behind the control's back.
    Ignore_Errors([&] { grid_.AllowBigSelection(false); });
    Ignore_Errors([&] {
        timer1_->Interval(400);
        timer1_->Enabled(true);
    });
    for (auto& box : tab_focus_) Ignore_Errors([&] { box->Left(kParkedFocusLeft); });
    left_col_always_visible_ = true;
}

vekGRID::~vekGRID() {
    // Undo every window interception before the windows go.
    Ignore_Errors([&] { Remove_Grid_Interception(); });
    for (int index : combo_editor_.Indices())
        Ignore_Errors([&] { Remove_Combo_Interception(index); });
    grid_.Set_Listener(nullptr);
    if (parent_form_) parent_form_->Remove_Closing_Listener(closing_token_);
}

void vekGRID::Show() {
    if (platform_.Design_Mode() || parent_form_) return;
    parent_form_ = platform_.Parent_Form();
    if (parent_form_)
        closing_token_ = parent_form_->Add_Closing_Listener([this] { Form_Closing(); });
}

void vekGRID::Resize(int width, int height) {
    Ignore_Errors([&] { grid_.Visible(false); });
    Ignore_Errors([&] { grid_.Top(0); });
    Ignore_Errors([&] { grid_.Left(0); });
    Ignore_Errors([&] { grid_.Width(width); });
    Ignore_Errors([&] { grid_.Height(height); });
    Ignore_Errors([&] { grid_.Visible(true); });
    if (!left_col_always_visible_ || grid_.FixedCols() > 1) {
        Ignore_Errors([&] { GridEditor_Scroll(); });
        return;
    }
    int columns_width = 0;
    for (int c = 0; c < grid_.Cols(); ++c) columns_width += grid_.ColWidth(c);
    int available = grid_.Width();
    if (grid_.Window_Style() & Window_Style_Bits::Vertical_Scroll)
        available -= platform_.System_Metric(9) * platform_.Twips_Per_Pixel_X();
    if (available > columns_width) {
        Ignore_Errors([&] { GridEditor_Scroll(); });
        return;
    }
    // Column 1 gives up its frozen look; restyled only if it has it.
    Style_Column_One(false);
    Ignore_Errors([&] { pic_line_->Visible(false); });
    Ignore_Errors([&] { GridEditor_Scroll(); });
}

void vekGRID::Add_Listener(vekGRID_Events& listener) {
    listeners_.push_back(&listener);
}

void vekGRID::Remove_Listener(vekGRID_Events& listener) {
    std::erase(listeners_, &listener);
}

void vekGRID::Show_Catchers(bool on) {
    for (auto& box : tab_focus_) box->Visible(on);
}

void vekGRID::Mark_Changed(const std::string& name) {
    if (On_Property_Changed) On_Property_Changed(name);
}

void vekGRID::Select(int row1, int col1, int row2, int col2) {
    grid_.Row(row1);
    grid_.Col(col1);
    grid_.RowSel(row2);
    grid_.ColSel(col2);
}

std::int32_t vekGRID::Column_Editor(int col) const {
    if (!column_properties_.Contains(Col_Attr::Editor, col)) return TextBox;
    const Variant& kind = column_properties_(Col_Attr::Editor, col);
    return kind.Is_Empty() || !kind.Is_Numeric() ? TextBox : kind.To_Long();
}

bool vekGRID::Column_Flag(int attribute, int col) const {
    if (!column_properties_.Contains(attribute, col)) return false;
    const Variant& flag = column_properties_(attribute, col);
    return flag.Is_Numeric() && flag.To_Bool();
}

bool vekGRID::Enabled() const {
    return grid_.Enabled();
}

void vekGRID::Enabled(bool on) {
    Ignore_Errors([&] { grid_.Enabled(on); });
    Mark_Changed("Enabled");
    const bool catchers_hidden = Catchers_Visible();
    if (catchers_hidden) Show_Catchers(false);
    Ignore_Errors([&] { grid_.Visible(false); });
    if (grid_.Enabled()) {
        // The reformatting switches Redraw on as it ends; the host's setting stands.
        const bool redraw = grid_.Redraw();
        Ignore_Errors([&] { Reformat_Grid(); });
        grid_.Redraw(redraw);
    } else {
        // Every cell outside divider columns greys out; one fill per column.
        bool was_updating = updating_grid_;
        updating_grid_ = true;
        int row = grid_.Row(), col = grid_.Col();
        Ignore_Errors([&] { grid_.FillStyle(1); });
        for (int c = 0; c < grid_.Cols(); ++c) {
            if (Column_Editor(c) == Divider) continue;
            Ignore_Errors([&] {
                Select(0, c, grid_.Rows() - 1, c);
                grid_.CellBackColor(Colors::Inactive_Border);
            });
        }
        Ignore_Errors([&] { grid_.FillStyle(0); });
        Ignore_Errors([&] { grid_.Row(row); });
        Ignore_Errors([&] { grid_.Col(col); });
        updating_grid_ = was_updating;
        Ignore_Errors([&] { Hide_Editors(); });
    }
    Ignore_Errors([&] { grid_.Visible(true); });
    if (catchers_hidden) Show_Catchers(true);
}

void vekGRID::Clear_Grid() {
    Ignore_Errors([&] { GridEditor_LeaveCell(); });
    Ignore_Errors([&] { Hide_Editors(); });
    Ignore_Errors([&] { text_editor_->Text(""); });
    Ignore_Errors([&] { grid_.Rows(1); });
    Ignore_Errors([&] { grid_.Cols(1); });
    // No cell is left to edit or to report.
    CurrentRow = CurrentCol = previous_row_ = previous_col_ = 0;
    cell_change_pending_ = false;
    column_one_frozen_ = false;
    // The formula sources go with the cells, or the next columns would inherit them.
    Resize_Equation_Mask(0, 0);
    Ignore_Errors([&] { column_properties_ = Variant_Array(0, Col_Attr::Last, 0, 0); });
    for (int index : combo_editor_.Indices()) {
        Ignore_Errors([&] { Remove_Combo_Interception(index); });
        Ignore_Errors([&] { combo_editor_.Unload(index); });
    }
}

void vekGRID::Install_Combo_Interception(int j) {
    if (j > Max_Intercepted_Column) return;
    auto& windows = platform_.Windows();
    Combo_Box& combo = combo_editor_(j);
    if (windows.SetProp(combo.hWnd(), kWindowProperty, Self())) {
        combo_old_window_procedure_[Slot(j)] =
            windows.Replace_Procedure(combo.hWnd(), Combo_Procedure());
        combo_window_handle_[Slot(j)] = combo.hWnd();
    }
    if (windows.SetProp(combo.List_hWnd(), kWindowProperty, Self())) {
        combo_list_old_window_procedure_[Slot(j)] =
            windows.Replace_Procedure(combo.List_hWnd(), Combo_Procedure());
        combo_list_window_handle_[Slot(j)] = combo.List_hWnd();
    }
}

void vekGRID::Remove_Combo_Interception(int j) {
    if (j > Max_Intercepted_Column) return;
    auto& windows = platform_.Windows();
    auto undo = [&](std::intptr_t& handle, std::intptr_t& old_procedure) {
        if (old_procedure == 0) return;
        windows.Replace_Procedure(handle, old_procedure);
        windows.RemoveProp(handle, kWindowProperty);
        old_procedure = 0;
        handle = 0;
    };
    undo(combo_window_handle_[Slot(j)], combo_old_window_procedure_[Slot(j)]);
    undo(combo_list_window_handle_[Slot(j)], combo_list_old_window_procedure_[Slot(j)]);
}

void vekGRID::Install_Grid_Interception() {
    auto& windows = platform_.Windows();
    if (grid_old_window_procedure_ != 0) return;
    if (windows.SetProp(grid_.hWnd(), kWindowProperty, Self()))
        grid_old_window_procedure_ = windows.Replace_Procedure(grid_.hWnd(), Grid_Procedure());
}

void vekGRID::Remove_Grid_Interception() {
    if (grid_old_window_procedure_ == 0) return;
    auto& windows = platform_.Windows();
    windows.Replace_Procedure(grid_.hWnd(), grid_old_window_procedure_);
    windows.RemoveProp(grid_.hWnd(), kWindowProperty);
    grid_old_window_procedure_ = 0;
}

}  // namespace vekgrid
