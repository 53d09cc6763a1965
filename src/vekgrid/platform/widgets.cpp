#include "vekgrid/platform/widgets.h"

#include <algorithm>

#include "vekgrid/common/errors.h"

namespace vekgrid {

void Widget::SetFocus() {
    if (!visible_ || !enabled_) throw Error("Invalid procedure call or argument");
    if (On_Focus_Request)
        On_Focus_Request(*this);
    else
        has_focus_ = true;
}

void Text_Box::Text(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    // The caret ends up after the text, where typing leaves it.
    sel_start_ = static_cast<int>(text_.size());
    sel_length_ = 0;
    if (On_Change) On_Change();
}

void Text_Box::SelStart(int start) {
    if (start < 0) throw Invalid_Argument("Invalid property value");
    sel_start_ = std::min(start, static_cast<int>(text_.size()));
    sel_length_ = 0;
}

void Text_Box::SelLength(int length) {
    if (length < 0) throw Invalid_Argument("Invalid property value");
    sel_length_ = std::min(length, static_cast<int>(text_.size()) - sel_start_);
}

void Combo_Box::Clear() {
    items_.clear();
    list_index_ = -1;
    text_.clear();
    Items_Cleared();
}

void Combo_Box::AddItem(std::string item) {
    items_.push_back(std::move(item));
}

const std::string& Combo_Box::List(int index) const {
    if (index < 0 || index >= ListCount()) throw Subscript_Out_Of_Range();
    return items_[static_cast<size_t>(index)];
}

void Combo_Box::ListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw Invalid_Argument("Invalid property value");
    list_index_ = index;
    text_ = index >= 0 ? items_[static_cast<size_t>(index)] : std::string();
    if (On_Click) On_Click();
}

void Notify_Focus_Move(Widget* previous, Widget* next) {
    if (previous) {
        previous->Focus_Changed(false);
        if (previous->On_LostFocus) previous->On_LostFocus();
    }
    if (next) {
        next->Focus_Changed(true);
        if (next->On_GotFocus) next->On_GotFocus();
    }
}

}  // namespace vekgrid
