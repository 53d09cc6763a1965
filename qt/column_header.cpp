#include "vekgrid/qt/column_header.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_set>

#include "vekgrid/control/internals.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

namespace {

// How near a title's right border the pointer grabs it, in pixels either side.
constexpr int kGrip = 3;
// Narrowest a column is dragged or fitted to, so its border can still be grabbed.
constexpr int kMinWidth = 8;
// Room around a fitted text: the painter's margins and the grid line.
constexpr int kFitMargin = 2 + 2 + 2;

bool Number(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

}  // namespace

// The direction arrow over the sorted column's title. It lies over the viewport, lets the
// mouse through and draws nothing else, so the grid shows under it.
class Column_Header::Arrow : public QWidget {
  public:
    Arrow(Column_Header& header, QWidget* viewport) : QWidget(viewport), header_(header) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(viewport->rect());
        show();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const int col = header_.Sorted_Column();
        if (col <= 0) return;
        for (const Span& s : header_.Spans()) {
            if (s.col != col) continue;
            const int h = header_.Header_Height(), size = std::min(8, h / 2);
            if (size < 3 || s.width < 2 * size) return;
            const double cx = s.x + s.width - size - 3, cy = h / 2.0;
            QPainterPath path;
            if (header_.Sorted_Ascending()) {
                path.moveTo(cx - size / 2.0, cy + size / 4.0);
                path.lineTo(cx + size / 2.0, cy + size / 4.0);
                path.lineTo(cx, cy - size / 4.0 - 1);
            } else {
                path.moveTo(cx - size / 2.0, cy - size / 4.0);
                path.lineTo(cx + size / 2.0, cy - size / 4.0);
                path.lineTo(cx, cy + size / 4.0 + 1);
            }
            path.closeSubpath();
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.fillPath(path, palette().color(QPalette::ButtonText));
        }
    }

  private:
    Column_Header& header_;
};

Column_Header::Column_Header(vekGRID& control, Grid_View& view)
    : control_(control),
      grid_(Internals_Of(control).GridEditor()),
      view_(&view),
      viewport_(view.viewport()) {
    viewport_->installEventFilter(this);
    arrow_ = new Arrow(*this, viewport_);
}

Column_Header::~Column_Header() {
    if (viewport_) {
        viewport_->removeEventFilter(this);
        if (cursor_set_) viewport_->unsetCursor();
    }
    delete arrow_.data();
}

void Column_Header::Sort_On_Click(bool on) {
    sort_on_click_ = on;
    if (!on) sorted_col_ = 0;
    if (arrow_) arrow_->update();
}

int Column_Header::Sorted_Column() const {
    // Columns replaced since (a load, Clear_Grid) are not the column that was sorted.
    if (sorted_col_ <= 0 || sorted_col_ >= grid_.Cols() || grid_.Rows() == 0 ||
        grid_.TextMatrix(0, sorted_col_) != sorted_title_)
        return 0;
    return sorted_col_;
}

int Column_Header::Header_Height() const {
    return grid_.Rows() > 0 ? Px(grid_.RowHeight(0)) : 0;
}

std::vector<Column_Header::Span> Column_Header::Spans() const {
    // The view's walk: the fixed columns, then from LeftCol while there is room.
    std::vector<Span> spans;
    const int cols = grid_.Cols(), fixed = std::min(grid_.FixedCols(), cols);
    const int room = viewport_ ? viewport_->width() : 0;
    int x = 0;
    auto add = [&](int c) {
        const int w = Px(grid_.ColWidth(c));
        if (w <= 0) return;
        spans.push_back({c, x, w});
        x += w;
    };
    for (int c = 0; c < fixed; ++c) add(c);
    for (int c = std::max(grid_.LeftCol(), fixed); c < cols && x < room; ++c) add(c);
    return spans;
}

int Column_Header::Border_At(QPoint pos) const {
    if (pos.y() < 0 || pos.y() >= Header_Height()) return -1;
    int best = -1, distance = kGrip + 1;
    for (const Span& s : Spans()) {
        const int d = std::abs(pos.x() - (s.x + s.width));
        if (d < distance) best = s.col, distance = d;
    }
    return best;
}

int Column_Header::Title_At(QPoint pos) const {
    if (pos.y() < 0 || pos.y() >= Header_Height()) return -1;
    for (const Span& s : Spans())
        if (pos.x() >= s.x && pos.x() < s.x + s.width) return s.col;
    return -1;
}

void Column_Header::Set_Width(int col, int pixels) {
    const int twips = std::max(kMinWidth, pixels) * kTwipsPerPixel;
    if (twips == grid_.ColWidth(col)) return;
    // Through the control, so the open editor follows the new width.
    control_.ColWidth(col, twips);
    if (arrow_) arrow_->update();
}

void Column_Header::Fit(int col) {
    if (col < 0 || col >= grid_.Cols() || !view_) return;
    int widest = 0;
    auto measure = [&](int row) {
        const Host_Grid::Cell_Look look = grid_.Look(row, col);
        const QFontMetrics metrics(To_QFont(look.font));
        const QString text = QString::fromStdString(grid_.TextMatrix(row, col));
        for (const QString& line : text.split('\n'))
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (look.picture) widest = std::max(widest, look.picture->width);
    };
    if (grid_.Rows() > 0) measure(0);
    const auto [first, last] = view_->Visible_Rows();
    if (first > 0)
        for (int r = first; r <= last && r < grid_.Rows(); r = grid_.Next_Shown_Row(r + 1))
            measure(r);
    // The title's arrow needs room beside the text.
    if (col == Sorted_Column()) widest += 12;
    const int before = grid_.ColWidth(col);
    Set_Width(col, widest + kFitMargin);
    if (grid_.ColWidth(col) != before && On_Resized) On_Resized(col, grid_.ColWidth(col));
}

void Column_Header::Sort(int col) {
    // Sort_Grid carries each row's formula sources along by the row's label; rows without
    // labels of their own would lose them to other rows, so such a grid is left as it is.
    std::unordered_set<std::string_view> labels;
    labels.reserve(static_cast<size_t>(grid_.Rows()));
    for (int r = 1; r < grid_.Rows(); ++r)
        if (!labels.insert(grid_.TextMatrix(r, 0)).second) return;
    // The click took the person out of the cell: what they typed goes in first (as leaving
    // the control commits it), or the sort would put the editor's text on another row's cell.
    if (Internals_Of(control_).Control_Has_Focus()) {
        const vekGRID::Undo_Step step(control_);
        Internals_Of(control_).UserControl_ExitFocus();
        Internals_Of(control_).UserControl_EnterFocus();
    }
    {
        // A step of its own, so Ctrl+Z puts the rows back in their order.
        const vekGRID::Undo_Step step(control_);
        control_.Sort_Grid(static_cast<std::int16_t>(col));
    }
    // The control picks the direction from the data; the result shows which it took.
    const int rows = grid_.Rows();
    if (rows < 3) {
        ascending_ = true;
    } else {
        const std::string& a = grid_.TextMatrix(1, col);
        const std::string& b = grid_.TextMatrix(rows - 1, col);
        double x = 0, y = 0;
        ascending_ = Number(a, x) && Number(b, y) ? x <= y : a <= b;
    }
    sorted_col_ = col;
    sorted_title_ = grid_.TextMatrix(0, col);
    if (arrow_) arrow_->update();
}

bool Column_Header::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport_) return false;
    switch (event->type()) {
        case QEvent::Resize:
            if (arrow_) arrow_->setGeometry(viewport_->rect());
            return false;
        case QEvent::Leave:
            if (cursor_set_ && drag_col_ < 0) viewport_->unsetCursor(), cursor_set_ = false;
            return false;
        case QEvent::MouseMove: {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            const QPoint pos = mouse.position().toPoint();
            if (drag_col_ >= 0) {
                Set_Width(drag_col_, drag_width_ + pos.x() - drag_x_);
                return true;
            }
            const bool over = mouse.buttons() == Qt::NoButton && Border_At(pos) >= 0;
            if (over != cursor_set_) {
                if (over)
                    viewport_->setCursor(Qt::SplitHCursor);
                else
                    viewport_->unsetCursor();
                cursor_set_ = over;
            }
            return false;
        }
        case QEvent::MouseButtonPress: {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            if (mouse.button() != Qt::LeftButton) return false;
            const QPoint pos = mouse.position().toPoint();
            press_title_ = -1;
            if (const int col = Border_At(pos); col >= 0) {
                drag_col_ = col;
                drag_x_ = pos.x();
                drag_width_ = Px(grid_.ColWidth(col));
                drag_twips_ = grid_.ColWidth(col);
                return true;
            }
            // Ctrl+click selects the column (the view does it) instead of sorting.
            if (sort_on_click_ && !(mouse.modifiers() & Qt::ControlModifier))
                press_title_ = Title_At(pos);
            return false;
        }
        case QEvent::MouseButtonRelease: {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            if (mouse.button() != Qt::LeftButton) return false;
            if (drag_col_ >= 0) {
                const int col = drag_col_;
                drag_col_ = -1;
                if (grid_.ColWidth(col) != drag_twips_ && On_Resized)
                    On_Resized(col, grid_.ColWidth(col));
                return true;
            }
            if (eat_release_) {
                eat_release_ = false;
                return true;
            }
            const int title = press_title_;
            press_title_ = -1;
            // Data columns sort; the label column has nothing to sort by.
            if (sort_on_click_ && title >= 1 && title == Title_At(mouse.position().toPoint()))
                Sort(title);
            return false;
        }
        case QEvent::MouseButtonDblClick: {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            if (mouse.button() != Qt::LeftButton) return false;
            const int col = Border_At(mouse.position().toPoint());
            if (col < 0) return false;
            drag_col_ = -1;
            Fit(col);
            eat_release_ = true;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace vekgrid::qt
