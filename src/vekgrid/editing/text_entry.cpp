#include <cctype>
#include <string_view>

#include "vekgrid/common/errors.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

namespace {
bool One_Of(int key, std::string_view allowed) {
    if (key < 0 || key > 255) return false;
    const char c = static_cast<char>(std::toupper(key));
    for (char a : allowed)
        if (std::toupper(static_cast<unsigned char>(a)) == static_cast<unsigned char>(c))
            return true;
    return false;
}
}  // namespace

void vekGRID::TextEditor_KeyPress(std::int16_t& KeyAscii) {
    const int key = KeyAscii;
    if (key == 3 || key == 22 || key == 8 || key == 13) return;  // copy, paste, backspace, enter
    const int k = CurrentCol;
    const bool formula = Column_Flag(Col_Attr::Formula, k);
    if (formula && Column_Flag(Col_Attr::Variables, k)) return;
    bool pass = true;
    if (formula) {
        pass = One_Of(key, "0123456789./-+eE*=");
    } else if (column_properties_.Contains(Col_Attr::Data_Type, k)) {
        const Variant& type = column_properties_(Col_Attr::Data_Type, k);
        const auto data_type = type.Is_Numeric() ? type.To_Long() : AlphaNumeric;
        if (data_type == Alphabetical) pass = !One_Of(key, "0123456789./-+");
        if (data_type == Numeric) pass = One_Of(key, "0123456789./-+eE=");
    }
    if (!pass) KeyAscii = 0;
}

void vekGRID::TextEditor_GotFocus() {
    try {
        const int k = CurrentCol;
        if (grid_.ColWidth(k) < 1) return;
        if (Column_Editor(k) == PopUp && !Column_Flag(Col_Attr::PopUp_Cell_Editing, k)) return;
        text_editor_->Visible(true);
        text_editor_->SelStart(0);
        text_editor_->SelLength(static_cast<int>(text_editor_->Text().size()));
    } catch (...) {
    }
}

void vekGRID::TextEditor_MouseDown(std::int16_t Button, std::int16_t Shift, float x, float y) {
    if (Button != 2) return;
    // Disabling the box for a moment drops the system's own context menu.
    Ignore_Errors([&] { text_editor_->Enabled(false); });
    platform_.Do_Events();
    Ignore_Errors([&] { text_editor_->Enabled(true); });
    Raise_Event([&](vekGRID_Events& l) { l.MouseDown(Button, Shift, x, y); });
}

}  // namespace vekgrid
