#include "vekgrid/qt/grid_widget.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QToolTip>
#include <string_view>

#include "vekgrid/control/internals.h"
#include "vekgrid/platform/file_property_bag.h"
#include "vekgrid/qt/column_header.h"
#include "vekgrid/qt/context_menu.h"
#include "vekgrid/qt/grid_accessible.h"
#include "vekgrid/qt/grid_signals.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

namespace {

constexpr int kTab = 9, kEnter = 13, kPageUp = 33, kPageDown = 34, kUp = 38, kDown = 40;

// Qt keys as the classic virtual-key codes the control's key handler speaks; 0 for keys it
// has no use for.
int Key_Code(const QKeyEvent& key) {
    const int k = key.key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return 112 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kEnter;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return kPageUp;
        case Qt::Key_PageDown:
            return kPageDown;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return kUp;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return kDown;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

}  // namespace

Grid_Widget::Grid_Widget(QWidget* parent) : QWidget(parent) {
    // Before the view exists, so assistive technology gets its table interface.
    Install_Grid_Accessibility();
    platform_ = std::make_unique<Qt_Platform>(this);
    // Every widget the control makes is previewed here, so the filter comes first.
    platform_->Key_Filter = this;
    control_ = std::make_unique<vekGRID>(*platform_);
    // The first listener: the signals go out before the host's listeners hear.
    relay_ = std::make_unique<Signal_Relay>(*this);
    control_->Add_Listener(*relay_);
    view_ = new Grid_View(*control_, this);
    relay_->View = view_;
    view_->On_Selection_Changed = [this] { emit selectionChanged(); };
    header_ = std::make_unique<Column_Header>(*control_, *view_);
    header_->On_Resized = [this](int col, int twips) { emit columnResized(col, twips); };
    menu_ = std::make_unique<Context_Menu>(*control_, *view_);
    view_->lower();
    platform_->Set_Grid_Surface(view_);
    control_->InitProperties();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget* old, QWidget* now) { Focus_Changed(old, now); });
}

Grid_Widget::~Grid_Widget() {
    // Closing the window below reports focus changes; the control is gone by then.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    // The view refers to the control's grid: it goes first, then the control lets go of its
    // widgets, then the platform they were registered with.
    control_->Remove_Listener(*relay_);
    relay_->View = nullptr;
    menu_.reset();
    header_.reset();
    delete view_;
    view_ = nullptr;
    control_.reset();
    platform_.reset();
}

void Grid_Widget::setSortOnHeaderClick(bool on) {
    header_->Sort_On_Click(on);
}

bool Grid_Widget::sortOnHeaderClick() const {
    return header_->Sort_On_Click();
}

void Grid_Widget::setContextMenuEnabled(bool on) {
    menu_->Enabled(on);
}

bool Grid_Widget::contextMenuEnabled() const {
    return menu_->Enabled();
}

void Grid_Widget::Save_Properties(const std::filesystem::path& path) {
    File_Property_Bag bag;
    control_->WriteProperties(bag);
    bag.Save(path);
}

void Grid_Widget::Load_Properties(const std::filesystem::path& path) {
    File_Property_Bag bag;
    bag.Load(path);
    control_->ReadProperties(bag);
}

bool Grid_Widget::Inside(QWidget* widget) const {
    if (!widget) return false;
    // A drop-down's list is a window of its own but part of the control.
    return widget == this || isAncestorOf(widget) || platform_->Widget_Of(widget) != nullptr;
}

void Grid_Widget::Focus_Changed(QWidget* old, QWidget* now) {
    const bool was = Inside(old), is = Inside(now);
    if (!was && is) Internals_Of(*control_).UserControl_EnterFocus();
    // Only a move to another widget of the same window is the control losing the focus; a
    // message box or another window taking it leaves the edit open, as on the desktop. The
    // edit it commits is a step of the history like any other.
    if (was && !is && now && now->window() == window()) {
        const vekGRID::Undo_Step step(*control_);
        Internals_Of(*control_).UserControl_ExitFocus();
    }
}

void Grid_Widget::Fit() {
    view_->setGeometry(rect());
    control_->Resize(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
}

void Grid_Widget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Fit();
}

void Grid_Widget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    control_->Show();
    Fit();
}

bool Grid_Widget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // The control's own Alt commands belong to it while it has the focus; every other
            // Alt key goes on to the host's menus.
            auto& key = static_cast<QKeyEvent&>(*event);
            // F4 opens and closes the cell's list or form: the control's, not a drop-down's.
            if (key.key() == Qt::Key_F4 && key.modifiers() == Qt::NoModifier) {
                event->accept();
                return true;
            }
            // The range and history keys are the control's while it has the focus, before a
            // host's menu shortcuts; an editor still gets those the control leaves to it.
            const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
            const bool edit_key =
                (mods == Qt::ControlModifier && key.key() < 128 &&
                 std::string_view("CXVZYAD").find(char(key.key())) != std::string_view::npos) ||
                (mods == (Qt::ControlModifier | Qt::ShiftModifier) && key.key() == Qt::Key_Z) ||
                (mods == Qt::NoModifier && key.key() == Qt::Key_Delete);
            if (edit_key) {
                event->accept();
                return true;
            }
            if (key.modifiers() != Qt::AltModifier) return false;
            const int code = Key_Code(key);
            const bool command =
                control_->Allow_Shortcut_Keys && !control_->ReadOnly() && code != 0 &&
                std::string_view("CXVIND").find(char(code)) != std::string_view::npos;
            if (command || code == kDown) {
                event->accept();
                return true;
            }
            return false;
        }
        case QEvent::Wheel: {
            // A closed drop-down never changes its value under the wheel: the grid takes it.
            auto* combo = qobject_cast<QComboBox*>(watched);
            if (!combo || combo->view()->isVisible()) return false;
            QCoreApplication::sendEvent(view_->viewport(), event);
            return true;
        }
        case QEvent::KeyPress:
            return Preview_Key(watched, static_cast<QKeyEvent&>(*event));
        case QEvent::ContextMenu:
            // The menu key in an editor asks for the grid's menu, not the editor's own.
            return static_cast<QContextMenuEvent&>(*event).reason() ==
                       QContextMenuEvent::Keyboard &&
                   menu_->Open_At_Current_Cell();
        case QEvent::MouseButtonPress: {
            Widget* widget = platform_->Widget_Of(watched);
            if (widget && widget == &Internals_Of(*control_).TextEditor()) {
                auto& mouse = static_cast<QMouseEvent&>(*event);
                Internals_Of(*control_).TextEditor_MouseDown(
                    static_cast<std::int16_t>(Button_Code(mouse.button())),
                    static_cast<std::int16_t>(Shift_Code(mouse.modifiers())),
                    static_cast<float>(mouse.position().x() * kTwipsPerPixel),
                    static_cast<float>(mouse.position().y() * kTwipsPerPixel));
            }
            return false;
        }
        default:
            return false;
    }
}

bool Grid_Widget::Preview_Key(QObject* target, QKeyEvent& key) {
    Host_Grid& grid = Internals_Of(*control_).GridEditor();
    int shift = Shift_Code(key.modifiers());
    const int code = Key_Code(key);
    if (key.key() == Qt::Key_Backtab) shift |= 1;
    const int row = grid.Row(), col = grid.Col();
    QWidget* focus_before = QApplication::focusWidget();
    if (code != 0) {
        auto k = static_cast<std::int16_t>(code);
        Internals_Of(*control_).UserControl_KeyDown(k, static_cast<std::int16_t>(shift));
        // An Alt key is the control's or a menu's; it never types into an editor.
        if (k == 0 || (shift & 4)) return true;
        if (code == kTab && !(shift & ~1)) {
            // Tab lands on the catcher after the editors, Shift+Tab on the one before them;
            // each moves the current cell a column and hands the focus back.
            Internals_Of(*control_).Tab_Focus(shift & 1 ? 2 : 3).SetFocus();
            return true;
        }
    }
    // A key that moved the cell or the focus has done its work; the editor now over the new
    // cell must not see it too. Keys the control steps with are never an editor's.
    if (grid.Row() != row || grid.Col() != col || QApplication::focusWidget() != focus_before)
        return true;
    if (code == kEnter || code == kUp || code == kDown || code == kPageUp || code == kPageDown)
        return true;
    const QString text = key.text();
    if (text.isEmpty() || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    const char16_t ch = text.at(0).unicode();
    if (ch < 32 && ch != 8) return false;
    auto ascii = static_cast<std::int16_t>(ch < 0x8000 ? ch : '?');
    Internals_Of(*control_).UserControl_KeyPress(ascii);
    if (ascii == 0) return true;
    if (platform_->Widget_Of(target) == &Internals_Of(*control_).TextEditor()) {
        Internals_Of(*control_).TextEditor_KeyPress(ascii);
        if (ascii == 0) {
            Key_Rejected(qobject_cast<QWidget*>(target));
            return true;
        }
    }
    return false;
}

QString Grid_Widget::Accepted_Keys(int col) const {
    const Variant_Array& columns = Internals_Of(*control_).Column_Properties();
    auto flag = [&](int attribute) {
        return columns.Contains(attribute, col) && columns(attribute, col).To_Bool();
    };
    if (flag(Col_Attr::Formula)) return "This column takes numbers and formulas: 0-9 . / - + e * =";
    if (columns.Contains(Col_Attr::Data_Type, col) &&
        columns(Col_Attr::Data_Type, col).Is_Numeric()) {
        const auto type = columns(Col_Attr::Data_Type, col).To_Long();
        if (type == Numeric) return "This column takes numbers: 0-9 . / - + e =";
        if (type == Alphabetical) return "This column takes no digits or number signs";
    }
    return "This column does not take that key";
}

void Grid_Widget::Key_Rejected(QWidget* editor) {
    // The key the column refused must not vanish without a word.
    QApplication::beep();
    if (!editor) return;
    QToolTip::showText(editor->mapToGlobal(QPoint(0, editor->height())),
                       Accepted_Keys(control_->CurrentCol), editor, {}, 3000);
}

}  // namespace vekgrid::qt
