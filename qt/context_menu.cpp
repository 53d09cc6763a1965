#include "vekgrid/qt/context_menu.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>

#include "vekgrid/control/internals.h"
#include "vekgrid/platform/message_box.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

Context_Menu::Context_Menu(vekGRID& control, Grid_View& view)
    : control_(control), grid_(Internals_Of(control).GridEditor()), viewport_(view.viewport()) {
    viewport_->installEventFilter(this);
}

Context_Menu::~Context_Menu() {
    if (viewport_) viewport_->removeEventFilter(this);
}

bool Context_Menu::Has_Data_Row() const {
    const int row = grid_.Row();
    return row >= 1 && row < grid_.Rows() && grid_.Cols() > 1;
}

bool Context_Menu::Can_Copy_Row() const {
    return Has_Data_Row();
}

bool Context_Menu::Can_Change_Rows() const {
    return Has_Data_Row() && !control_.ReadOnly();
}

bool Context_Menu::Can_Paste_Row() const {
    return Can_Change_Rows() && control_.Row_Copied();
}

bool Context_Menu::Can_Add_Row() const {
    return grid_.Cols() > 1 && !control_.ReadOnly();
}

bool Context_Menu::Can_Copy() const {
    return control_.Selection().Top_Row > 0;
}

bool Context_Menu::Can_Cut() const {
    return Can_Copy() && !control_.ReadOnly();
}

bool Context_Menu::Can_Paste() const {
    return Can_Cut() && !Internals_Of(control_).Host_Platform().System_Clipboard().Text().empty();
}

bool Context_Menu::Can_Clear() const {
    return Can_Cut();
}

void Context_Menu::Cut() {
    if (Can_Cut()) control_.Cut_To_Clipboard();
}

void Context_Menu::Copy() {
    if (Can_Copy()) control_.Copy_To_Clipboard();
}

void Context_Menu::Paste() {
    if (Can_Paste()) control_.Paste_From_Clipboard();
}

void Context_Menu::Clear() {
    if (Can_Clear()) control_.Clear_Selection();
}

void Context_Menu::Undo() {
    if (Can_Undo()) control_.Undo();
}

void Context_Menu::Redo() {
    if (Can_Redo()) control_.Redo();
}

// The row commands are one undo step each, as their Alt keys are.
void Context_Menu::Cut_Row() {
    const vekGRID::Undo_Step step(control_);
    if (Can_Change_Rows()) control_.Cut_Row();
}

void Context_Menu::Copy_Row() {
    if (Can_Copy_Row()) control_.Copy_Row();
}

void Context_Menu::Paste_Row() {
    const vekGRID::Undo_Step step(control_);
    if (Can_Paste_Row()) control_.Paste_Row();
}

void Context_Menu::Insert_Copied_Row() {
    const vekGRID::Undo_Step step(control_);
    if (Can_Paste_Row()) control_.Insert_Copied_Row();
}

void Context_Menu::New_Row() {
    // As Alt+N: an empty row under the current one.
    const vekGRID::Undo_Step step(control_);
    if (Can_Add_Row()) control_.AddItem(" ", Variant(std::int32_t{grid_.Row() + 1}));
}

void Context_Menu::Delete_Row() {
    if (!Can_Change_Rows()) return;
    if (Internals_Of(control_).Host_Platform().Messages().MsgBox(
            "Are you sure you want to delete this row?",
            Msg::Yes_No | Msg::Question | Msg::System_Modal, "Delete Row?") == Msg::Yes) {
        const vekGRID::Undo_Step step(control_);
        control_.Delete_Row(grid_.Row(), true);
    }
}

QMenu* Context_Menu::Build(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto add = [&](const QString& text, const QKeySequence& keys, bool enabled, auto run) {
        // The keys are shown after a tab for the person's sake, not bound: the control
        // handles them itself.
        QAction* action = menu->addAction(text + '\t' + keys.toString(QKeySequence::NativeText));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    add(QStringLiteral("Cut"), QKeySequence::Cut, Can_Cut(), [this] { Cut(); });
    add(QStringLiteral("Copy"), QKeySequence::Copy, Can_Copy(), [this] { Copy(); });
    add(QStringLiteral("Paste"), QKeySequence::Paste, Can_Paste(), [this] { Paste(); });
    add(QStringLiteral("Delete"), QKeySequence::Delete, Can_Clear(), [this] { Clear(); });
    menu->addSeparator();
    add(QStringLiteral("Cut row"), QKeySequence(Qt::ALT | Qt::Key_X), Can_Change_Rows(),
        [this] { Cut_Row(); });
    add(QStringLiteral("Copy row"), QKeySequence(Qt::ALT | Qt::Key_C), Can_Copy_Row(),
        [this] { Copy_Row(); });
    add(QStringLiteral("Paste row"), QKeySequence(Qt::ALT | Qt::Key_V), Can_Paste_Row(),
        [this] { Paste_Row(); });
    add(QStringLiteral("Insert copied row"), QKeySequence(Qt::ALT | Qt::Key_I), Can_Paste_Row(),
        [this] { Insert_Copied_Row(); });
    add(QStringLiteral("New row"), QKeySequence(Qt::ALT | Qt::Key_N), Can_Add_Row(),
        [this] { New_Row(); });
    add(QStringLiteral("Delete row"), QKeySequence(Qt::ALT | Qt::Key_D), Can_Change_Rows(),
        [this] { Delete_Row(); });
    menu->addSeparator();
    add(QStringLiteral("Undo"), QKeySequence::Undo, Can_Undo(), [this] { Undo(); });
    add(QStringLiteral("Redo"), QKeySequence::Redo, Can_Redo(), [this] { Redo(); });
    return menu;
}

bool Context_Menu::Open_At_Current_Cell() {
    if (!enabled_ || !viewport_) return false;
    QPoint at(0, 0);
    if (grid_.Row() < grid_.Rows() && grid_.Col() < grid_.Cols())
        at = QPoint(grid_.ColPos(grid_.Col()) / kTwipsPerPixel,
                    (grid_.RowPos(grid_.Row()) + grid_.RowHeight(grid_.Row())) / kTwipsPerPixel);
    Build(viewport_)->popup(viewport_->mapToGlobal(at));
    return true;
}

bool Context_Menu::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport_ || event->type() != QEvent::ContextMenu || !enabled_) return false;
    auto& request = static_cast<QContextMenuEvent&>(*event);
    // The right click may have entered a drop-down cell whose list opened on entry; the menu
    // is what the person asked for, so the list closes rather than show under it.
    if (QWidget* open = QApplication::activePopupWidget()) open->close();
    Build(viewport_)->popup(request.globalPos());
    return true;
}

}  // namespace vekgrid::qt
