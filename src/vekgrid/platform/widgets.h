#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vekgrid/common/types.h"
#include "vekgrid/export.h"

namespace vekgrid {

// The editor widgets the control lays over its grid. Each class keeps the widget's state, so
// by itself it is the headless widget that tests observe; a front end derives from it,
// overrides the setters to mirror the state onto a real widget (calling the base first), and
// reports user input back through the same setters and the On_* callbacks.
class VEKGRID_EXPORT Widget {
  public:
    explicit Widget(std::string name) : name_(std::move(name)) {}
    virtual ~Widget() {
        if (On_Destroyed) On_Destroyed(*this);
    }
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    const std::string& Name() const { return name_; }
    // A per-widget window identity for the window-property bookkeeping.
    std::intptr_t hWnd() const { return reinterpret_cast<std::intptr_t>(this); }

    bool Visible() const { return visible_; }
    virtual void Visible(bool on) { visible_ = on; }
    bool Enabled() const { return enabled_; }
    virtual void Enabled(bool on) { enabled_ = on; }
    int Left() const { return left_; }
    virtual void Left(int twips) { left_ = twips; }
    int Top() const { return top_; }
    virtual void Top(int twips) { top_ = twips; }
    int Width() const { return width_; }
    virtual void Width(int twips) { width_ = twips; }
    int Height() const { return height_; }
    virtual void Height(int twips) { height_ = twips; }
    void Move(int left, int top, int width, int height) {
        Left(left), Top(top), Width(width), Height(height);
    }
    // 0 brings the widget to the front, 1 sends it to the back.
    int Z_Order() const { return z_order_; }
    virtual void ZOrder(int position = 0) { z_order_ = position, ++z_order_calls_; }
    int Z_Order_Calls() const { return z_order_calls_; }
    int TabIndex() const { return tab_index_; }
    virtual void TabIndex(int index) { tab_index_ = index; }
    bool TabStop() const { return tab_stop_; }
    virtual void TabStop(bool on) { tab_stop_ = on; }

    // Focus is tracked by the platform; the widget only asks for it.
    bool Has_Focus() const { return has_focus_; }
    virtual void SetFocus();
    void Focus_Changed(bool has_focus) { has_focus_ = has_focus; }
    std::function<void(Widget&)> On_Focus_Request;  // set by the platform
    std::function<void(Widget&)> On_Destroyed;      // set by the platform

    std::function<void()> On_GotFocus, On_LostFocus;

  private:
    std::string name_;
    bool visible_ = true, enabled_ = true;
    int left_ = 0, top_ = 0, width_ = 1200, height_ = 285;
    int z_order_ = 0, z_order_calls_ = 0;
    int tab_index_ = 0;
    bool tab_stop_ = true;
    bool has_focus_ = false;
};

// Tells the widget that lost the focus, then the one that got it (either may be null).
VEKGRID_EXPORT void Notify_Focus_Move(Widget* previous, Widget* next);

class VEKGRID_EXPORT Text_Box : public Widget {
  public:
    using Widget::Widget;
    // Text and selection; a new text puts the caret after it and calls On_Change.
    const std::string& Text() const { return text_; }
    virtual void Text(std::string text);
    int SelStart() const { return sel_start_; }
    virtual void SelStart(int start);
    int SelLength() const { return sel_length_; }
    virtual void SelLength(int length);
    // A locked box shows its text but takes no typing.
    bool Locked() const { return locked_; }
    virtual void Locked(bool on) { locked_ = on; }
    const vekgrid::Font& Font() const { return font_; }
    virtual void Font(const vekgrid::Font& font) { font_ = font; }
    Color BackColor() const { return back_color_; }
    virtual void BackColor(Color c) { back_color_ = c; }
    int Alignment() const { return alignment_; }  // 0 left, 1 right, 2 centre
    virtual void Alignment(int a) { alignment_ = a; }

    // Called after every change of the text.
    std::function<void()> On_Change;

  private:
    std::string text_;
    int sel_start_ = 0, sel_length_ = 0;
    bool locked_ = false;
    vekgrid::Font font_;
    Color back_color_ = Colors::Window;
    int alignment_ = 0;
};

class VEKGRID_EXPORT Combo_Box : public Widget {
  public:
    using Widget::Widget;
    // The list of items; Clear empties it and selects nothing.
    void Clear();
    virtual void AddItem(std::string item);
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int index) const;
    const std::vector<std::string>& Items() const { return items_; }
    int ListIndex() const { return list_index_; }
    // -1 selects nothing; the text follows the selected item.
    virtual void ListIndex(int index);
    const std::string& Text() const { return text_; }
    virtual void Text(std::string text) { text_ = std::move(text); }
    // Whether the list is open.
    bool Dropped_Down() const { return dropped_; }
    virtual void Dropped_Down(bool open) { dropped_ = open; }
    // The open list's least width, so long items show whole.
    int List_Min_Width() const { return list_min_width_; }  // pixels
    virtual void List_Min_Width(int pixels) { list_min_width_ = pixels; }
    bool Locked() const { return locked_; }
    virtual void Locked(bool on) { locked_ = on; }
    const vekgrid::Font& Font() const { return font_; }
    virtual void Font(const vekgrid::Font& font) { font_ = font; }
    std::intptr_t List_hWnd() const { return hWnd() + 1; }

    // The user picked an item.
    std::function<void()> On_Click;

  protected:
    virtual void Items_Cleared() {}

  private:
    std::vector<std::string> items_;
    int list_index_ = -1;
    std::string text_;
    bool dropped_ = false;
    int list_min_width_ = 0;
    bool locked_ = false;
    vekgrid::Font font_;
};

class VEKGRID_EXPORT Command_Button : public Widget {
  public:
    using Widget::Widget;
    Color BackColor() const { return back_color_; }
    virtual void BackColor(Color c) { back_color_ = c; }
    const vekgrid::Picture& Picture() const { return picture_; }
    virtual void Picture(vekgrid::Picture p) { picture_ = std::move(p); }
    // The user clicked the button.
    std::function<void()> On_Click;

  private:
    Color back_color_ = Colors::Button_Face;
    vekgrid::Picture picture_;
};

class VEKGRID_EXPORT Picture_Box : public Widget {
  public:
    using Widget::Widget;
    Color BackColor() const { return back_color_; }
    virtual void BackColor(Color c) { back_color_ = c; }
    Color ForeColor() const { return fore_color_; }
    virtual void ForeColor(Color c) { fore_color_ = c; }
    Color FillColor() const { return fill_color_; }
    virtual void FillColor(Color c) { fill_color_ = c; }
    const vekgrid::Picture& Picture() const { return picture_; }
    virtual void Picture(vekgrid::Picture p) { picture_ = std::move(p); }

  private:
    Color back_color_ = Colors::Button_Face;
    Color fore_color_ = Colors::Black, fill_color_ = Colors::Black;
    vekgrid::Picture picture_;
};

// Fires On_Tick every Interval milliseconds while enabled. The headless timer fires only when
// the host or a test calls Tick().
class VEKGRID_EXPORT Timer {
  public:
    virtual ~Timer() = default;
    int Interval() const { return interval_; }
    virtual void Interval(int ms) { interval_ = ms; }
    bool Enabled() const { return enabled_; }
    virtual void Enabled(bool on) { enabled_ = on; }
    void Tick() {
        if (enabled_ && interval_ > 0 && On_Tick) On_Tick();
    }
    std::function<void()> On_Tick;

  private:
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace vekgrid
