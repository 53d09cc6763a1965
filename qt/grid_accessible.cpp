#include "vekgrid/qt/grid_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <unordered_map>

#include "vekgrid/control/internals.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/grid_widget.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

namespace {

// A screen reader reading a long grid cell by cell makes an interface per cell it visits;
// past this many they are dropped when the current cell next moves (never in the middle of a
// query, whose caller may hold them) and made again on demand, so memory follows the reading,
// not the grid.
constexpr size_t kMaxCachedCells = 4096;
// A selection over a whole large grid is reported by its first cells only.
constexpr int kMaxSelectedCells = 1000;

Grid_Widget* Widget_Of(const QWidget* view) {
    return view ? dynamic_cast<Grid_Widget*>(view->parentWidget()) : nullptr;
}

class Grid_Accessible;

// One cell of the grid, known by its position: row 0 holds the column titles, column 0 the
// row labels (the headers); the others are data cells.
class Cell_Accessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    Cell_Accessible(Grid_View* view, int row, int col) : view_(view), row_(row), col_(col) {}

    bool isValid() const override {
        const Host_Grid* g = Grid();
        return g && row_ < g->Rows() && col_ < g->Cols();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        const Host_Grid* g = Grid();
        if (!g || !isValid()) return {};
        if (t != QAccessible::Name && t != QAccessible::Value) return {};
        QString text = QString::fromStdString(g->TextMatrix(row_, col_));
        // A row label left empty still names the row by its number.
        if (text.isEmpty() && col_ == 0 && row_ > 0 && t == QAccessible::Name)
            text = QString::number(row_);
        return text;
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const Host_Grid* g = Grid();
        if (!g || !isValid()) return {};
        const QRect local(g->ColPos(col_) / kTwipsPerPixel, g->RowPos(row_) / kTwipsPerPixel,
                          Px_Size(g->ColWidth(col_)), Px_Size(g->RowHeight(row_)));
        return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override {
        if (row_ == 0) return QAccessible::ColumnHeader;
        if (col_ == 0) return QAccessible::RowHeader;
        return QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        const Host_Grid* g = Grid();
        if (!g || !isValid()) {
            s.invalid = true;
            return s;
        }
        if (g->RowHeight(row_) <= 0 || g->ColWidth(col_) <= 0) s.invisible = true;
        const QRect r = rect();
        if (r.isEmpty() ||
            !QRect(view_->viewport()->mapToGlobal(QPoint(0, 0)), view_->viewport()->size())
                 .intersects(r))
            s.offscreen = true;
        if (row_ == 0 || col_ == 0) return s;
        s.focusable = s.selectable = true;
        if (isSelected()) s.selected = true;
        if (row_ == g->Row() && col_ == g->Col()) {
            const Grid_Widget* w = Widget_Of(view_);
            const QWidget* focus = QApplication::focusWidget();
            s.focused = w && focus && (focus == w || w->isAncestorOf(focus));
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    // Table cell: data cells count from 0 in the table, headers are apart from it.
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    int columnIndex() const override { return col_ - 1; }
    int rowIndex() const override { return row_ - 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    bool isSelected() const override {
        // The user's range, as the view draws it.
        Grid_Widget* w = Widget_Of(view_);
        return w && row_ >= 1 && col_ >= 1 && w->grid().Is_Selected(row_, col_);
    }
    QAccessibleInterface* table() const override { return parent(); }

  private:
    const Host_Grid* Grid() const {
        Grid_Widget* w = Widget_Of(view_);
        return w ? &Internals_Of(w->grid()).GridEditor() : nullptr;
    }

    QPointer<Grid_View> view_;
    int row_, col_;
};

// The grid as a table. Children are the cells of the whole grid, headers included, row by
// row: child r * Cols + c is cell (r, c).
class Grid_Accessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit Grid_Accessible(Grid_View* view)
        : QAccessibleWidget(view, QAccessible::Table), view_(view) {}
    ~Grid_Accessible() override { Drop_Cells(); }

    Host_Grid& Grid() const { return Internals_Of(Widget_Of(view_)->grid()).GridEditor(); }
    vekGRID& Control() const { return Widget_Of(view_)->grid(); }

    // The cell interface of grid cell (row, col), made once and kept while it is in use.
    QAccessibleInterface* Cell(int row, int col) const {
        const Host_Grid& g = Grid();
        if (row < 0 || col < 0 || row >= g.Rows() || col >= g.Cols()) return nullptr;
        const long long key = static_cast<long long>(row) << 32 | static_cast<unsigned>(col);
        if (auto it = cells_.find(key); it != cells_.end())
            if (QAccessibleInterface* cell = QAccessible::accessibleInterface(it->second))
                return cell;
        auto* cell = new Cell_Accessible(view_, row, col);
        cells_[key] = QAccessible::registerAccessibleInterface(cell);
        return cell;
    }
    int Index_Of(int row, int col) const {
        const long long index = static_cast<long long>(row) * Grid().Cols() + col;
        return index > INT_MAX ? -1 : static_cast<int>(index);
    }

    // QAccessibleInterface
    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (text.isEmpty() && t == QAccessible::Name) text = QStringLiteral("Grid");
        return text;
    }
    int childCount() const override {
        const long long n = static_cast<long long>(Grid().Rows()) * Grid().Cols();
        return static_cast<int>(std::min<long long>(n, INT_MAX));
    }
    QAccessibleInterface* child(int index) const override {
        const int cols = Grid().Cols();
        if (index < 0 || cols == 0) return nullptr;
        return Cell(index / cols, index % cols);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child || child->parent() != this) return -1;
        const auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        return cell ? Index_Of(cell->rowIndex() + 1, cell->columnIndex() + 1) : -1;
    }
    QAccessibleInterface* focusChild() const override {
        const Host_Grid& g = Grid();
        if (g.Row() < 1 || g.Col() < 1) return nullptr;
        return Cell(g.Row(), g.Col());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint p = view_->viewport()->mapFromGlobal(QPoint(x, y));
        if (!view_->viewport()->rect().contains(p)) return nullptr;
        const Host_Grid& g = Grid();
        auto within = [](int p, int start, int size) { return p >= start && p < start + size; };
        // The header, then the shown rows from the top one down to the window's bottom.
        int row = -1;
        if (g.Rows() > 0 && within(p.y(), 0, Px_Size(g.RowHeight(0)))) row = 0;
        for (int r = g.Next_Shown_Row(std::max(g.TopRow(), 1)); row < 0 && r < g.Rows();
             r = g.Next_Shown_Row(r + 1)) {
            const int top = g.RowPos(r) / kTwipsPerPixel;
            if (top > p.y()) break;
            if (within(p.y(), top, Px_Size(g.RowHeight(r)))) row = r;
        }
        if (row < 0) return nullptr;
        for (int c = 0; c < g.Cols(); ++c)
            if (within(p.x(), g.ColPos(c) / kTwipsPerPixel, Px_Size(g.ColWidth(c))))
                return Cell(row, c);
        return nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // QAccessibleTableInterface: data rows and columns, counted from 0.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || column < 0) return nullptr;
        return Cell(row + 1, column + 1);
    }
    int rowCount() const override { return std::max(0, Grid().Rows() - 1); }
    int columnCount() const override { return std::max(0, Grid().Cols() - 1); }
    QString columnDescription(int column) const override {
        const Host_Grid& g = Grid();
        if (column < 0 || column + 1 >= g.Cols() || g.Rows() == 0) return {};
        return QString::fromStdString(g.TextMatrix(0, column + 1));
    }
    QString rowDescription(int row) const override {
        if (QAccessibleInterface* label = Cell(row + 1, 0)) return label->text(QAccessible::Name);
        return {};
    }
    // The selection: the user's range of data cells, as the view draws it.
    struct Range {
        int row1, col1, row2, col2;
        bool empty() const { return row1 > row2 || col1 > col2; }
    };
    Range Selection() const {
        const vekGRID::Cell_Range s = Control().Selection();
        if (s.Top_Row == 0) return {1, 1, 0, 0};
        return {s.Top_Row, s.Left_Col, s.Bottom_Row, s.Right_Col};
    }
    int selectedCellCount() const override {
        const Range r = Selection();
        if (r.empty()) return 0;
        const long long n = static_cast<long long>(r.row2 - r.row1 + 1) * (r.col2 - r.col1 + 1);
        return static_cast<int>(std::min<long long>(n, INT_MAX));
    }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        const Range r = Selection();
        for (int row = r.row1; row <= r.row2 && cells.size() < kMaxSelectedCells; ++row)
            for (int col = r.col1; col <= r.col2 && cells.size() < kMaxSelectedCells; ++col)
                cells << Cell(row, col);
        return cells;
    }
    // Whole rows or columns count as selected when the rectangle spans the grid.
    QList<int> selectedRows() const override {
        const Range r = Selection();
        QList<int> rows;
        if (r.empty() || r.col1 != 1 || r.col2 != Grid().Cols() - 1) return rows;
        for (int row = r.row1; row <= r.row2 && rows.size() < kMaxSelectedCells; ++row)
            rows << row - 1;
        return rows;
    }
    QList<int> selectedColumns() const override {
        const Range r = Selection();
        QList<int> cols;
        if (r.empty() || r.row1 != 1 || r.row2 != Grid().Rows() - 1) return cols;
        for (int col = r.col1; col <= r.col2; ++col) cols << col - 1;
        return cols;
    }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    int selectedColumnCount() const override { return static_cast<int>(selectedColumns().size()); }
    bool isRowSelected(int row) const override { return selectedRows().contains(row); }
    bool isColumnSelected(int column) const override { return selectedColumns().contains(column); }
    // Selecting through assistive technology is not offered: the current cell moves by keys.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    void Trim_Cells() {
        if (cells_.size() > kMaxCachedCells) Drop_Cells();
    }

  private:
    void Drop_Cells() const {
        for (const auto& [key, id] : cells_) QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    QPointer<Grid_View> view_;
    mutable std::unordered_map<long long, QAccessible::Id> cells_;
};

QList<QAccessibleInterface*> Cell_Accessible::columnHeaderCells() const {
    auto* table = dynamic_cast<Grid_Accessible*>(parent());
    if (!table || row_ == 0) return {};
    QAccessibleInterface* header = table->Cell(0, col_);
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

QList<QAccessibleInterface*> Cell_Accessible::rowHeaderCells() const {
    auto* table = dynamic_cast<Grid_Accessible*>(parent());
    if (!table || col_ == 0) return {};
    QAccessibleInterface* header = table->Cell(row_, 0);
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

QAccessibleInterface* Grid_Factory(const QString&, QObject* object) {
    auto* view = dynamic_cast<Grid_View*>(object);
    if (!view || !Widget_Of(view)) return nullptr;
    return new Grid_Accessible(view);
}

}  // namespace

void Install_Grid_Accessibility() {
    static const bool installed = (QAccessible::installFactory(&Grid_Factory), true);
    (void)installed;
}

void Announce_Current_Cell(Grid_View& view) {
    if (!QAccessible::isActive()) return;
    const Grid_Widget* widget = Widget_Of(&view);
    const QWidget* focus = QApplication::focusWidget();
    if (!widget || !focus || !(focus == widget || widget->isAncestorOf(focus))) return;
    auto* table = dynamic_cast<Grid_Accessible*>(QAccessible::queryAccessibleInterface(&view));
    if (!table) return;
    table->Trim_Cells();
    const Host_Grid& g = table->Grid();
    if (g.Row() < 1 || g.Col() < 1 || g.Row() >= g.Rows() || g.Col() >= g.Cols()) return;
    QAccessibleEvent event(&view, QAccessible::Focus);
    event.setChild(table->Index_Of(g.Row(), g.Col()));
    QAccessible::updateAccessibility(&event);
}

void Announce_Selection(Grid_View& view) {
    // Qt drops the event itself when no reader listens; an installed handler still hears it.
    QAccessibleEvent event(&view, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&event);
}

}  // namespace vekgrid::qt
