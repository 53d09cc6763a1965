#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "vekgrid/platform/platform.h"
#include "vekgrid/qt/export.h"

class QMessageBox;

namespace vekgrid::qt {

// Twips per pixel at the 96 dpi the control's measures assume.
constexpr int kTwipsPerPixel = 15;
// Twips to whole pixels, rounding down (positions).
constexpr int Px(long long twips) {
    return static_cast<int>(twips / kTwipsPerPixel);
}
// A size: one under a pixel still shows as one, as on the desktop (a one-twip strip is a line).
constexpr int Px_Size(int twips) {
    return twips <= 0 ? 0 : std::max(1, (twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

// An OLE colour (&H00BBGGRR, or a system colour index) as Qt sees it; system colours come
// from the palette (the application's when none is given).
VEKGRID_QT_EXPORT QColor To_QColor(Color color);
VEKGRID_QT_EXPORT QColor To_QColor(Color color, const QPalette& palette);
VEKGRID_QT_EXPORT QFont To_QFont(const Font& font);
VEKGRID_QT_EXPORT QImage To_QImage(const Image& image);
// Modifier and mouse-button bits as the control's handlers take them: Shift 1, Ctrl 2, Alt 4;
// left 1, right 2, middle 4.
VEKGRID_QT_EXPORT int Shift_Code(Qt::KeyboardModifiers modifiers);
VEKGRID_QT_EXPORT int Button_Code(Qt::MouseButtons buttons);

// Qt message boxes. A host or a test may answer in place of the user (Answer_With); every
// message is recorded either way.
//
// One operation or user action shows at most one box of notices: a box with only an OK button
// has a single answer, so it is answered at once and collected; the collection shows as one box
// (the first text, the others in its details) when control returns to the event loop, or before
// a question, which is still asked on the spot.
class VEKGRID_QT_EXPORT Qt_Message_Box : public Message_Box {
  public:
    explicit Qt_Message_Box(QWidget* parent) : parent_(parent) {}
    int MsgBox(const std::string& text, int style, const std::string& title) override;
    // Shows the collected notices now, if any.
    void Show_Collected();

    std::function<int(const std::string& text, int style, const std::string& title)> Answer_With;
    // Runs a box in place of exec(), as a test standing in for the person does.
    std::function<int(QMessageBox& box)> Exec_With;
    struct Call {
        std::string text, title;
        int style;
    };
    std::vector<Call> calls;

  private:
    int Show(const Call& call, const QString& details);

    QPointer<QWidget> parent_;
    std::vector<Call> collected_;
    QObject context_;  // the queued showing dies with the box
};

// Text measured with the real font, in twips at the 96 dpi above.
class VEKGRID_QT_EXPORT Qt_Text_Metrics : public Text_Metrics {
  public:
    int Text_Width(const std::string& text, const Font& font) const override;
    int Text_Height(const std::string& text, const Font& font) const override;
    int Line_Count(const std::string& text, const Font& font, int width) const override;
};

// The window the control sits in; its close event is the form's closing.
class VEKGRID_QT_EXPORT Qt_Form : public Host_Form, public QObject {
  public:
    explicit Qt_Form(QWidget* window);
    QWidget* Window() const { return window_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
};

// The system clipboard through QClipboard: plain text, and the cells as text/html beside it.
class VEKGRID_QT_EXPORT Qt_Clipboard final : public Clipboard {
  public:
    std::string Text() const override;
    void Set_Text(const std::string& text, const std::string& html) override;
};

// The platform on Qt Widgets: the control's widgets become children of `surface`, the widget
// the control is drawn on, with positions converted from twips.
class VEKGRID_QT_EXPORT Qt_Platform : public Platform {
  public:
    explicit Qt_Platform(QWidget* surface);
    ~Qt_Platform() override;

    std::unique_ptr<Text_Box> Create_Text_Box(const std::string& name) override;
    std::unique_ptr<Combo_Box> Create_Combo_Box(const std::string& name) override;
    std::unique_ptr<Command_Button> Create_Command_Button(const std::string& name) override;
    std::unique_ptr<Picture_Box> Create_Picture_Box(const std::string& name) override;
    std::unique_ptr<Timer> Create_Timer() override;

    Message_Box& Messages() override { return messages_; }
    Qt_Message_Box& Qt_Messages() { return messages_; }
    const Text_Metrics& Metrics() const override { return metrics_; }
    Window_Registry& Windows() override { return windows_; }
    Clipboard& System_Clipboard() override { return clipboard_; }

    // "{DOWN 3}", "{ENTER}", "~", "+{TAB}" or plain characters, posted to the focused widget.
    void Send_Keys(const std::string& keys) override;
    void Do_Events() override;
    std::pair<int, int> Cursor_Position() const override;
    void Synthesize_Click(bool press_only) override;

    int Twips_Per_Pixel_X() const override { return kTwipsPerPixel; }
    int Twips_Per_Pixel_Y() const override { return kTwipsPerPixel; }
    int Screen_Width() const override;
    int Screen_Height() const override;
    int System_Metric(int index) const override;

    bool Design_Mode() const override { return false; }
    // The top-level window of the surface, once the surface is in one.
    Host_Form* Parent_Form() override;
    Widget* Focused() const override { return focused_; }

    // The Qt widget showing a control widget, and back; a part (a drop-down's list) maps to
    // its widget.
    QWidget* Qt_Widget_Of(const Widget& widget) const;
    Widget* Widget_Of(const QObject* qt_widget) const;

    // Bookkeeping of the Qt widgets, called by the widgets themselves.
    void Register(Widget& widget, QWidget& qt_widget);
    void Register_Part(Widget& widget, QWidget& part);
    void Unregister(Widget& widget);
    // A widget is about to be hidden: if it has the focus, the focus goes quietly to the grid
    // view first, so Qt does not hand it on to the next widget in the tab chain.
    void Before_Hide(QWidget& qt_widget);
    // Lowers a widget without putting it under the grid view.
    void Send_Behind(QWidget& qt_widget);
    // Tab order follows TabIndex, the grid view taking index 3; called when an index changes.
    void Order_Tabs();
    // The painted grid: it sits under every widget and takes the focus parked on the grid.
    void Set_Grid_Surface(QWidget* view);
    // Installed on every Qt widget made, so the surface previews their keys.
    QObject* Key_Filter = nullptr;

  private:
    // Logical focus: tells the widget that lost it and the one that got it.
    void Focus_Moved(Widget* widget);
    // A widget asked for the focus (SetFocus).
    void Give_Focus(Widget& widget);
    void Qt_Focus_Changed(QWidget* now);

    QPointer<QWidget> surface_;
    QPointer<QWidget> grid_view_;
    QObject context_;  // owns the signal connections
    Qt_Message_Box messages_;
    Qt_Text_Metrics metrics_;
    Qt_Clipboard clipboard_;
    Window_Registry windows_;
    std::unique_ptr<Qt_Form> form_;
    std::unordered_map<const QObject*, Widget*> by_qt_;
    std::unordered_map<const Widget*, QWidget*> qt_of_;
    std::vector<Widget*> widgets_;  // creation order, for tab ties
    Widget* focused_ = nullptr;
    Widget* pending_focus_ = nullptr;  // asked for, not yet told
    bool moving_focus_ = false;
};

}  // namespace vekgrid::qt
