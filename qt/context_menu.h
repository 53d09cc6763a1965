#pragma once
#include <QObject>
#include <QPointer>

#include "vekgrid/control/vekgrid.h"

class QMenu;
class QWidget;

namespace vekgrid::qt {

class Grid_View;

// The menu a right click on a cell opens, when the host turns it on: Cut, Copy, Paste,
// Delete; the row commands (Cut row, Copy row, Paste row, Insert copied row, New row, Delete
// row, as Alt+X, C, V, I, N, D do them); Undo, Redo. Each is enabled only when it can act on
// the current cell, which the right click has moved under the pointer.
class Context_Menu : public QObject {
  public:
    Context_Menu(vekGRID& control, Grid_View& view);
    ~Context_Menu() override;
    Context_Menu(const Context_Menu&) = delete;
    Context_Menu& operator=(const Context_Menu&) = delete;

    bool Enabled() const { return enabled_; }
    void Enabled(bool on) { enabled_ = on; }
    // A menu for the current cell, with `parent` as its parent; it deletes itself on close.
    QMenu* Build(QWidget* parent);
    // Opens the menu over the current cell (the keyboard's menu key); false when it is off.
    bool Open_At_Current_Cell();

    // The range and the history: each acts through the control, as its keys do, and is
    // enabled only when it would change something.
    bool Can_Cut() const;  // a range, and the grid not read-only
    void Cut();
    bool Can_Copy() const;  // a range
    void Copy();
    bool Can_Paste() const;  // text on the clipboard, and the grid not read-only
    void Paste();
    bool Can_Clear() const;  // as Cut
    void Clear();
    bool Can_Undo() const { return control_.Can_Undo() && !control_.ReadOnly(); }
    void Undo();
    bool Can_Redo() const { return control_.Can_Redo() && !control_.ReadOnly(); }
    void Redo();

    // The row commands on the current row.
    bool Can_Copy_Row() const;
    bool Can_Change_Rows() const;  // cut, delete: a data row, and the grid not read-only
    bool Can_Paste_Row() const;    // paste, insert: and a copied row
    bool Can_Add_Row() const;      // a new row: columns, and the grid not read-only
    void Cut_Row();
    void Copy_Row();
    void Paste_Row();
    void Insert_Copied_Row();
    void New_Row();
    // Asks first, as Alt+D does: a deleted row cannot be brought back.
    void Delete_Row();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool Has_Data_Row() const;

    vekGRID& control_;
    Host_Grid& grid_;
    QPointer<QWidget> viewport_;
    bool enabled_ = false;
};

}  // namespace vekgrid::qt
