#include "vekgrid/qt/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "vekgrid/qt/qt_widgets.h"

namespace vekgrid::qt {

// System colours come from the palette (colors.cpp); the rest are 0xBBGGRR.
QColor To_QColor(Color color) {
    if (color & 0x80000000u) return To_QColor(color, QGuiApplication::palette());
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QFont To_QFont(const Font& font) {
    QFont qfont(QString::fromStdString(font.name));
    // The classic bitmap faces are rarely installed; any sans-serif face stands in.
    qfont.setStyleHint(QFont::SansSerif);
    qfont.setPointSizeF(font.size > 0 ? font.size : 8.25);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikethrough);
    return qfont;
}

QImage To_QImage(const Image& image) {
    QImage out(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.width; ++x) line[x] = To_QColor(image.At(x, y)).rgb();
    }
    return out;
}

int Shift_Code(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

int Button_Code(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

// --- message boxes ----------------------------------------------------------------------

namespace {
// Each line of a message, and its title, through Qt's translation (context "vekgrid"), so a
// host's .qm file can translate the control's messages; a line without a translation stays.
std::string Translated(const std::string& text) {
    if (QCoreApplication::instance() == nullptr) return text;
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        out += line.empty() ? line
                            : QCoreApplication::translate("vekgrid", line.c_str()).toStdString();
        if (end == std::string::npos) break;
        out += "\r\n";
        start = end + 2;
    }
    return out;
}
}  // namespace

int Qt_Message_Box::MsgBox(const std::string& source_text, int style,
                           const std::string& source_title) {
    const std::string text = Translated(source_text), title = Translated(source_title);
    calls.push_back({text, title, style});
    if (Answer_With) return Answer_With(text, style, title);
    if ((style & Msg::Button_Mask) == Msg::OK_Only) {
        collected_.push_back(calls.back());
        if (collected_.size() == 1)
            QMetaObject::invokeMethod(
                &context_, [this] { Show_Collected(); }, Qt::QueuedConnection);
        return Msg::OK;
    }
    Show_Collected();
    return Show(calls.back(), {});
}

void Qt_Message_Box::Show_Collected() {
    if (collected_.empty()) return;
    const std::vector<Call> notices = std::exchange(collected_, {});
    QString details;
    for (size_t i = 1; i < notices.size(); ++i) {
        if (i > 1) details += "\n\n";
        details += QString::fromStdString(notices[i].text).replace("\r\n", "\n");
    }
    if (notices.size() > 1) details = QString("%1 more:\n\n").arg(notices.size() - 1) + details;
    Show(notices.front(), details);
}

int Qt_Message_Box::Show(const Call& call, const QString& details) {
    const std::string& text = call.text;
    const std::string& title = call.title;
    const int style = call.style;
    using B = QMessageBox::StandardButton;
    struct Choice {
        B button;
        Msg::Answer answer;
    };
    std::vector<Choice> choices;
    switch (style & Msg::Button_Mask) {
        case Msg::OK_Cancel:
            choices = {{B::Ok, Msg::OK}, {B::Cancel, Msg::Cancel}};
            break;
        case Msg::Abort_Retry_Ignore:
            choices = {{B::Abort, Msg::Abort}, {B::Retry, Msg::Retry}, {B::Ignore, Msg::Ignore}};
            break;
        case Msg::Yes_No_Cancel:
            choices = {{B::Yes, Msg::Yes}, {B::No, Msg::No}, {B::Cancel, Msg::Cancel}};
            break;
        case Msg::Yes_No:
            choices = {{B::Yes, Msg::Yes}, {B::No, Msg::No}};
            break;
        case Msg::Retry_Cancel:
            choices = {{B::Retry, Msg::Retry}, {B::Cancel, Msg::Cancel}};
            break;
        default:
            choices = {{B::Ok, Msg::OK}};
            break;
    }
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    switch (style & Msg::Icon_Mask) {
        case Msg::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case Msg::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Msg::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case Msg::Information:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices) buttons |= c.button;
    box.setStandardButtons(buttons);
    const size_t default_index = (style & Msg::Default_Button3)   ? 2
                                 : (style & Msg::Default_Button2) ? 1
                                                                  : 0;
    box.setDefaultButton(choices[std::min(default_index, choices.size() - 1)].button);
    if (!details.isEmpty()) box.setDetailedText(details);
    const auto pressed = static_cast<B>(Exec_With ? Exec_With(box) : box.exec());
    for (const Choice& c : choices)
        if (c.button == pressed) return c.answer;
    // Closed with Escape or the title bar: the cancelling answer, else the default.
    for (const Choice& c : choices)
        if (c.answer == Msg::Cancel) return c.answer;
    return Msg::Default_Answer(style);
}

// --- text metrics -----------------------------------------------------------------------

int Qt_Text_Metrics::Text_Width(const std::string& text, const Font& font) const {
    const QFontMetrics metrics(To_QFont(font));
    int widest = 0;
    for (const QString& line : QString::fromStdString(text).split('\n'))
        widest = std::max(widest,
                          metrics.horizontalAdvance(line.endsWith('\r') ? line.chopped(1) : line));
    return widest * kTwipsPerPixel;
}

int Qt_Text_Metrics::Text_Height(const std::string& text, const Font& font) const {
    const QFontMetrics metrics(To_QFont(font));
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    return lines * metrics.lineSpacing() * kTwipsPerPixel;
}

int Qt_Text_Metrics::Line_Count(const std::string& text, const Font& font, int width) const {
    const QFontMetrics metrics(To_QFont(font));
    const int pixels = std::max(1, width / kTwipsPerPixel);
    const QRect bounds = metrics.boundingRect(QRect(0, 0, pixels, 1 << 24), Qt::TextWordWrap,
                                              QString::fromStdString(text));
    return std::max(1, bounds.height() / std::max(1, metrics.lineSpacing()));
}

// --- the form ---------------------------------------------------------------------------

Qt_Form::Qt_Form(QWidget* window) : window_(window) {
    if (window) window->installEventFilter(this);
}

bool Qt_Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) Notify_Closing();
    return false;
}

// --- the platform -----------------------------------------------------------------------

Qt_Platform::Qt_Platform(QWidget* surface) : surface_(surface), messages_(surface) {
    QObject::connect(qApp, &QApplication::focusChanged, &context_,
                     [this](QWidget*, QWidget* now) { Qt_Focus_Changed(now); });
}

Qt_Platform::~Qt_Platform() = default;

std::unique_ptr<Text_Box> Qt_Platform::Create_Text_Box(const std::string& name) {
    return Make_Text_Box(name, surface_, *this);
}
std::unique_ptr<Combo_Box> Qt_Platform::Create_Combo_Box(const std::string& name) {
    return Make_Combo_Box(name, surface_, *this);
}
std::unique_ptr<Command_Button> Qt_Platform::Create_Command_Button(const std::string& name) {
    return Make_Command_Button(name, surface_, *this);
}
std::unique_ptr<Picture_Box> Qt_Platform::Create_Picture_Box(const std::string& name) {
    return Make_Picture_Box(name, surface_, *this);
}
std::unique_ptr<Timer> Qt_Platform::Create_Timer() {
    return Make_Timer();
}

void Qt_Platform::Register(Widget& widget, QWidget& qt_widget) {
    by_qt_[&qt_widget] = &widget;
    qt_of_[&widget] = &qt_widget;
    widgets_.push_back(&widget);
    if (Key_Filter) qt_widget.installEventFilter(Key_Filter);
    widget.On_Focus_Request = [this](Widget& w) { Give_Focus(w); };
    Order_Tabs();
}

void Qt_Platform::Register_Part(Widget& widget, QWidget& part) {
    by_qt_[&part] = &widget;
    if (Key_Filter) part.installEventFilter(Key_Filter);
}

void Qt_Platform::Unregister(Widget& widget) {
    std::erase_if(by_qt_, [&](const auto& entry) { return entry.second == &widget; });
    qt_of_.erase(&widget);
    std::erase(widgets_, &widget);
    if (focused_ == &widget) focused_ = nullptr;
    if (pending_focus_ == &widget) pending_focus_ = nullptr;
}

QWidget* Qt_Platform::Qt_Widget_Of(const Widget& widget) const {
    auto it = qt_of_.find(&widget);
    return it == qt_of_.end() ? nullptr : it->second;
}

Widget* Qt_Platform::Widget_Of(const QObject* qt_widget) const {
    // A focus proxy or an inner part reports as its nearest registered ancestor.
    for (const QObject* o = qt_widget; o && o != surface_; o = o->parent()) {
        auto it = by_qt_.find(o);
        if (it != by_qt_.end()) return it->second;
    }
    return nullptr;
}

void Qt_Platform::Set_Grid_Surface(QWidget* view) {
    grid_view_ = view;
    if (view && Key_Filter) view->installEventFilter(Key_Filter);
    Order_Tabs();
}

void Qt_Platform::Before_Hide(QWidget& qt_widget) {
    if (!qt_widget.hasFocus() && !qt_widget.isAncestorOf(QApplication::focusWidget())) return;
    moving_focus_ = true;
    if (grid_view_) grid_view_->setFocus(Qt::OtherFocusReason);
    moving_focus_ = false;
    if (Widget* w = Widget_Of(&qt_widget); w && w == focused_) {
        w->Focus_Changed(false);
        focused_ = nullptr;
    }
}

void Qt_Platform::Send_Behind(QWidget& qt_widget) {
    if (grid_view_)
        qt_widget.stackUnder(grid_view_);
    else
        qt_widget.lower();
    if (grid_view_) grid_view_->lower();
}

void Qt_Platform::Order_Tabs() {
    struct Entry {
        int index;
        QWidget* qt;
    };
    std::vector<Entry> order;
    for (Widget* w : widgets_)
        if (w->TabStop()) order.push_back({w->TabIndex(), qt_of_.at(w)});
    std::stable_sort(order.begin(), order.end(),
                     [](const Entry& a, const Entry& b) { return a.index < b.index; });
    if (grid_view_) {
        auto at =
            std::find_if(order.begin(), order.end(), [](const Entry& e) { return e.index > 3; });
        order.insert(at, Entry{3, grid_view_});
    }
    for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1].qt, order[i].qt);
    for (const Entry& e : order) {
        if (e.qt == grid_view_) continue;
        // Out of the tab chain without TabStop; a click still focuses.
        e.qt->setFocusPolicy(Qt::StrongFocus);
    }
    for (Widget* w : widgets_)
        if (!w->TabStop() && qt_of_.at(w)->focusPolicy() != Qt::NoFocus)
            qt_of_.at(w)->setFocusPolicy(Qt::ClickFocus);
}

void Qt_Platform::Focus_Moved(Widget* widget) {
    if (widget == focused_) return;
    Widget* previous = focused_;
    focused_ = widget;
    Notify_Focus_Move(previous, nullptr);
    // The loser's handler may have moved the focus on already.
    if (widget == focused_) Notify_Focus_Move(nullptr, widget);
}

void Qt_Platform::Give_Focus(Widget& widget) {
    if (QWidget* qt_widget = Qt_Widget_Of(widget)) {
        moving_focus_ = true;
        qt_widget->setFocus(Qt::OtherFocusReason);
        moving_focus_ = false;
    }
    // The widget hears of it once the handler that asked has finished, as a focus message
    // would arrive: a cell's entry sets the editor's text after focusing it, and the editor's
    // select-all on focus must see that text.
    const bool queued = pending_focus_ != nullptr;
    pending_focus_ = &widget;
    if (queued) return;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            Widget* target = pending_focus_;
            pending_focus_ = nullptr;
            if (target) Focus_Moved(target);
        },
        Qt::QueuedConnection);
}

void Qt_Platform::Qt_Focus_Changed(QWidget* now) {
    // A window losing activation reports no widget; the focus inside it has not moved.
    if (moving_focus_ || !now) return;
    // The user moved it: that overrides a notification still to come.
    pending_focus_ = nullptr;
    // A drop-down's list is a window of its own but a part of its widget.
    if (Widget* widget = Widget_Of(now)) {
        Focus_Moved(widget);
        return;
    }
    Focus_Moved(nullptr);
}

// --- keystrokes and the mouse ------------------------------------------------------------

namespace {

struct Key_Stroke {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

int Named_Key(const std::string& name) {
    static const std::map<std::string, int> keys = {
        {"ENTER", Qt::Key_Return},
        {"TAB", Qt::Key_Tab},
        {"ESC", Qt::Key_Escape},
        {"ESCAPE", Qt::Key_Escape},
        {"UP", Qt::Key_Up},
        {"DOWN", Qt::Key_Down},
        {"LEFT", Qt::Key_Left},
        {"RIGHT", Qt::Key_Right},
        {"PGUP", Qt::Key_PageUp},
        {"PGDN", Qt::Key_PageDown},
        {"HOME", Qt::Key_Home},
        {"END", Qt::Key_End},
        {"DEL", Qt::Key_Delete},
        {"DELETE", Qt::Key_Delete},
        {"INS", Qt::Key_Insert},
        {"INSERT", Qt::Key_Insert},
        {"BS", Qt::Key_Backspace},
        {"BKSP", Qt::Key_Backspace},
        {"BACKSPACE", Qt::Key_Backspace},
        {"F1", Qt::Key_F1},
        {"F2", Qt::Key_F2},
        {"F3", Qt::Key_F3},
        {"F4", Qt::Key_F4},
        {"F5", Qt::Key_F5},
        {"F6", Qt::Key_F6},
        {"F7", Qt::Key_F7},
        {"F8", Qt::Key_F8},
        {"F9", Qt::Key_F9},
        {"F10", Qt::Key_F10},
        {"F11", Qt::Key_F11},
        {"F12", Qt::Key_F12},
    };
    auto it = keys.find(name);
    return it == keys.end() ? 0 : it->second;
}

// "{DOWN 3}", "~" (Enter), "+" Shift, "^" Ctrl, "%" Alt before a key, or plain characters.
std::vector<Key_Stroke> Parse_Keys(const std::string& keys) {
    std::vector<Key_Stroke> out;
    Qt::KeyboardModifiers modifiers;
    for (size_t i = 0; i < keys.size(); ++i) {
        const char c = keys[i];
        if (c == '+' || c == '^' || c == '%') {
            modifiers |= c == '+'   ? Qt::ShiftModifier
                         : c == '^' ? Qt::ControlModifier
                                    : Qt::AltModifier;
            continue;
        }
        int key = 0, count = 1;
        QString text;
        if (c == '~') {
            key = Qt::Key_Return, text = "\r";
        } else if (c == '{') {
            const size_t close = keys.find('}', i + 2);
            if (close == std::string::npos) break;
            std::string inside = keys.substr(i + 1, close - i - 1);
            i = close;
            if (const size_t space = inside.rfind(' '); space != std::string::npos && space > 0) {
                count = std::clamp(std::atoi(inside.c_str() + space + 1), 0, 1000);
                inside.resize(space);
            }
            std::string upper = inside;
            for (char& ch : upper)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            key = Named_Key(upper);
            if (key == Qt::Key_Return) text = "\r";
            if (key == Qt::Key_Tab) text = "\t";
            if (key == 0 && inside.size() == 1) {  // {+}, {~}: the character itself
                text = QString(QChar(inside[0]));
                key = QChar(inside[0]).toUpper().unicode();
            }
        } else {
            text = QString(QChar(static_cast<unsigned char>(c)));
            key = QChar(static_cast<unsigned char>(c)).toUpper().unicode();
        }
        if (key != 0)
            for (int n = 0; n < count; ++n) out.push_back({key, modifiers, text});
        modifiers = {};
    }
    return out;
}

}  // namespace

void Qt_Platform::Send_Keys(const std::string& keys) {
    for (const Key_Stroke& stroke : Parse_Keys(keys)) {
        // Posted, not sent: they arrive after the handler that sent them has returned, as
        // keystrokes from the user would.
        QWidget* target = QApplication::focusWidget();
        if (!target) target = surface_;
        if (!target) return;
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text));
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text));
    }
}

void Qt_Platform::Do_Events() {
    QCoreApplication::processEvents();
}

std::pair<int, int> Qt_Platform::Cursor_Position() const {
    const QPoint at = QCursor::pos();
    return {at.x(), at.y()};
}

void Qt_Platform::Synthesize_Click(bool press_only) {
    const QPoint global = QCursor::pos();
    QWidget* target = QApplication::widgetAt(global);
    if (!target) return;
    const QPointF local = target->mapFromGlobal(QPointF(global));
    QCoreApplication::postEvent(
        target, new QMouseEvent(QEvent::MouseButtonPress, local, global, Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier));
    if (!press_only)
        QCoreApplication::postEvent(
            target, new QMouseEvent(QEvent::MouseButtonRelease, local, global, Qt::LeftButton,
                                    Qt::NoButton, Qt::NoModifier));
}

int Qt_Platform::Screen_Width() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return (screen ? screen->geometry().width() : 1920) * kTwipsPerPixel;
}

int Qt_Platform::Screen_Height() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return (screen ? screen->geometry().height() : 1080) * kTwipsPerPixel;
}

int Qt_Platform::System_Metric(int index) const {
    if (index != 9) return 0;
    const QStyle* style = surface_ ? surface_->style() : QApplication::style();
    return style ? style->pixelMetric(QStyle::PM_ScrollBarExtent) : 17;
}

Host_Form* Qt_Platform::Parent_Form() {
    if (!surface_) return nullptr;
    if (!form_) form_ = std::make_unique<Qt_Form>(surface_->window());
    return form_.get();
}

std::string Qt_Clipboard::Text() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text().toStdString() : std::string();
}

void Qt_Clipboard::Set_Text(const std::string& text, const std::string& html) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    // Spreadsheets and word processors take the HTML table when offered; editors the text.
    auto data = std::make_unique<QMimeData>();
    data->setText(QString::fromStdString(text));
    if (!html.empty()) data->setHtml(QString::fromStdString(html));
    clipboard->setMimeData(data.release());  // the clipboard owns it from here
}

}  // namespace vekgrid::qt
