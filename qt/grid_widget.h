#pragma once
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "vekgrid/control/vekgrid.h"
#include "vekgrid/qt/export.h"
#include "vekgrid/qt/grid_view.h"

namespace vekgrid::qt {

class Qt_Platform;
class Signal_Relay;
class Column_Header;
class Context_Menu;

/// The widget a host puts on its form. It owns the control and the Qt platform under it: the
/// painted grid fills the widget and the control's editors are laid over it as child widgets.
/// The host reaches everything through grid(), as it would the control itself:
///
///     vekgrid::qt::Grid_Widget widget;
///     vekgrid::vekColumn name;
///     name.Title("Name");
///     widget.grid().Add_Column(name);
///
/// Keys pressed anywhere inside the widget reach the control first (its key preview), then
/// the focused editor.
///
/// The control's events arrive as Qt signals too, in the order and with the arguments the
/// vekGRID_Events listeners get them (rows and columns count from 0, row 0 the header); a Qt
/// host needs no listener. The signals are emitted before the host's own listeners hear.
class VEKGRID_QT_EXPORT Grid_Widget : public QWidget {
    Q_OBJECT

  public:
    explicit Grid_Widget(QWidget* parent = nullptr);
    ~Grid_Widget() override;

    vekGRID& grid() { return *control_; }
    Qt_Platform& platform() { return *platform_; }
    Grid_View& view() { return *view_; }

    QSize sizeHint() const override { return {640, 360}; }

    /// A click on a column title sorts the rows by that column (Sort_Grid), a second click the
    /// other way; the title shows the direction with an arrow. Off by default.
    void setSortOnHeaderClick(bool on);
    bool sortOnHeaderClick() const;
    /// A right click on a cell opens a menu of the row and editing commands. Off by default.
    void setContextMenuEnabled(bool on);
    bool contextMenuEnabled() const;

    /// The design-time properties kept in a file between runs (File_Property_Bag's text
    /// format). Load replaces the first-placement defaults; both throw vekgrid::Error on a
    /// malformed or unwritable file.
    void Save_Properties(const std::filesystem::path& path);
    void Load_Properties(const std::filesystem::path& path);

  signals:
    /// An edit the user typed or picked is about to go into a cell: clearing *accept keeps the
    /// cell as it was (no cellChanged follows). Connect with a direct connection.
    void cellChanging(int row, int col, const QString& previous, const QString& value,
                      bool* accept);
    /// A cell's text changed by an edit (for formula cells: its source), after the enterCell
    /// of the next cell.
    void cellChanged(int row, int col, const QString& previous, const QString& value);
    void enterCell();
    void leaveCell();
    /// A row was added by AddItem, Enter on the last cell or a new-row command.
    void rowAdded(int row);
    /// A pop-up column's button was clicked; its form already shows.
    void popUpClicked(int col);
    /// Before a copied row is pasted over `row`: cells[c] is what column c receives and may be
    /// changed (cells[0], the label column, is not pasted).
    void beforeRowPaste(int row, QStringList* cells);
    void rowPasted(int copiedRow, int pastedRow);
    void beforeRowDelete(int row);
    void rowDeleted(int row);
    /// Mouse input on the grid; the position in pixels from the grid's top-left corner.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF position);
    void clicked();
    void doubleClicked();
    /// The user resized a column by its title's border (drag or double-click); width in twips.
    void columnResized(int col, int twips);
    /// The user's range (vekGRID::Selection) changed.
    void selectionChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    /// The control's key preview: key-down and key-press run before the focused editor sees
    /// the key; true when the key is used up.
    bool Preview_Key(QObject* target, class QKeyEvent& key);
    /// A key the column's filter refused: a beep and a tooltip naming what the column takes.
    void Key_Rejected(QWidget* editor);
    QString Accepted_Keys(int col) const;
    void Focus_Changed(QWidget* old, QWidget* now);
    bool Inside(QWidget* widget) const;
    /// Lays the grid over the whole widget and tells the control its size.
    void Fit();

    /// Destroyed in reverse: the control lets go of its widgets before the platform and the
    /// view go.
    Grid_View* view_ = nullptr;  ///< a child, owned by Qt
    std::unique_ptr<Signal_Relay> relay_;
    std::unique_ptr<Qt_Platform> platform_;
    std::unique_ptr<vekGRID> control_;
    std::unique_ptr<Column_Header> header_;
    std::unique_ptr<Context_Menu> menu_;
    bool shown_ = false;
};

}  // namespace vekgrid::qt
