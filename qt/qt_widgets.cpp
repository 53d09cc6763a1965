#include "vekgrid/qt/qt_widgets.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// What every control widget shares: geometry in twips, visibility, order, tab order. Base is
// the core widget class, Q the Qt widget it drives.
template <class Base, class Q_Widget>
class Mirrored : public Base {
  public:
    template <class... Args>
    Mirrored(const std::string& name, QWidget* surface, Qt_Platform& platform, Args&&... args)
        : Base(name),
          platform_(platform),
          // Owned by the surface, as Qt children are; the destructor lets go of it.
          qt_(new Q_Widget(std::forward<Args>(args)..., surface)) {
        qt_->setObjectName(Q(name));
        platform_.Register(*this, *qt_);
        Place();
        qt_->setVisible(Base::Visible());
    }
    ~Mirrored() override {
        platform_.Unregister(*this);
        if (qt_) {
            // Nothing the dying Qt widget still emits may reach this object.
            QObject::disconnect(qt_, nullptr, qt_, nullptr);
            qt_->hide();
            // Later, not now: the widget may be inside one of its own event handlers.
            qt_->deleteLater();
        }
    }

    void Visible(bool on) override {
        Base::Visible(on);
        if (!qt_) return;
        if (!on) platform_.Before_Hide(*qt_);
        qt_->setVisible(on);
    }
    void Enabled(bool on) override {
        Base::Enabled(on);
        if (qt_) qt_->setEnabled(on);
    }
    void Left(int twips) override { Base::Left(twips), Place(); }
    void Top(int twips) override { Base::Top(twips), Place(); }
    void Width(int twips) override { Base::Width(twips), Place(); }
    void Height(int twips) override { Base::Height(twips), Place(); }
    void ZOrder(int position = 0) override {
        Base::ZOrder(position);
        if (!qt_) return;
        if (position == 0)
            qt_->raise();
        else
            platform_.Send_Behind(*qt_);
    }
    void TabIndex(int index) override { Base::TabIndex(index), platform_.Order_Tabs(); }
    void TabStop(bool on) override { Base::TabStop(on), platform_.Order_Tabs(); }

  protected:
    Q_Widget* qt() const { return qt_.data(); }
    Qt_Platform& platform_;

  private:
    void Place() {
        if (qt_)
            qt_->setGeometry(Px(Base::Left()), Px(Base::Top()), Px_Size(Base::Width()),
                             Px_Size(Base::Height()));
    }
    QPointer<Q_Widget> qt_;
};

class Qt_Text_Box : public Mirrored<Text_Box, QLineEdit> {
  public:
    using Text_Box::SelLength;
    using Text_Box::SelStart;
    using Text_Box::Text;
    Qt_Text_Box(const std::string& name, QWidget* surface, Qt_Platform& platform)
        : Mirrored(name, surface, platform) {
        QLineEdit* edit = qt();
        edit->setFrame(false);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this](const QString& text) {
            // The user typed: the state follows the box, caret included.
            Text_Box::Text(text.toStdString());
            Caret_From_Box();
        });
        QObject::connect(edit, &QLineEdit::cursorPositionChanged, edit,
                         [this](int, int) { Caret_From_Box(); });
        QObject::connect(edit, &QLineEdit::selectionChanged, edit, [this] { Caret_From_Box(); });
        Font(Text_Box::Font());
        Alignment(Text_Box::Alignment());
    }

    void Text(std::string text) override {
        Text_Box::Text(std::move(text));
        QLineEdit* edit = qt();
        if (!edit) return;
        const QSignalBlocker block(edit);
        const QString shown = Q(Text_Box::Text());
        if (edit->text() != shown) edit->setText(shown);
        edit->setCursorPosition(SelStart());
    }
    void SelStart(int start) override {
        Text_Box::SelStart(start);
        Caret_To_Box();
    }
    void SelLength(int length) override {
        Text_Box::SelLength(length);
        Caret_To_Box();
    }
    void Locked(bool on) override {
        Text_Box::Locked(on);
        if (qt()) qt()->setReadOnly(on);
    }
    void Font(const vekgrid::Font& font) override {
        Text_Box::Font(font);
        if (qt()) qt()->setFont(To_QFont(font));
    }
    void BackColor(Color c) override {
        Text_Box::BackColor(c);
        if (!qt()) return;
        QPalette palette = qt()->palette();
        palette.setColor(QPalette::Base, To_QColor(c));
        qt()->setPalette(palette);
    }
    void Alignment(int a) override {
        Text_Box::Alignment(a);
        if (!qt()) return;
        const Qt::Alignment h = a == 1 ? Qt::AlignRight : a == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
        qt()->setAlignment(h | Qt::AlignVCenter);
    }

  private:
    void Caret_From_Box() {
        QLineEdit* edit = qt();
        if (!edit || syncing_) return;
        if (edit->hasSelectedText()) {
            Text_Box::SelStart(edit->selectionStart());
            Text_Box::SelLength(static_cast<int>(edit->selectedText().size()));
        } else {
            Text_Box::SelStart(edit->cursorPosition());
            Text_Box::SelLength(0);
        }
    }
    void Caret_To_Box() {
        QLineEdit* edit = qt();
        if (!edit) return;
        syncing_ = true;
        if (SelLength() > 0)
            edit->setSelection(SelStart(), SelLength());
        else
            edit->setCursorPosition(SelStart());
        syncing_ = false;
    }
    bool syncing_ = false;
};

// A combo box that tells when its list opens and closes.
class List_Combo : public QComboBox {
  public:
    using QComboBox::QComboBox;
    std::function<void(bool)> On_List;
    void showPopup() override {
        QComboBox::showPopup();
        // Opened by a press on the grid's cell: the list takes the pointer, and the release of
        // that same click must not close it again.
        if (QWidget* container = view()->parentWidget();
            container && (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            container->removeEventFilter(this);
            container->installEventFilter(this);
            swallow_release_ = true;
        }
        if (On_List) On_List(true);
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (On_List) On_List(false);
    }

  protected:
    // The control may open the list before it moves the box to its cell (an entry that
    // scrolls the grid): the open list follows the box instead of staying where it opened.
    void moveEvent(QMoveEvent* event) override {
        QComboBox::moveEvent(event);
        Follow_Box();
    }
    void resizeEvent(QResizeEvent* event) override {
        QComboBox::resizeEvent(event);
        Follow_Box();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view()->parentWidget()) {
            if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Hide)
                swallow_release_ = false;
            if (event->type() == QEvent::MouseButtonRelease && swallow_release_) {
                swallow_release_ = false;
                return true;
            }
        }
        return QComboBox::eventFilter(watched, event);
    }

  private:
    void Follow_Box() {
        if (!view()->isVisible()) return;
        const bool swallow = swallow_release_;
        QComboBox::hidePopup();
        QComboBox::showPopup();
        swallow_release_ = swallow;
    }
    bool swallow_release_ = false;
};

class Qt_Combo_Box : public Mirrored<Combo_Box, List_Combo> {
  public:
    using Combo_Box::ListIndex;
    using Combo_Box::Text;
    Qt_Combo_Box(const std::string& name, QWidget* surface, Qt_Platform& platform)
        : Mirrored(name, surface, platform) {
        List_Combo* combo = qt();
        combo->setFrame(false);
        combo->setMaxVisibleItems(8);
        // The list opens under the cell, as the control places it; a style that lays it over
        // the cell would take the release of the click that opened it as a pick.
        combo->setStyleSheet("QComboBox { combobox-popup: 0; }");
        platform.Register_Part(*this, *combo->view());
        combo->On_List = [this](bool open) {
            if (!setting_list_) Combo_Box::Dropped_Down(open);
        };
        QObject::connect(combo, &QComboBox::activated, combo, [this](int index) {
            if (Locked()) {
                Show_State();  // a locked box takes no choice
                return;
            }
            Combo_Box::ListIndex(index);
            if (On_Click) On_Click();
        });
        Font(Combo_Box::Font());
    }

    ~Qt_Combo_Box() override {
        if (qt()) qt()->On_List = nullptr;
    }

    void AddItem(std::string item) override {
        Combo_Box::AddItem(item);
        if (!qt()) return;
        const QSignalBlocker block(qt());
        qt()->addItem(Q(item));
    }
    void ListIndex(int index) override {
        Combo_Box::ListIndex(index);
        Show_State();
    }
    void Text(std::string text) override {
        Combo_Box::Text(std::move(text));
        Show_State();
    }
    void Dropped_Down(bool open) override {
        Combo_Box::Dropped_Down(open);
        if (!qt() || qt()->view()->isVisible() == open) return;
        setting_list_ = true;
        if (open)
            qt()->showPopup();
        else
            qt()->hidePopup();
        setting_list_ = false;
    }
    void List_Min_Width(int pixels) override {
        Combo_Box::List_Min_Width(pixels);
        if (qt()) qt()->view()->setMinimumWidth(pixels);
    }
    void Font(const vekgrid::Font& font) override {
        Combo_Box::Font(font);
        if (qt()) qt()->setFont(To_QFont(font));
    }

  protected:
    void Items_Cleared() override {
        if (!qt()) return;
        const QSignalBlocker block(qt());
        qt()->clear();
    }

  private:
    // The shown item follows the state; a text that is no item shows as the placeholder.
    void Show_State() {
        List_Combo* combo = qt();
        if (!combo) return;
        const QSignalBlocker block(combo);
        int index = ListIndex();
        if (index < 0 || index >= combo->count() || combo->itemText(index) != Q(Text()))
            index = combo->findText(Q(Text()), Qt::MatchExactly);
        combo->setPlaceholderText(index < 0 ? Q(Text()) : QString());
        combo->setCurrentIndex(index);
        // An open list highlights the same item, so a pick by Enter or a click agrees.
        if (combo->view()->isVisible() && index >= 0)
            combo->view()->setCurrentIndex(combo->model()->index(index, combo->modelColumn()));
    }
    bool setting_list_ = false;
};

QIcon Icon_Of(const Picture& picture) {
    if (!picture || picture->width == 0 || picture->height == 0) return {};
    return QIcon(QPixmap::fromImage(To_QImage(*picture)));
}

class Qt_Button : public Mirrored<Command_Button, QPushButton> {
  public:
    Qt_Button(const std::string& name, QWidget* surface, Qt_Platform& platform)
        : Mirrored(name, surface, platform) {
        QObject::connect(qt(), &QPushButton::clicked, qt(), [this] {
            if (On_Click) On_Click();
        });
        BackColor(Command_Button::BackColor());
    }
    void BackColor(Color c) override {
        Command_Button::BackColor(c);
        if (qt())
            qt()->setStyleSheet(QStringLiteral("QPushButton { background: %1; border: 1px solid "
                                               "#808080; }")
                                    .arg(To_QColor(c).name()));
    }
    void Picture(vekgrid::Picture p) override {
        Command_Button::Picture(p);
        if (qt()) qt()->setIcon(Icon_Of(p));
    }
};

// Paints its colour and picture; lets the mouse through to the grid below.
class Picture_Surface : public QWidget {
  public:
    explicit Picture_Surface(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }
    QColor back;
    QImage image;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), back);
        if (!image.isNull()) painter.drawImage(0, 0, image);
    }
};

class Qt_Picture_Box : public Mirrored<Picture_Box, Picture_Surface> {
  public:
    Qt_Picture_Box(const std::string& name, QWidget* surface, Qt_Platform& platform)
        : Mirrored(name, surface, platform) {
        BackColor(Picture_Box::BackColor());
    }
    void BackColor(Color c) override {
        Picture_Box::BackColor(c);
        if (!qt()) return;
        qt()->back = To_QColor(c);
        qt()->update();
    }
    void Picture(vekgrid::Picture p) override {
        Picture_Box::Picture(p);
        if (!qt()) return;
        qt()->image = p && p->width > 0 && p->height > 0 ? To_QImage(*p) : QImage();
        qt()->update();
    }
};

class Qt_Timer : public Timer {
  public:
    Qt_Timer() {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Tick(); });
    }
    void Interval(int ms) override {
        Timer::Interval(ms);
        timer_.setInterval(ms);
        Apply();
    }
    void Enabled(bool on) override {
        Timer::Enabled(on);
        Apply();
    }

  private:
    void Apply() {
        if (Timer::Enabled() && Timer::Interval() > 0)
            timer_.start();
        else
            timer_.stop();
    }
    QTimer timer_;
};

}  // namespace

std::unique_ptr<Text_Box> Make_Text_Box(const std::string& name, QWidget* surface,
                                        Qt_Platform& platform) {
    return std::make_unique<Qt_Text_Box>(name, surface, platform);
}
std::unique_ptr<Combo_Box> Make_Combo_Box(const std::string& name, QWidget* surface,
                                          Qt_Platform& platform) {
    return std::make_unique<Qt_Combo_Box>(name, surface, platform);
}
std::unique_ptr<Command_Button> Make_Command_Button(const std::string& name, QWidget* surface,
                                                    Qt_Platform& platform) {
    return std::make_unique<Qt_Button>(name, surface, platform);
}
std::unique_ptr<Picture_Box> Make_Picture_Box(const std::string& name, QWidget* surface,
                                              Qt_Platform& platform) {
    return std::make_unique<Qt_Picture_Box>(name, surface, platform);
}
std::unique_ptr<Timer> Make_Timer() {
    return std::make_unique<Qt_Timer>();
}

}  // namespace vekgrid::qt
