#include "vekgrid/qt/grid_view.h"

#include <QFontMetrics>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "vekgrid/control/internals.h"
#include "vekgrid/qt/grid_accessible.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

namespace {

constexpr int kLeftButtonDown = 513;
constexpr int kMouseWheel = 522;

// Alignment codes 0..8: column-major left/centre/right by top/centre/bottom.
Qt::Alignment To_Alignment(int code) {
    if (code < 0 || code > 8) code = 1;
    const Qt::Alignment h[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const Qt::Alignment v[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return h[code / 3] | v[code % 3];
}

// A text colour at least a readable step of lightness away from its back colour.
QColor Readable_On(QColor text, const QColor& back) {
    constexpr int kStep = 110;
    const int b = back.lightness(), t = text.lightness();
    if (std::abs(t - b) >= kStep) return text;
    const int lightness = b >= 128 ? std::max(0, b - kStep) : std::min(255, b + kStep);
    return QColor::fromHsl(text.hslHue(), text.hslSaturation(), lightness);
}

// A span of a drawn row or column: its index, start and size in pixels.
struct Span {
    int index, pos, size;
};

// The rows drawn in `height` pixels: the header, then the shown rows from TopRow. Hidden rows
// are stepped over in one go, so a filtered million rows draws as fast as ten.
std::vector<Span> Row_Spans(const Host_Grid& grid, int height) {
    std::vector<Span> spans;
    int y = 0;
    auto add = [&](int r) {
        const int h = Px(grid.RowHeight(r));
        if (h <= 0) return;
        spans.push_back({r, y, h});
        y += h;
    };
    if (grid.Rows() > 0) add(0);
    for (int r = grid.Next_Shown_Row(std::max(grid.TopRow(), 1)); r < grid.Rows() && y < height;
         r = grid.Next_Shown_Row(r + 1))
        add(r);
    return spans;
}

// The columns drawn in `width` pixels: the fixed ones, then the scrolling ones from LeftCol.
std::vector<Span> Col_Spans(const Host_Grid& grid, int width) {
    std::vector<Span> spans;
    const int cols = grid.Cols(), fixed = std::min(grid.FixedCols(), cols);
    int x = 0;
    auto add = [&](int c) {
        const int w = Px(grid.ColWidth(c));
        if (w <= 0) return;
        spans.push_back({c, x, w});
        x += w;
    };
    for (int c = 0; c < fixed; ++c) add(c);
    for (int c = std::max(grid.LeftCol(), fixed); c < cols && x < width; ++c) add(c);
    return spans;
}

}  // namespace

Grid_View::Grid_View(vekGRID& control, QWidget* parent)
    : QAbstractScrollArea(parent), control_(control), grid_(Internals_Of(control).GridEditor()) {
    setFrameShape(QFrame::NoFrame);
    // Clicks focus the grid; Tab moves between columns through the control's catchers.
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    grid_.On_View_Changed = [this] { Schedule_Sync(); };
    grid_.On_Focus_Request = [this] { setFocus(Qt::OtherFocusReason); };
    Schedule_Sync();
}

Grid_View::~Grid_View() {
    grid_.On_View_Changed = nullptr;
    grid_.On_Focus_Request = nullptr;
}

void Grid_View::Schedule_Sync() {
    // Model changes come in bursts (a load writes every cell); one sync and one paint follow.
    if (sync_pending_) return;
    sync_pending_ = true;
    QMetaObject::invokeMethod(
        this, [this] { Sync(); }, Qt::QueuedConnection);
}

long long Grid_View::Row_Room() const {
    return static_cast<long long>(viewport()->height()) * kTwipsPerPixel - grid_.RowHeight(0);
}

long long Grid_View::Col_Room() const {
    long long room = static_cast<long long>(viewport()->width()) * kTwipsPerPixel;
    for (int c = 0; c < grid_.FixedCols(); ++c) room -= grid_.ColWidth(c);
    return room;
}

int Grid_View::Last_Top_Row() const {
    return grid_.Last_Top_Row(Row_Room());
}

int Grid_View::Last_Left_Col() const {
    const int cols = grid_.Cols(), fixed = grid_.FixedCols();
    if (cols <= fixed) return fixed;
    const long long room = Col_Room();
    long long sum = 0;
    int c = cols - 1;
    for (; c >= fixed; --c) {
        sum += grid_.ColWidth(c);
        if (sum > room) break;
    }
    return std::clamp(c + 1, fixed, cols - 1);
}

void Grid_View::Fit_Label_Column() {
    // Row labels are never cut: column 0 grows to the widest label shown. Only the rows in
    // the window are measured, so a million rows cost what a window does.
    if (grid_.Cols() < 1 || grid_.ColWidth(0) <= 0) return;
    int widest = 0;
    for (const Span& rs : Row_Spans(grid_, viewport()->height())) {
        if (rs.index == 0) continue;
        const std::string& text = grid_.TextMatrix(rs.index, 0);
        if (text.empty()) continue;
        const QFontMetrics metrics(Font_Of(grid_.Look(rs.index, 0).font));
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(text)));
    }
    if (widest == 0) return;
    // The text's margins (2 pixels a side) and the grid line.
    const int need = (widest + 4 + std::max(1, grid_.GridLineWidth()) + 1) * kTwipsPerPixel;
    if (need > grid_.ColWidth(0)) control_.ColWidth(0, need);
}

void Grid_View::Sync() {
    sync_pending_ = false;
    Fit_Label_Column();
    syncing_ = true;
    const std::uint32_t style = grid_.Window_Style();
    setVerticalScrollBarPolicy(style & Window_Style_Bits::Vertical_Scroll ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(style & Window_Style_Bits::Horizontal_Scroll
                                     ? Qt::ScrollBarAlwaysOn
                                     : Qt::ScrollBarAlwaysOff);
    QScrollBar* v = verticalScrollBar();
    v->setRange(1, Last_Top_Row());
    v->setPageStep(std::max(1, viewport()->height() / std::max(1, Px(grid_.RowHeight(0)) + 1)));
    v->setValue(grid_.TopRow());
    QScrollBar* h = horizontalScrollBar();
    h->setRange(grid_.FixedCols(), Last_Left_Col());
    h->setPageStep(1);
    h->setValue(grid_.LeftCol());
    syncing_ = false;
    if (grid_.Row() != synced_row_ || grid_.Col() != synced_col_) {
        synced_row_ = grid_.Row(), synced_col_ = grid_.Col();
        Ensure_Current_Visible();
    }
    // Assistive technology hears of a new range as it does of a new current cell.
    if (const vekGRID::Cell_Range selection = control_.Selection();
        selection != synced_selection_) {
        synced_selection_ = selection;
        Announce_Selection(*this);
        if (On_Selection_Changed) On_Selection_Changed();
    }
    if (grid_.Redraw()) viewport()->update();
}

void Grid_View::Ensure_Current_Visible() {
    const int row = grid_.Row(), col = grid_.Col();
    if (row >= 1 && row < grid_.Rows() && grid_.RowHeight(row) > 0) {
        if (row < grid_.TopRow()) {
            grid_.TopRow(row);
        } else {
            const long long room = Row_Room();
            long long sum = grid_.RowHeight(row);
            int top = row;
            while (top > grid_.TopRow() && sum + grid_.RowHeight(top - 1) <= room)
                sum += grid_.RowHeight(--top);
            if (top > grid_.TopRow()) grid_.TopRow(top);
        }
    }
    const int fixed = grid_.FixedCols();
    if (col >= fixed && col < grid_.Cols() && grid_.ColWidth(col) > 0) {
        if (col < grid_.LeftCol()) {
            grid_.LeftCol(col);
        } else {
            const long long room = Col_Room();
            long long sum = grid_.ColWidth(col);
            int left = col;
            while (left > grid_.LeftCol() && sum + grid_.ColWidth(left - 1) <= room)
                sum += grid_.ColWidth(--left);
            if (left > grid_.LeftCol()) grid_.LeftCol(left);
        }
    }
}

std::pair<int, int> Grid_View::Visible_Rows() const {
    const std::vector<Span> spans = Row_Spans(grid_, viewport()->height());
    const auto first =
        std::find_if(spans.begin(), spans.end(), [](const Span& s) { return s.index > 0; });
    if (first == spans.end()) return {0, 0};
    return {first->index, spans.back().index};
}

std::pair<int, int> Grid_View::Cell_At(QPoint pos) const {
    auto find = [](const std::vector<Span>& spans, int at) {
        for (const Span& s : spans)
            if (at >= s.pos && at < s.pos + s.size) return s.index;
        return -1;
    };
    const int row = find(Row_Spans(grid_, viewport()->height()), pos.y()),
              col = find(Col_Spans(grid_, viewport()->width()), pos.x());
    if (row < 0 || col < 0) return {-1, -1};
    return {row, col};
}

const QImage& Grid_View::Image_Of(const Picture& picture) {
    auto it = images_.find(picture.get());
    if (it != images_.end()) return it->second.second;
    // Progress bars make many distinct images; keep the cache to what recent frames drew.
    if (images_.size() > 4096) images_.clear();
    return images_.emplace(picture.get(), std::make_pair(picture, To_QImage(*picture)))
        .first->second.second;
}

const QFont& Grid_View::Font_Of(const Font& font) {
    // Neighbouring cells nearly always share a font; building a QFont is what costs.
    if (!have_font_ || !(font == last_font_)) {
        last_font_ = font;
        last_qfont_ = To_QFont(font);
        last_line_height_ = QFontMetrics(last_qfont_).lineSpacing();
        have_font_ = true;
    }
    return last_qfont_;
}

void Grid_View::paintEvent(QPaintEvent* event) {
    if (sync_pending_) Sync();
    QPainter painter(viewport());
    painter.setClipRect(event->rect());
    Paint(painter, viewport()->rect());
}

void Grid_View::Paint(QPainter& painter, const QRect& area) {
    const QPalette& theme = palette();
    auto To_QColor = [&theme](Color c) { return qt::To_QColor(c, theme); };
    painter.fillRect(area, To_QColor(grid_.BackColorBkg()));
    const int rows = grid_.Rows(), cols = grid_.Cols();
    if (!grid_.Visible() || rows == 0 || cols == 0) return;
    const int fixed_cols = std::min(grid_.FixedCols(), cols);

    const std::vector<Span> col_spans = Col_Spans(grid_, area.width());
    const int x = col_spans.empty() ? 0 : col_spans.back().pos + col_spans.back().size;
    const std::vector<Span> row_spans = Row_Spans(grid_, area.height());
    const int y = row_spans.empty() ? 0 : row_spans.back().pos + row_spans.back().size;

    // Check boxes are drawn by the style at the device's resolution, not from a bitmap.
    std::vector<char> check_box(col_spans.size());
    const Variant_Array& columns = Internals_Of(control_).Column_Properties();
    for (size_t i = 0; i < col_spans.size(); ++i) {
        const int c = col_spans[i].index;
        check_box[i] = c >= 1 && columns.Contains(Col_Attr::Editor, c) &&
                       columns(Col_Attr::Editor, c).Is_Numeric() &&
                       columns(Col_Attr::Editor, c).To_Long() == CheckBox;
    }
    const int box_w = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this),
              box_h = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);

    // The user's range, never the control's own select-then-format work. It is drawn in the
    // theme's highlight blended over each cell's colour, so coloured cells stay recognisable;
    // the current cell keeps its own look, as in a spreadsheet.
    const vekGRID::Cell_Range sel = control_.Selection();
    const bool range =
        sel.Top_Row > 0 && (sel.Top_Row != sel.Bottom_Row || sel.Left_Col != sel.Right_Col);
    const QColor mark = theme.color(QPalette::Active, QPalette::Highlight),
                 mark_text = theme.color(QPalette::Active, QPalette::HighlightedText);
    auto blend = [&mark](const QColor& back) {
        constexpr int kMark = 160;  // of 256: enough to read as selected, not enough to hide
        auto mix = [](int a, int b) { return (a * (256 - kMark) + b * kMark) / 256; };
        return QColor(mix(back.red(), mark.red()), mix(back.green(), mark.green()),
                      mix(back.blue(), mark.blue()));
    };
    for (const Span& rs : row_spans) {
        for (size_t ci = 0; ci < col_spans.size(); ++ci) {
            const Span& cs = col_spans[ci];
            const QRect cell(cs.pos, rs.pos, cs.size, rs.size);
            const Host_Grid::Cell_Look look = grid_.Look(rs.index, cs.index);
            const bool selected = range && rs.index >= sel.Top_Row && rs.index <= sel.Bottom_Row &&
                                  cs.index >= sel.Left_Col && cs.index <= sel.Right_Col &&
                                  !(rs.index == grid_.Row() && cs.index == grid_.Col());
            const QColor back = selected ? blend(To_QColor(look.back)) : To_QColor(look.back);
            painter.fillRect(cell, back);
            if (check_box[ci] && rs.index >= 1) {
                const std::string& value = grid_.TextMatrix(rs.index, cs.index);
                if (value != "0" && value != "1") continue;
                QStyleOptionButton box;
                box.initFrom(this);
                box.rect = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter,
                                               QSize(box_w, box_h), cell);
                box.state = QStyle::State_Enabled | QStyle::State_Active |
                            (value == "1" ? QStyle::State_On : QStyle::State_Off);
                style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
                continue;
            }
            if (look.picture && look.picture->width > 0 && look.picture->height > 0) {
                const QImage& image = Image_Of(look.picture);
                const int code = look.picture_alignment;
                if (code == 9) {
                    painter.drawImage(cell, image);
                } else {
                    const QSize size = image.size().boundedTo(cell.size());
                    const QRect placed =
                        QStyle::alignedRect(Qt::LeftToRight, To_Alignment(code), size, cell);
                    painter.drawImage(placed, image, QRect(QPoint(0, 0), size));
                }
            }
            const std::string& text = grid_.TextMatrix(rs.index, cs.index);
            if (!text.empty()) {
                painter.setFont(Font_Of(look.font));
                // Wrapping only where the row has room for a second line; a single-line row
                // shows the start of the text rather than two clipped halves.
                const int wrap = grid_.WordWrap() && rs.size >= 2 * last_line_height_
                                     ? static_cast<int>(Qt::TextWordWrap)
                                     : 0;
                QColor pen = selected ? Readable_On(mark_text, back) : To_QColor(look.fore);
                // The column frozen while scrolling is greyed to tell it apart; it must stay
                // readable on its cells' colours, light or dark.
                if (rs.index >= 1 && cs.index >= 1 && cs.index < fixed_cols)
                    pen = Readable_On(pen, To_QColor(look.back));
                painter.setPen(pen);
                painter.drawText(cell.adjusted(2, 0, -2, 0),
                                 static_cast<int>(To_Alignment(look.alignment)) | wrap,
                                 QString::fromStdString(text));
            }
        }
    }

    // Grid lines along the right and bottom edge of every drawn cell, one stroke per line.
    if (grid_.GridLines() != 0 && !row_spans.empty() && !col_spans.empty()) {
        const int width = std::max(1, grid_.GridLineWidth());
        const QColor line = To_QColor(grid_.GridColor()),
                     fixed_line = To_QColor(grid_.GridColorFixed());
        const bool header = row_spans.front().index == 0;
        const int header_bottom = header ? row_spans.front().pos + row_spans.front().size : 0;
        int fixed_right = 0;
        for (const Span& cs : col_spans)
            if (cs.index < fixed_cols) fixed_right = cs.pos + cs.size;
        for (const Span& cs : col_spans) {
            const int lx = cs.pos + cs.size - width;
            if (header) painter.fillRect(lx, 0, width, header_bottom, fixed_line);
            painter.fillRect(lx, header_bottom, width, y - header_bottom,
                             cs.index < fixed_cols ? fixed_line : line);
        }
        // The grid itself knows lines or none; the vertical-only mode is drawn here by leaving
        // out the data rows' horizontal lines (the fixed cells keep their frame).
        const bool data_rows = control_.Gridline_Draw() != Vertical_Only;
        for (const Span& rs : row_spans) {
            const int ly = rs.pos + rs.size - width;
            painter.fillRect(0, ly, fixed_right, width, fixed_line);
            if (rs.index == 0 || data_rows)
                painter.fillRect(fixed_right, ly, x - fixed_right, width,
                                 rs.index == 0 ? fixed_line : line);
        }
    }

    // The focus rectangle around the current cell.
    if (grid_.FocusRect() != 0) {
        for (const Span& rs : row_spans) {
            if (rs.index != grid_.Row()) continue;
            for (const Span& cs : col_spans) {
                if (cs.index != grid_.Col()) continue;
                QPen pen(To_QColor(Colors::Black));
                pen.setWidth(grid_.FocusRect() == 2 ? 2 : 1);
                pen.setStyle(grid_.FocusRect() == 2 ? Qt::SolidLine : Qt::DotLine);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(QRect(cs.pos, rs.pos, cs.size - 1, rs.size - 1));
            }
        }
    }
}

void Grid_View::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Schedule_Sync();
}

void Grid_View::scrollContentsBy(int, int) {
    if (syncing_) return;
    // The user moved a scroll bar: the grid scrolls and tells the control.
    grid_.TopRow(verticalScrollBar()->value());
    grid_.LeftCol(horizontalScrollBar()->value());
    viewport()->update();
}

void Grid_View::mousePressEvent(QMouseEvent* event) {
    const double x = event->position().x() * kTwipsPerPixel,
                 y = event->position().y() * kTwipsPerPixel;
    const int shift = Shift_Code(event->modifiers());
    // Shift+click extends the range from the current cell as it was before the click.
    const int from_row = grid_.Row(), from_col = grid_.Col();
    grid_.User_MouseMove(0, shift, x, y);
    if (event->button() == Qt::LeftButton)
        Internals_Of(control_).Window_Message(grid_.hWnd(), kLeftButtonDown, 0);
    grid_.User_MouseDown(Button_Code(event->button()), shift, x, y);
    drag_ = Drag::None;
    if (event->button() != Qt::LeftButton) return;
    const auto [row, col] = Cell_At(event->position().toPoint());
    if (row < 0 || grid_.Cols() < 2 || grid_.Rows() < 2) return;
    if (row >= 1 && col == 0) {
        // A row label selects its row; a drag over the labels, the rows passed.
        anchor_row_ = event->modifiers() & Qt::ShiftModifier ? from_row : row;
        control_.Select_Rows(anchor_row_, row);
        drag_ = Drag::Rows;
    } else if (row == 0 && col >= 1 && (event->modifiers() & Qt::ControlModifier)) {
        // A plain click on a title may sort; with Ctrl it selects the column.
        anchor_col_ = col;
        control_.Select_Cols(col, col);
        drag_ = Drag::Cols;
    } else if (row >= 1 && col >= 1) {
        if (event->modifiers() & Qt::ShiftModifier) {
            anchor_row_ = from_row, anchor_col_ = from_col;
            control_.Select_Range(anchor_row_, anchor_col_, row, col);
        } else {
            anchor_row_ = grid_.Row(), anchor_col_ = grid_.Col();
        }
        drag_ = Drag::Cells;
    }
    viewport()->update();
}

void Grid_View::Drag_To(QPoint pos) {
    // Past an edge the window scrolls a step for each move, so a drag reaches rows and
    // columns out of view; pressing on is enough, no timer runs.
    const QRect area = viewport()->rect();
    const int header = grid_.Rows() > 0 ? Px(grid_.RowHeight(0)) : 0;
    if (drag_ != Drag::Cols) {
        if (pos.y() >= area.height() && grid_.TopRow() < Last_Top_Row())
            grid_.TopRow(grid_.Next_Shown_Row(grid_.TopRow() + 1));
        else if (pos.y() < header && grid_.TopRow() > 1)
            grid_.TopRow(grid_.TopRow() - 1);
    }
    if (drag_ != Drag::Rows) {
        if (pos.x() >= area.width() && grid_.LeftCol() < Last_Left_Col())
            grid_.LeftCol(grid_.LeftCol() + 1);
        else if (pos.x() < 0 && grid_.LeftCol() > grid_.FixedCols())
            grid_.LeftCol(grid_.LeftCol() - 1);
    }
    // The cell under the pointer, or the nearest one inside the window.
    const QPoint inside(std::clamp(pos.x(), 0, std::max(0, area.width() - 1)),
                        std::clamp(pos.y(), header, std::max(header, area.height() - 1)));
    auto [row, col] = Cell_At(inside);
    if (row < 0) {
        // Below the last row or right of the last column: the last ones drawn.
        const std::vector<Span> rows = Row_Spans(grid_, area.height()),
                                cols = Col_Spans(grid_, area.width());
        if (rows.empty() || cols.empty()) return;
        row = inside.y() >= rows.back().pos ? rows.back().index : rows.front().index;
        col = inside.x() >= cols.back().pos ? cols.back().index : cols.front().index;
    }
    row = std::max(row, 1), col = std::max(col, 1);
    switch (drag_) {
        case Drag::Cells:
            control_.Select_Range(anchor_row_, anchor_col_, row, col);
            break;
        case Drag::Rows:
            control_.Select_Rows(anchor_row_, row);
            break;
        case Drag::Cols:
            control_.Select_Cols(anchor_col_, col);
            break;
        case Drag::None:
            return;
    }
    viewport()->update();
}

void Grid_View::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    drag_ = Drag::None;
    grid_.User_Click(event->position().x() * kTwipsPerPixel,
                     event->position().y() * kTwipsPerPixel);
}

void Grid_View::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) grid_.User_DblClick();
}

void Grid_View::mouseMoveEvent(QMouseEvent* event) {
    grid_.User_MouseMove(Button_Code(event->buttons()), Shift_Code(event->modifiers()),
                         event->position().x() * kTwipsPerPixel,
                         event->position().y() * kTwipsPerPixel);
    if (drag_ != Drag::None && (event->buttons() & Qt::LeftButton))
        Drag_To(event->position().toPoint());
}

void Grid_View::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    // In a drop-down column the wheel's Up and Down keys would step the list that opens on
    // each cell they enter, changing values the person never touched: there the wheel
    // scrolls the grid instead.
    const Variant_Array& columns = Internals_Of(control_).Column_Properties();
    const int col = grid_.Col();
    if (col >= 1 && columns.Contains(Col_Attr::Editor, col) &&
        columns(Col_Attr::Editor, col).Is_Numeric() &&
        columns(Col_Attr::Editor, col).To_Long() == ComboBox) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // The wheel moves the current cell three rows, as keys do; the view follows the cell.
    const auto word =
        static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(delta, -32768, 32767)));
    Internals_Of(control_).Window_Message(grid_.hWnd(), kMouseWheel,
                                          static_cast<std::int32_t>(word) << 16);
    event->accept();
}

}  // namespace vekgrid::qt
