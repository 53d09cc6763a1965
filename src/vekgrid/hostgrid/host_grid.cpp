#include "vekgrid/hostgrid/host_grid.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <climits>
#include <numeric>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/number_text.h"
#include "vekgrid/common/text.h"

namespace vekgrid {

namespace {
constexpr int kDefaultRowHeight = 240;
constexpr int kDefaultColWidth = 960;
constexpr int kScrollBarTwips = 255;

int Compare_Text_Case_Insensitive(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = Ascii_Lower(static_cast<unsigned char>(a[i]));
        const unsigned char y = Ascii_Lower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// Stable bottom-up merge sort. Generic ordering compares numbers as numbers and everything
// else as text, which is not transitive on mixed columns ("2" < "10" < "1a" < "2"), and
// std::stable_sort leaves such a comparator undefined. This one only ever compares within
// bounds, so a mixed column gets some order, and a consistent one the stable sorted order.
template <class T, class Less>
void Stable_Merge_Sort(std::vector<T>& items, Less less) {
    const size_t n = items.size();
    constexpr size_t kRun = 16;
    for (size_t start = 0; start < n; start += kRun) {
        const size_t end = std::min(n, start + kRun);
        for (size_t i = start + 1; i < end; ++i) {
            T value = std::move(items[i]);
            size_t j = i;
            for (; j > start && less(value, items[j - 1]); --j) items[j] = std::move(items[j - 1]);
            items[j] = std::move(value);
        }
    }
    std::vector<T> buffer(n);
    for (size_t width = kRun; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(n, lo + width), hi = std::min(n, lo + 2 * width);
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                buffer[out++] = less(items[b], items[a]) ? items[b++] : items[a++];
            while (a < mid) buffer[out++] = items[a++];
            while (b < hi) buffer[out++] = items[b++];
        }
        items.swap(buffer);
    }
}
}  // namespace

size_t Host_Grid::Format_Hash::operator()(const Format& f) const noexcept {
    size_t h = std::hash<std::uint64_t>{}((std::uint64_t{f.back} << 32) | f.fore);
    auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(static_cast<size_t>(f.has_back) | static_cast<size_t>(f.has_fore) << 1);
    mix(static_cast<size_t>(f.font_name + 1));
    mix(std::hash<double>{}(f.font_size));
    mix(static_cast<size_t>((f.bold + 1) | (f.italic + 1) << 2 | (f.underline + 1) << 4 |
                            (f.strikethrough + 1) << 6));
    mix(static_cast<size_t>(f.alignment));
    mix(f.picture);
    mix(static_cast<size_t>(f.picture_alignment));
    mix(static_cast<size_t>(f.back_banded) | static_cast<size_t>(f.fore_banded) << 1 |
        static_cast<size_t>(f.back_shown_banded) << 2);
    mix((std::uint64_t{f.back_even} << 32) | f.fore_even);
    return h;
}

namespace {
size_t Hash_Formats(const std::vector<std::uint32_t>& formats) {
    size_t h = formats.size();
    for (std::uint32_t f : formats) h ^= f + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}
}  // namespace

Host_Grid::Host_Grid() {
    formats_.push_back(Format{});
    format_index_.emplace(formats_[0], 0);
    Intern_Layout({});  // layout 0: every cell in the default format
    Cols(2);
    Rows(2);
    FixedCols(1);
    // Like the classic grid, the current cell starts on the first scrolling cell.
    row_ = row_sel_ = 1;
    col_ = col_sel_ = 1;
}

Host_Grid::~Host_Grid() = default;

void Host_Grid::Changed() {
    if (listener_) listener_->Grid_Changed();
    if (On_View_Changed) On_View_Changed();
}

// Keeps the current cell, the selection corner, the mouse cell and the scroll origin inside the
// grid after it shrank; no leave or enter, the cell the caller left no longer exists.
void Host_Grid::Clamp_Positions() {
    const int last_row = std::max(0, Rows() - 1);
    const int last_col = std::max(0, cols_ - 1);
    row_ = std::min(row_, last_row);
    row_sel_ = std::min(row_sel_, last_row);
    mouse_row_ = std::min(mouse_row_, last_row);
    col_ = std::min(col_, last_col);
    col_sel_ = std::min(col_sel_, last_col);
    mouse_col_ = std::min(mouse_col_, last_col);
    top_row_ = std::clamp(top_row_, std::min(1, last_row), last_row);
    left_col_ = std::clamp(left_col_, std::min(fixed_cols_, last_col), last_col);
}

long long Host_Grid::Row_Top(int row) const {
    if (row <= 0) return 0;
    if (row_end_.size() < row_height_.size()) row_end_.resize(row_height_.size());
    for (; row_end_valid_ < static_cast<size_t>(row); ++row_end_valid_) {
        const long long before = row_end_valid_ ? row_end_[row_end_valid_ - 1] : 0;
        row_end_[row_end_valid_] = before + row_height_[row_end_valid_];
    }
    return row_end_[static_cast<size_t>(row) - 1];
}

void Host_Grid::Invalidate_Rows_From(int row) {
    row_end_valid_ = std::min(row_end_valid_, static_cast<size_t>(std::max(row, 0)));
    shown_end_valid_ = std::min(shown_end_valid_, static_cast<size_t>(std::max(row, 0)));
}

void Host_Grid::Check_Cell(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) throw Subscript_Out_Of_Range();
}

// --- size -----------------------------------------------------------------------------

int Host_Grid::Rows() const {
    return static_cast<int>(cells_.size());
}

void Host_Grid::Rows(int n) {
    if (n < 0) throw Invalid_Argument("Invalid Row value");
    const int old = Rows();
    if (hooks_ && (old == 0 || n == 0)) hooks_->Shape_Changing();
    if (hooks_)
        for (int r = old - 1; r >= n && r >= 1; --r) hooks_->Row_Removing(r);
    if (n < old) {
        for (int r = n; r < old; ++r) {
            total_row_height_ -= row_height_[static_cast<size_t>(r)];
            Release_Layout(cells_[static_cast<size_t>(r)].layout);
        }
        cells_.resize(static_cast<size_t>(n));
        Collect_Layouts();
        row_height_.resize(static_cast<size_t>(n));
        Cut_Numbering(n, old - 1);
        for (auto& span : styled_) {
            span.last = std::min(span.last, n - 1);
            std::erase_if(span.holes, [n](int h) { return h >= n; });
        }
    } else {
        // Callers often grow one row at a time; keep the growth geometric.
        if (static_cast<size_t>(n) > cells_.capacity())
            cells_.reserve(std::max(static_cast<size_t>(n), cells_.capacity() * 2));
        for (int r = old; r < n; ++r) cells_.push_back(New_Row());
        if (n > old) shown_band_.valid = false;
        row_height_.resize(static_cast<size_t>(n), kDefaultRowHeight);
        total_row_height_ += static_cast<long long>(n - old) * kDefaultRowHeight;
    }
    Invalidate_Rows_From(std::min(n, old));
    Clamp_Positions();
    if (hooks_)
        for (int r = std::max(old, 1); r < n; ++r) hooks_->Row_Inserted(r);
    Changed();
}

int Host_Grid::Cols() const {
    return cols_;
}

void Host_Grid::Cols(int n) {
    if (n < 0) throw Invalid_Argument("Invalid Col value");
    if (hooks_ && n != cols_) hooks_->Shape_Changing();
    // Columns come one at a time, often onto rows that exist (a loaded file's header row, a
    // grid that has data): growth is geometric, so adding k columns moves each row O(log k)
    // times, not k times.
    const auto width = static_cast<size_t>(n);
    const std::vector<std::uint32_t> renumber = Resize_Layouts(n);
    for (auto& row : cells_) {
        auto& line = row.cells;
        if (width > line.capacity()) line.reserve(std::max(width, line.capacity() * 2));
        line.resize(width);
        row.layout = renumber[row.layout];
        if (row.sources && n < cols_)
            std::erase_if(*row.sources, [n](const Source_Entry& e) { return e.col >= n; });
    }
    styled_.resize(static_cast<size_t>(n));
    shown_band_.valid = false;
    if (n == 0) numbered_.clear();
    col_width_.resize(static_cast<size_t>(n), kDefaultColWidth);
    col_alignment_.resize(static_cast<size_t>(n), Align::General);
    cols_ = n;
    fixed_cols_ = std::min(fixed_cols_, n);
    Clamp_Positions();
    Changed();
}

int Host_Grid::FixedCols() const {
    return fixed_cols_;
}

void Host_Grid::FixedCols(int n) {
    if (n < 0 || n > cols_) throw Invalid_Argument("Invalid FixedCols value");
    fixed_cols_ = n;
    left_col_ = std::max(left_col_, std::min(n, cols_ - 1));
    Changed();
}

// --- current cell and selection -------------------------------------------------------

void Host_Grid::Move_Current(int row, int col) {
    Check_Cell(row, col);
    const bool moves = row != row_ || col != col_;
    if (moves && listener_) listener_->Grid_LeaveCell();
    row_ = row_sel_ = row;
    col_ = col_sel_ = col;
    if (moves && listener_) listener_->Grid_EnterCell();
}

int Host_Grid::Row() const {
    return row_;
}
void Host_Grid::Row(int r) {
    Move_Current(r, col_);
}
int Host_Grid::Col() const {
    return col_;
}
void Host_Grid::Col(int c) {
    Move_Current(row_, c);
}
int Host_Grid::RowSel() const {
    return row_sel_;
}
void Host_Grid::RowSel(int r) {
    Check_Cell(r, col_);
    row_sel_ = r;
}
int Host_Grid::ColSel() const {
    return col_sel_;
}
void Host_Grid::ColSel(int c) {
    Check_Cell(row_, c);
    col_sel_ = c;
}

int Host_Grid::TopRow() const {
    return top_row_;
}
void Host_Grid::TopRow(int r) {
    if (Rows() < 2) return;
    int clamped = std::clamp(r, 1, Rows() - 1);
    if (clamped == top_row_) return;
    top_row_ = clamped;
    if (listener_) listener_->Grid_Scroll();
    Changed();
}
int Host_Grid::LeftCol() const {
    return left_col_;
}
void Host_Grid::LeftCol(int c) {
    if (cols_ <= fixed_cols_) return;
    int clamped = std::clamp(c, fixed_cols_, cols_ - 1);
    if (clamped == left_col_) return;
    left_col_ = clamped;
    if (listener_) listener_->Grid_Scroll();
    Changed();
}

// --- texts ----------------------------------------------------------------------------

// A text equal to the cell's source drops the source (the cell now shows it): the history
// hears of that too, so putting the old text back also brings the source back.
void Host_Grid::Hear_Text(const Line& line, int row, int col, const std::string& text) {
    hooks_->Text_Writing(row, col, text);
    if (!line.sources) return;
    for (const auto& e : *line.sources)
        if (e.col == col && e.text == text) hooks_->Source_Writing(row, col, text);
}

const std::string& Host_Grid::TextMatrix(int row, int col) const {
    Check_Cell(row, col);
    if (col == 0 && !numbered_.empty()) Materialise_Label(row);
    return cells_[static_cast<size_t>(row)].cells[static_cast<size_t>(col)];
}

void Host_Grid::TextMatrix(int row, int col, std::string text) {
    Check_Cell(row, col);
    if (col == 0) Label_Writing(row);
    Line& line = cells_[static_cast<size_t>(row)];
    if (hooks_) Hear_Text(line, row, col, text);
    line.cells[static_cast<size_t>(col)] = std::move(text);
    if (line.sources) Source_Follows_Text(line, col);
    Changed();
}

void Host_Grid::Restore_Text(int row, int col, std::string text) {
    Check_Cell(row, col);
    if (col == 0) Label_Writing(row);
    cells_[static_cast<size_t>(row)].cells[static_cast<size_t>(col)] = std::move(text);
    Changed();
}

const std::string& Host_Grid::Text() const {
    return TextMatrix(row_, col_);
}

void Host_Grid::Text(const std::string& text) {
    Check_Cell(row_, col_);
    if (fill_style_ == 0) {
        TextMatrix(row_, col_, text);
        return;
    }
    if (std::min(col_, col_sel_) == 0)
        Drop_Numbering(std::min(row_, row_sel_), std::max(row_, row_sel_));
    for (int r = std::min(row_, row_sel_); r <= std::max(row_, row_sel_); ++r)
        for (int c = std::min(col_, col_sel_); c <= std::max(col_, col_sel_); ++c) {
            Line& line = cells_[static_cast<size_t>(r)];
            if (hooks_) Hear_Text(line, r, c, text);
            line.cells[static_cast<size_t>(c)] = text;
            if (line.sources) Source_Follows_Text(line, c);
        }
    Changed();
}

int Host_Grid::FillStyle() const {
    return fill_style_;
}
void Host_Grid::FillStyle(int style) {
    if (style != 0 && style != 1) throw Invalid_Argument("Invalid FillStyle value");
    fill_style_ = style;
}

// --- sizes ----------------------------------------------------------------------------

int Host_Grid::ColWidth(int col) const {
    Check_Cell(0, col);
    return col_width_[static_cast<size_t>(col)];
}
void Host_Grid::ColWidth(int col, int twips) {
    Check_Cell(0, col);
    if (twips < -1) throw Invalid_Argument("Invalid ColWidth value");
    col_width_[static_cast<size_t>(col)] = twips < 0 ? kDefaultColWidth : twips;
    Changed();
}
int Host_Grid::RowHeight(int row) const {
    if (row < 0 || row >= Rows()) throw Subscript_Out_Of_Range();
    return row_height_[static_cast<size_t>(row)];
}
void Host_Grid::RowHeight(int row, int twips) {
    if (row < 0 || row >= Rows()) throw Subscript_Out_Of_Range();
    if (twips < -1) throw Invalid_Argument("Invalid RowHeight value");
    int& height = row_height_[static_cast<size_t>(row)];
    const int wanted = twips < 0 ? kDefaultRowHeight : twips;
    if (wanted == height) return;
    Heights_Changing(row, {wanted});
    total_row_height_ += wanted - height;
    height = wanted;
    Invalidate_Rows_From(row);
    Changed();
}
int Host_Grid::ColAlignment(int col) const {
    Check_Cell(0, col);
    return col_alignment_[static_cast<size_t>(col)];
}
void Host_Grid::ColAlignment(int col, int alignment) {
    Check_Cell(0, col);
    col_alignment_[static_cast<size_t>(col)] = alignment;
    Changed();
}

int Host_Grid::ColPos(int col) const {
    Check_Cell(0, col);
    int x = 0;
    for (int c = 0; c < std::min(col, fixed_cols_); ++c) x += col_width_[static_cast<size_t>(c)];
    if (col < fixed_cols_) return x;
    if (col >= left_col_)
        for (int c = left_col_; c < col; ++c) x += col_width_[static_cast<size_t>(c)];
    else
        for (int c = col; c < left_col_; ++c) x -= col_width_[static_cast<size_t>(c)];
    return x;
}

int Host_Grid::RowPos(int row) const {
    if (row < 0 || row >= Rows()) throw Subscript_Out_Of_Range();
    if (row == 0) return 0;
    const long long y = row_height_[0] + Row_Top(row) - Row_Top(std::max(top_row_, 1));
    return static_cast<int>(std::clamp<long long>(y, INT_MIN, INT_MAX));
}

int Host_Grid::CellLeft() const {
    return ColPos(col_);
}
int Host_Grid::CellTop() const {
    return RowPos(row_);
}
int Host_Grid::CellWidth() const {
    return ColWidth(col_);
}
int Host_Grid::CellHeight() const {
    return RowHeight(row_);
}

int Host_Grid::Next_Shown_Row(int row) const {
    const int rows = Rows();
    row = std::max(row, 0);
    if (row >= rows) return rows;
    // Row offsets never fall; the first row that ends below where `row` starts has a height.
    const long long start = Row_Top(row);
    Row_Top(rows);
    auto shown = std::upper_bound(row_end_.begin() + row, row_end_.begin() + rows, start);
    return static_cast<int>(shown - row_end_.begin());
}

int Host_Grid::Last_Top_Row(long long room) const {
    const int rows = Rows();
    if (rows < 2) return 1;
    const long long target = Row_Top(rows) - std::max(room, 0LL);
    // The least top with Row_Top(top) >= target; row_end_[i] is Row_Top(i + 1).
    auto at = std::lower_bound(row_end_.begin(), row_end_.begin() + rows, target);
    return std::clamp(static_cast<int>(at - row_end_.begin()) + 1, 1, rows - 1);
}

void Host_Grid::Pointer_At(double x, double y) {
    // Fixed parts first, then the scrolled ones; past the last cell the last shown one counts.
    mouse_row_ = 0;
    pointer_on_cell_ = true;
    const int rows = Rows();
    const int top = std::max(top_row_, 1);
    if (rows > 1 && y >= row_height_[0]) {
        // Absolute offset from the top of row 0 as if nothing were scrolled.
        const double target = y - row_height_[0] + static_cast<double>(Row_Top(top));
        if (target >= static_cast<double>(total_row_height_)) {
            pointer_on_cell_ = false;
            Row_Top(rows);
            auto last = std::lower_bound(row_end_.begin() + top, row_end_.begin() + rows,
                                         total_row_height_);
            mouse_row_ = static_cast<int>(last - row_end_.begin());
        } else {
            // Gallop forward from TopRow so the cost follows the distance to the hit, not the
            // grid's size; the answer exists since target lies below the total height.
            int lo = top, hi = top, step = 1;
            while (static_cast<double>(Row_Top(hi + 1)) <= target) {
                lo = hi + 1;
                hi = std::min(rows - 1, hi + step);
                step *= 2;
            }
            auto hit = std::upper_bound(row_end_.begin() + lo, row_end_.begin() + hi + 1, target,
                                        [](double t, long long end) { return t < end; });
            mouse_row_ = static_cast<int>(hit - row_end_.begin());
        }
    }
    mouse_col_ = cols_ > 0 ? cols_ - 1 : 0;
    double left = 0;
    int last_shown = -1;
    auto hit_col = [&](int c) {
        const int width = col_width_[static_cast<size_t>(c)];
        if (width <= 0) return false;
        last_shown = c;
        left += width;
        return x < left;
    };
    for (int c = 0; c < fixed_cols_; ++c)
        if (hit_col(c)) {
            mouse_col_ = c;
            return;
        }
    for (int c = std::max(left_col_, fixed_cols_); c < cols_; ++c)
        if (hit_col(c)) {
            mouse_col_ = c;
            return;
        }
    if (last_shown >= 0) mouse_col_ = last_shown;
    pointer_on_cell_ = false;
}

int Host_Grid::MouseRow() const {
    return mouse_row_;
}
int Host_Grid::MouseCol() const {
    return mouse_col_;
}

// The press moved the current cell; the release only reports the click. Moving again here
// would run the cell handlers twice for one click, and undo where they sent the press.
void Host_Grid::User_Click(double x, double y) {
    Pointer_At(x, y);
    if (listener_) listener_->Grid_Click();
}

void Host_Grid::User_MouseDown(int button, int shift, double x, double y) {
    Pointer_At(x, y);
    // Below the last row or right of the last column there is no cell to move to. Fixed
    // columns right of the row labels are data columns held in view while scrolling: they
    // take clicks like the others.
    if (button == 1 && pointer_on_cell_ && mouse_row_ >= 1 && mouse_col_ >= 1 &&
        mouse_col_ < cols_ && mouse_row_ < Rows())
        Move_Current(mouse_row_, mouse_col_);
    if (listener_) listener_->Grid_MouseDown(button, shift, x, y);
}

void Host_Grid::User_MouseMove(int button, int shift, double x, double y) {
    Pointer_At(x, y);
    if (listener_) listener_->Grid_MouseMove(button, shift, x, y);
}

void Host_Grid::User_DblClick() {
    if (listener_) listener_->Grid_DblClick();
}

std::uint32_t Host_Grid::Window_Style() const {
    long long width = std::accumulate(col_width_.begin(), col_width_.end(), 0LL);
    bool vertical = total_row_height_ > height_;
    bool horizontal = width > width_ - (vertical ? kScrollBarTwips : 0);
    if (!vertical && horizontal) vertical = total_row_height_ > height_ - kScrollBarTwips;
    return (vertical ? Window_Style_Bits::Vertical_Scroll : 0u) |
           (horizontal ? Window_Style_Bits::Horizontal_Scroll : 0u);
}

// --- formats --------------------------------------------------------------------------

std::uint32_t Host_Grid::Intern(const Format& format) {
    auto [it, inserted] =
        format_index_.emplace(format, static_cast<std::uint32_t>(formats_.size()));
    if (inserted) formats_.push_back(format);
    return it->second;
}

std::uint32_t Host_Grid::Intern_Picture(const Picture& picture) {
    if (!picture) return 0;
    auto [it, inserted] =
        picture_index_.emplace(picture.get(), static_cast<std::uint32_t>(pictures_.size() + 1));
    if (inserted) pictures_.push_back(picture);
    return it->second;
}

std::int32_t Host_Grid::Intern_Font_Name(const std::string& name) {
    auto it = std::find(font_names_.begin(), font_names_.end(), name);
    if (it != font_names_.end()) return static_cast<std::int32_t>(it - font_names_.begin());
    font_names_.push_back(name);
    return static_cast<std::int32_t>(font_names_.size() - 1);
}

std::uint32_t Host_Grid::Find_Layout(const std::vector<std::uint32_t>& formats, size_t hash) const {
    if (layout_slots_.empty()) return kNo_Layout;
    const size_t mask = layout_slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::uint32_t id = layout_slots_[i];
        if (id == kNo_Layout) return kNo_Layout;
        if (layouts_[id].hash == hash && layouts_[id].formats == formats) return id;
    }
}

void Host_Grid::Index_Layout(std::uint32_t layout) {
    if ((layouts_indexed_ + 1) * 2 > layout_slots_.size()) {
        std::vector<std::uint32_t> old = std::move(layout_slots_);
        layout_slots_.assign(std::max<size_t>(16, old.size() * 2), kNo_Layout);
        const size_t mask = layout_slots_.size() - 1;
        for (std::uint32_t id : old) {
            if (id == kNo_Layout) continue;
            size_t i = layouts_[id].hash & mask;
            while (layout_slots_[i] != kNo_Layout) i = (i + 1) & mask;
            layout_slots_[i] = id;
        }
    }
    const size_t mask = layout_slots_.size() - 1;
    size_t i = layouts_[layout].hash & mask;
    while (layout_slots_[i] != kNo_Layout) i = (i + 1) & mask;
    layout_slots_[i] = layout;
    ++layouts_indexed_;
}

// Removes by shifting back the entries after it that would otherwise no longer be found.
void Host_Grid::Unindex_Layout(std::uint32_t layout) {
    const size_t mask = layout_slots_.size() - 1;
    size_t i = layouts_[layout].hash & mask;
    while (layout_slots_[i] != layout) i = (i + 1) & mask;
    layout_slots_[i] = kNo_Layout;
    for (size_t j = (i + 1) & mask; layout_slots_[j] != kNo_Layout; j = (j + 1) & mask) {
        const size_t home = layouts_[layout_slots_[j]].hash & mask;
        // The entry at j may move to the hole at i unless its home lies cyclically in (i, j].
        const bool stays = i < j ? (home > i && home <= j) : (home > i || home <= j);
        if (stays) continue;
        layout_slots_[i] = layout_slots_[j];
        layout_slots_[j] = kNo_Layout;
        i = j;
    }
    --layouts_indexed_;
}

std::uint32_t Host_Grid::Intern_Layout(const std::vector<std::uint32_t>& formats) {
    const size_t hash = Hash_Formats(formats);
    if (const std::uint32_t found = Find_Layout(formats, hash); found != kNo_Layout) return found;
    std::uint32_t id;
    if (free_layouts_.empty()) {
        id = static_cast<std::uint32_t>(layouts_.size());
        layouts_.push_back(Layout{formats, hash, 0});
    } else {
        id = free_layouts_.back();
        layouts_[id].formats.assign(formats.begin(), formats.end());
        layouts_[id].hash = hash;
        free_layouts_.pop_back();
    }
    Index_Layout(id);
    dead_layouts_.push_back(id);  // until a row takes it
    return id;
}

void Host_Grid::Set_Layout(Line& line, std::uint32_t layout) {
    if (layout == line.layout) return;
    if (layout != 0) ++layouts_[layout].rows;
    Release_Layout(line.layout);
    line.layout = layout;
}

void Host_Grid::Release_Layout(std::uint32_t layout) {
    if (layout != 0 && --layouts_[layout].rows == 0) dead_layouts_.push_back(layout);
}

void Host_Grid::Collect_Layouts() {
    if (dead_layouts_.empty()) return;
    std::sort(dead_layouts_.begin(), dead_layouts_.end());
    dead_layouts_.erase(std::unique(dead_layouts_.begin(), dead_layouts_.end()),
                        dead_layouts_.end());
    for (std::uint32_t id : dead_layouts_) {
        Layout& layout = layouts_[id];
        if (id == 0 || layout.rows != 0) continue;
        Unindex_Layout(id);
        layout.formats.clear();  // its room serves the next layout made in this slot
        layout.hash = 0;
        free_layouts_.push_back(id);
    }
    dead_layouts_.clear();
}

std::vector<std::uint32_t> Host_Grid::Resize_Layouts(int n) {
    std::vector<Layout> old = std::move(layouts_);
    layouts_.clear();
    layout_slots_.clear();
    layouts_indexed_ = 0;
    free_layouts_.clear();
    dead_layouts_.clear();
    Intern_Layout(std::vector<std::uint32_t>(static_cast<size_t>(n), 0));
    std::vector<std::uint32_t> renumber(old.size(), 0);
    for (size_t id = 1; id < old.size(); ++id) {
        if (old[id].rows == 0) continue;
        auto formats = std::move(old[id].formats);
        formats.resize(static_cast<size_t>(n), 0);
        const std::uint32_t now = Intern_Layout(formats);
        renumber[id] = now;
        if (now != 0) layouts_[now].rows += old[id].rows;
    }
    dead_layouts_.clear();  // every layout left has rows, but layout 0 which is kept anyway
    return renumber;
}

const Host_Grid::Format& Host_Grid::Format_Of(int row, int col) const {
    Check_Cell(row, col);
    return formats_[Formats_Of(cells_[static_cast<size_t>(row)])[static_cast<size_t>(col)]];
}

// Applies an edit to the format of the current cell, or of the selection when FillStyle is 1.
// Cells that shared a format share the edited one, so each distinct format is edited once.
template <class Make>
std::uint32_t Host_Grid::Format_Cache::Get(std::uint32_t old, Make make) {
    const auto end = entries_.begin() + static_cast<std::ptrdiff_t>(used_);
    const auto hit =
        std::find_if(entries_.begin(), end, [&](const auto& e) { return e.first == old; });
    if (hit != end) return hit->second;
    const std::uint32_t made = make();
    entries_[next_] = {old, made};
    next_ = (next_ + 1) % entries_.size();
    used_ = std::min(used_ + 1, entries_.size());
    return made;
}

template <class Edit>
void Host_Grid::Edit_Formats(Edit edit) {
    Check_Cell(row_, col_);
    int r1 = row_, r2 = row_, c1 = col_, c2 = col_;
    if (fill_style_ == 1) {
        r1 = std::min(row_, row_sel_), r2 = std::max(row_, row_sel_);
        c1 = std::min(col_, col_sel_), c2 = std::max(col_, col_sel_);
    }
    Styled_Cells_Changed(r1, r2, c1, c2);
    Format_Cache cache, row_cache;
    std::vector<std::uint32_t>& formats = scratch_formats_;
    for (int r = r1; r <= r2; ++r) {
        Line& line = cells_[static_cast<size_t>(r)];
        const std::uint32_t layout = row_cache.Get(line.layout, [&] {
            formats = Formats_Of(line);
            for (int c = c1; c <= c2; ++c) {
                const std::uint32_t old = formats[static_cast<size_t>(c)];
                formats[static_cast<size_t>(c)] = cache.Get(old, [&] {
                    Format edited = formats_[old];
                    edit(edited);
                    return Intern(edited);
                });
            }
            return Intern_Layout(formats);
        });
        Set_Layout(line, layout);
    }
    Collect_Layouts();
    Changed();
}

namespace {
// Odd and even styles that differ in colours only, both setting them or both not: one banded
// format serves either parity, so the styled cell does not depend on where its row stands.
bool Place_Free(const Host_Grid::Cell_Style& odd, const Host_Grid::Cell_Style& even) {
    return odd.alignment == even.alignment && odd.picture_alignment == even.picture_alignment &&
           odd.bold == even.bold && odd.back.has_value() == even.back.has_value() &&
           odd.fore.has_value() == even.fore.has_value();
}
}  // namespace

void Host_Grid::Style_Rows(int first, int last, int c1, const std::vector<Cell_Style>& odd,
                           const std::vector<Cell_Style>& even, bool number_rows) {
    const auto n = static_cast<int>(std::min(odd.size(), even.size()));
    if (first > last || n == 0) return;
    Check_Cell(first, c1);
    Check_Cell(last, c1 + n - 1);
    std::vector<char> place_free(static_cast<size_t>(n));
    for (size_t k = 0; k < place_free.size(); ++k) place_free[k] = Place_Free(odd[k], even[k]);
    // Per column and parity, as each pair has its own style.
    std::vector<Format_Cache> caches(2 * static_cast<size_t>(n));
    auto restyle = [&](std::uint32_t old, int row, size_t k) {
        const size_t parity = place_free[k] ? 0 : static_cast<size_t>(row % 2);
        return caches[2 * k + parity].Get(old, [&] {
            const Cell_Style& style = (row % 2 ? odd : even)[k];
            Format f = formats_[old];
            if (style.alignment) f.alignment = *style.alignment;
            if (style.picture_alignment) f.picture_alignment = *style.picture_alignment;
            if (place_free[k]) {
                const Cell_Style &o = odd[k], &e = even[k];
                if (o.back) {
                    f.has_back = true, f.back = *o.back, f.back_shown_banded = false;
                    f.back_banded = *o.back != *e.back;
                    f.back_even = f.back_banded ? *e.back : 0;
                }
                if (o.fore) {
                    f.has_fore = true, f.fore = *o.fore;
                    f.fore_banded = *o.fore != *e.fore;
                    f.fore_even = f.fore_banded ? *e.fore : 0;
                }
            } else {
                if (style.back)
                    f.has_back = true, f.back = *style.back,
                    f.back_banded = f.back_shown_banded = false;
                if (style.fore) f.has_fore = true, f.fore = *style.fore, f.fore_banded = false;
                if (!f.back_banded && !f.back_shown_banded) f.back_even = 0;
                if (!f.fore_banded) f.fore_even = 0;
            }
            if (style.bold) f.bold = *style.bold;
            return Intern(f);
        });
    };
    if (number_rows) Number_Rows(first, last);
    if (shown_band_.valid && c1 <= shown_band_.c2 && c1 + n - 1 >= shown_band_.c1)
        shown_band_.valid = false;
    // Columns styled this way before need only the rows they did not cover then.
    bool known = true;
    for (int k = 0; k < n && known; ++k) {
        const Styled_Span& span = styled_[static_cast<size_t>(c1 + k)];
        known = span.valid && span.odd == odd[static_cast<size_t>(k)] &&
                span.even == even[static_cast<size_t>(k)];
    }
    // A row's layout is restyled once per (old layout, parity), not once per cell.
    std::vector<std::uint32_t> formats;
    const bool by_parity = std::find(place_free.begin(), place_free.end(), 0) != place_free.end();
    if (known) {
        // The span ends and holes cut the rows into runs in which the same columns need
        // styling; each run restyles a row's layout once, not once per column.
        std::vector<int> cuts{first, last + 1};
        for (int k = 0; k < n; ++k) {
            const Styled_Span& span = styled_[static_cast<size_t>(c1 + k)];
            cuts.insert(cuts.end(), {span.first, span.last + 1});
            for (int h : span.holes) cuts.insert(cuts.end(), {h, h + 1});
        }
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        std::erase_if(cuts, [&](int r) { return r < first || r > last + 1; });
        std::vector<size_t> ks;
        for (size_t i = 0; i + 1 < cuts.size(); ++i) {
            const int a = cuts[i], b = cuts[i + 1];
            ks.clear();
            bool run_by_parity = false;
            for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
                const Styled_Span& span = styled_[static_cast<size_t>(c1) + k];
                const bool styled =
                    a >= span.first && a <= span.last &&
                    std::find(span.holes.begin(), span.holes.end(), a) == span.holes.end();
                if (styled) continue;
                ks.push_back(k);
                run_by_parity = run_by_parity || !place_free[k];
            }
            if (ks.empty()) continue;
            std::array<Format_Cache, 2> row_caches;
            for (int r = a; r < b; ++r) {
                Line& line = cells_[static_cast<size_t>(r)];
                const size_t parity = run_by_parity ? static_cast<size_t>(r % 2) : 0;
                Set_Layout(line, row_caches[parity].Get(line.layout, [&] {
                    formats = Formats_Of(line);
                    for (size_t k : ks)
                        formats[static_cast<size_t>(c1) + k] =
                            restyle(formats[static_cast<size_t>(c1) + k], r, k);
                    return Intern_Layout(formats);
                }));
            }
        }
    } else {
        std::array<Format_Cache, 2> row_caches;
        for (int r = first; r <= last; ++r) {
            Line& line = cells_[static_cast<size_t>(r)];
            const size_t parity = by_parity ? static_cast<size_t>(r % 2) : 0;
            Set_Layout(line, row_caches[parity].Get(line.layout, [&] {
                formats = Formats_Of(line);
                for (size_t k = 0; k < static_cast<size_t>(n); ++k)
                    formats[static_cast<size_t>(c1) + k] =
                        restyle(formats[static_cast<size_t>(c1) + k], r, k);
                return Intern_Layout(formats);
            }));
        }
    }
    Collect_Layouts();
    for (int k = 0; k < n; ++k) {
        Styled_Span& span = styled_[static_cast<size_t>(c1 + k)];
        if (!place_free[static_cast<size_t>(k)]) {
            span = Styled_Span{};
            continue;
        }
        const bool joins = span.valid && span.odd == odd[static_cast<size_t>(k)] &&
                           span.even == even[static_cast<size_t>(k)] && first <= span.last + 1 &&
                           span.first <= last + 1;
        if (joins) {
            std::erase_if(span.holes, [&](int h) { return h >= first && h <= last; });
            span.first = std::min(span.first, first);
            span.last = std::max(span.last, last);
        } else {
            span = Styled_Span{
                true, first, last, odd[static_cast<size_t>(k)], even[static_cast<size_t>(k)], {}};
        }
    }
    Changed();
}

// A span can follow a few changed rows as holes; past that it is dropped.
void Host_Grid::Styled_Cells_Changed(int r1, int r2, int c1, int c2) {
    constexpr size_t kMaxHoles = 16;
    if (shown_band_.valid && c1 <= shown_band_.c2 && c2 >= shown_band_.c1 && r1 <= r2)
        shown_band_.valid = false;
    for (int c = std::max(c1, 0); c <= c2 && c < static_cast<int>(styled_.size()); ++c) {
        Styled_Span& span = styled_[static_cast<size_t>(c)];
        if (!span.valid) continue;
        const int a = std::max(r1, span.first), b = std::min(r2, span.last);
        if (a > b) continue;
        if (span.holes.size() + static_cast<size_t>(b - a + 1) > kMaxHoles) {
            span = Styled_Span{};
            continue;
        }
        for (int r = a; r <= b; ++r)
            if (std::find(span.holes.begin(), span.holes.end(), r) == span.holes.end())
                span.holes.push_back(r);
    }
}

void Host_Grid::Styled_Rows_Inserted(int index) {
    for (auto& span : styled_) {
        if (!span.valid || index > span.last) continue;
        for (int& h : span.holes)
            if (h >= index) ++h;
        if (index <= span.first) {
            ++span.first, ++span.last;
        } else {
            ++span.last;
            span.holes.push_back(index);  // the new row has no style yet
            if (span.holes.size() > 16) span = Styled_Span{};
        }
    }
}

void Host_Grid::Styled_Rows_Removed(int index) {
    for (auto& span : styled_) {
        if (!span.valid || index > span.last) continue;
        std::erase(span.holes, index);
        for (int& h : span.holes)
            if (h > index) --h;
        if (index < span.first) --span.first;
        --span.last;
    }
}

// Rows that trade places among themselves keep a span true when all of them are in it.
void Host_Grid::Styled_Rows_Permuted(int first, int last) {
    for (auto& span : styled_) {
        if (!span.valid || last < span.first || first > span.last) continue;
        const bool inside = first >= span.first && last <= span.last &&
                            std::none_of(span.holes.begin(), span.holes.end(),
                                         [&](int h) { return h >= first && h <= last; });
        if (!inside) span = Styled_Span{};
    }
}

int Host_Grid::CellAlignment() const {
    return Format_Of(row_, col_).alignment;
}
void Host_Grid::CellAlignment(int alignment) {
    Edit_Formats([&](Format& f) { f.alignment = alignment; });
}
int Host_Grid::CellPictureAlignment() const {
    return Format_Of(row_, col_).picture_alignment;
}
void Host_Grid::CellPictureAlignment(int alignment) {
    Edit_Formats([&](Format& f) { f.picture_alignment = alignment; });
}
Picture Host_Grid::CellPicture() const {
    auto index = Format_Of(row_, col_).picture;
    return index ? pictures_[index - 1] : nullptr;
}
void Host_Grid::CellPicture(Picture picture) {
    std::uint32_t index = Intern_Picture(picture);
    Edit_Formats([&](Format& f) { f.picture = index; });
}
Color Host_Grid::CellBackColor() const {
    return Look(row_, col_).back;
}
void Host_Grid::CellBackColor(Color color) {
    Edit_Formats([&](Format& f) {
        f.has_back = true, f.back = color;
        f.back_banded = f.back_shown_banded = false, f.back_even = 0;
    });
}
Color Host_Grid::CellForeColor() const {
    return Look(row_, col_).fore;
}
void Host_Grid::CellForeColor(Color color) {
    Edit_Formats([&](Format& f) {
        f.has_fore = true, f.fore = color;
        f.fore_banded = false, f.fore_even = 0;
    });
}
std::string Host_Grid::CellFontName() const {
    return Look(row_, col_).font.name;
}
void Host_Grid::CellFontName(const std::string& name) {
    std::int32_t index = Intern_Font_Name(name);
    Edit_Formats([&](Format& f) { f.font_name = index; });
}
double Host_Grid::CellFontSize() const {
    return Look(row_, col_).font.size;
}
void Host_Grid::CellFontSize(double size) {
    if (!(size > 0 && size < 2048)) throw Invalid_Argument("Invalid font size");
    Edit_Formats([&](Format& f) { f.font_size = size; });
}
bool Host_Grid::CellFontBold() const {
    return Look(row_, col_).font.bold;
}
void Host_Grid::CellFontBold(bool on) {
    Edit_Formats([&](Format& f) { f.bold = on; });
}
bool Host_Grid::CellFontItalic() const {
    return Look(row_, col_).font.italic;
}
void Host_Grid::CellFontItalic(bool on) {
    Edit_Formats([&](Format& f) { f.italic = on; });
}
bool Host_Grid::CellFontUnderline() const {
    return Look(row_, col_).font.underline;
}
void Host_Grid::CellFontUnderline(bool on) {
    Edit_Formats([&](Format& f) { f.underline = on; });
}
bool Host_Grid::CellFontStrikeThrough() const {
    return Look(row_, col_).font.strikethrough;
}
void Host_Grid::CellFontStrikeThrough(bool on) {
    Edit_Formats([&](Format& f) { f.strikethrough = on; });
}

Color Host_Grid::Back_Look(int row, int col) const {
    const Format& f = Format_Of(row, col);
    if (f.has_back && f.back_shown_banded)
        return Shown_Ordinal(row) % 2 == 1 ? f.back : f.back_even;
    return !f.has_back                     ? Is_Fixed(row, col) ? back_color_fixed_ : back_color_
           : f.back_banded && row % 2 == 0 ? f.back_even
                                           : f.back;
}

Host_Grid::Cell_Look Host_Grid::Look(int row, int col) const {
    const Format& f = Format_Of(row, col);
    Cell_Look look;
    const bool even = row % 2 == 0;
    look.back = Back_Look(row, col);
    look.fore = !f.has_fore ? fore_color_ : f.fore_banded && even ? f.fore_even : f.fore;
    look.font = font_;
    if (f.font_name >= 0) look.font.name = font_names_[static_cast<size_t>(f.font_name)];
    if (f.font_size > 0) look.font.size = f.font_size;
    if (f.bold >= 0) look.font.bold = f.bold;
    if (f.italic >= 0) look.font.italic = f.italic;
    if (f.underline >= 0) look.font.underline = f.underline;
    if (f.strikethrough >= 0) look.font.strikethrough = f.strikethrough;
    look.alignment =
        f.alignment != Align::General ? f.alignment : col_alignment_[static_cast<size_t>(col)];
    if (look.alignment == Align::General)
        look.alignment = Parse_Number(TextMatrix(row, col)) ? Align::Right : Align::Left;
    look.picture = f.picture ? pictures_[f.picture - 1] : nullptr;
    look.picture_alignment = f.picture_alignment;
    return look;
}

// --- rows -----------------------------------------------------------------------------

void Host_Grid::Sort(int kind, bool renumbering) {
    if (kind < Sort_Kind::Generic_Ascending || kind > Sort_Kind::Numeric_Descending) return;
    Check_Cell(row_, col_);
    const int first = std::max(1, std::min(row_, row_sel_));
    const int last = std::max(row_, row_sel_);
    if (last <= first) return;
    if (col_ == 0) Drop_Numbering(first, last);  // the keys are the labels themselves
    const bool numeric = kind >= Sort_Kind::Numeric_Ascending;
    const bool descending =
        kind == Sort_Kind::Generic_Descending || kind == Sort_Kind::Numeric_Descending;
    std::vector<int> from =
        numeric ? Numeric_Order(first, last, descending) : Generic_Order(first, last, descending);
    if (from.empty()) return;  // already in order
    // Labels numbered top to bottom read the same once renumbered: they need not travel.
    const bool labels_stay = renumbering && col_ != 0 && Numbered_Through(first, last);
    Move_Rows(first, from, labels_stay);
    if (hooks_) hooks_->Rows_Permuted(first, from, labels_stay);
    Changed();
}

namespace {
// The rows in their new order, or nothing for rows already in it. A column in strictly
// reverse order (sorted again the other way) is reversed, which keeps the stable result.
template <class Key, class Less>
std::vector<int> Order_Of(std::vector<Key>& keys, Less less, auto sort) {
    auto out_of_order = [&](const Key& a, const Key& b) { return less(b, a); };
    if (std::adjacent_find(keys.begin(), keys.end(), out_of_order) == keys.end()) return {};
    auto not_reversed = [&](const Key& a, const Key& b) { return !less(b, a); };
    if (std::adjacent_find(keys.begin(), keys.end(), not_reversed) == keys.end())
        std::reverse(keys.begin(), keys.end());
    else
        sort(keys, less);
    std::vector<int> from;
    from.reserve(keys.size());
    for (const Key& k : keys) from.push_back(k.row);
    return from;
}
}  // namespace

// Every key a number (texts that are not count as 0): a strict order on plain pairs.
// The numbers as unsigned codes in the same order (descending: the reverse), ordered by a
// stable radix sort: a few linear passes where a comparison sort takes log n.
std::vector<int> Host_Grid::Numeric_Order(int first, int last, bool descending) const {
    struct Key {
        std::uint64_t code;
        int row;
    };
    auto code_of = [descending](double number) {
        if (number == 0) number = 0;  // -0 is 0
        const auto bits = std::bit_cast<std::uint64_t>(number);
        const std::uint64_t code = bits >> 63 ? ~bits : bits | std::uint64_t{1} << 63;
        return descending ? ~code : code;
    };
    const auto col = static_cast<size_t>(col_);
    std::vector<Key> keys(static_cast<size_t>(last - first + 1));
    for (int r = first; r <= last; ++r)
        keys[static_cast<size_t>(r - first)] = {
            code_of(Parse_Number(cells_[static_cast<size_t>(r)].cells[col]).value_or(0)), r};
    auto less = [](const Key& a, const Key& b) { return a.code < b.code; };
    return Order_Of(keys, less, [](std::vector<Key>& k, auto) {
        std::vector<Key> buffer(k.size());
        for (int shift = 0; shift < 64; shift += 8) {
            std::array<size_t, 256> start{};
            for (const Key& key : k) ++start[(key.code >> shift) & 0xFF];
            // A byte every key shares orders nothing.
            if (std::find(start.begin(), start.end(), k.size()) != start.end()) continue;
            std::exclusive_scan(start.begin(), start.end(), start.begin(), size_t{0});
            for (const Key& key : k) buffer[start[(key.code >> shift) & 0xFF]++] = key;
            k.swap(buffer);
        }
    });
}

std::vector<int> Host_Grid::Generic_Order(int first, int last, bool descending) const {
    const auto col = static_cast<size_t>(col_);
    // The first eight folded characters, big-endian, decide most text comparisons without
    // reaching the cell, which lives in its row's own block of memory.
    struct Key {
        const std::string* text;
        double number;
        std::uint64_t prefix;
        int row;
        bool is_number;
    };
    // Two passes: the first is a short loop that copies each cell's first bytes, so the cache
    // misses of many rows overlap; the second folds case and reads numbers from cached cells.
    std::vector<Key> keys(static_cast<size_t>(last - first + 1));
    for (int r = first; r <= last; ++r) {
        const std::string& text = cells_[static_cast<size_t>(r)].cells[col];
        Key& k = keys[static_cast<size_t>(r - first)];
        k.text = &text;
        k.row = r;
        std::uint64_t raw = 0;
        const size_t n = std::min<size_t>(8, text.size());
        for (size_t i = 0; i < n; ++i)
            raw |= std::uint64_t{static_cast<unsigned char>(text[i])} << (56 - 8 * i);
        k.prefix = raw;
    }
    for (Key& k : keys) {
        std::uint64_t folded = 0;
        for (int shift = 56; shift >= 0; shift -= 8)
            folded |= std::uint64_t{Ascii_Lower(static_cast<unsigned char>(k.prefix >> shift))}
                      << shift;
        // Numbers start with a digit, a sign, a point or a blank; others need no parse.
        const auto lead = static_cast<unsigned char>(k.prefix >> 56);
        k.prefix = folded;
        const bool may_be_number = std::isdigit(lead) || lead == '+' || lead == '-' ||
                                   lead == '.' || lead == ' ' || lead == '\t';
        const auto n = may_be_number ? Parse_Number(*k.text) : std::nullopt;
        k.number = n.value_or(0);
        k.is_number = n.has_value();
    }
    // Numbers compare as numbers, everything else as text.
    auto less = [descending](const Key& a, const Key& b) {
        int order;
        if (a.is_number && b.is_number)
            order = a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
        else if (a.prefix != b.prefix)
            order = a.prefix < b.prefix ? -1 : 1;
        else
            order = Compare_Text_Case_Insensitive(*a.text, *b.text);
        return descending ? order > 0 : order < 0;
    };
    return Order_Of(keys, less, [](std::vector<Key>& k, auto by) { Stable_Merge_Sort(k, by); });
}

bool Host_Grid::Numbered_Through(int first, int last) const {
    const Numbered* run = Numbering_Of(first);
    return run && run->offset == 0 && run->last >= last;
}

void Host_Grid::Move_Rows(int first, const std::vector<int>& from, bool labels_stay) {
    const size_t n = from.size();
    // Labels that stay and are not numbered are put back in place after the rows moved.
    const bool numbered = labels_stay && Numbered_Through(first, static_cast<int>(first + n) - 1);
    std::vector<std::string> labels;
    if (!labels_stay) {
        Drop_Numbering(first, static_cast<int>(first + n) - 1);  // labels go with their rows
    } else if (!numbered && cols_ > 0) {
        labels.reserve(n);
        for (size_t i = 0; i < n; ++i)
            labels.push_back(std::move(cells_[static_cast<size_t>(first) + i].cells[0]));
    }
    std::vector<Line> moved(n);  // each record carries its sources
    std::vector<int> heights(n);
    for (size_t i = 0; i < n; ++i) {
        const auto r = static_cast<size_t>(from[i]);
        moved[i] = std::move(cells_[r]);
        heights[i] = row_height_[r];
    }
    for (size_t i = 0; i < n; ++i) {
        cells_[static_cast<size_t>(first) + i] = std::move(moved[i]);
        row_height_[static_cast<size_t>(first) + i] = heights[i];
        if (!labels.empty()) cells_[static_cast<size_t>(first) + i].cells[0] = std::move(labels[i]);
    }
    Invalidate_Rows_From(first);
    Styled_Rows_Permuted(first, static_cast<int>(first + n - 1));
}

void Host_Grid::Permute_Rows(int first, const std::vector<int>& from, bool labels_stay) {
    const auto n = from.size();
    if (first < 1 || static_cast<size_t>(first) + n > cells_.size()) throw Subscript_Out_Of_Range();
    for (size_t i = 0; i < n; ++i) {
        const auto r = static_cast<size_t>(from[i]);
        if (r < static_cast<size_t>(first) || r >= static_cast<size_t>(first) + n)
            throw Subscript_Out_Of_Range();
    }
    Move_Rows(first, from, labels_stay);
    if (hooks_) hooks_->Rows_Permuted(first, from, labels_stay);
    Changed();
}

void Host_Grid::Row_Heights(int first, const std::vector<int>& heights) {
    if (heights.empty()) return;
    const auto n = static_cast<int>(heights.size());
    if (first < 0 || first + n > Rows()) throw Subscript_Out_Of_Range();
    for (int h : heights)
        if (h < -1) throw Invalid_Argument("Invalid RowHeight value");
    Heights_Changing(first, heights);
    long long total = total_row_height_;
    for (int i = 0; i < n; ++i) {
        int& height = row_height_[static_cast<size_t>(first + i)];
        const int wanted = heights[static_cast<size_t>(i)] < 0 ? kDefaultRowHeight
                                                               : heights[static_cast<size_t>(i)];
        total += wanted - height;
        height = wanted;
    }
    total_row_height_ = total;
    Invalidate_Rows_From(first);
    Changed();
}

void Host_Grid::Band_Shown_Rows(int first, int c1, int c2, Color odd, Color even) {
    if (first >= Rows() || c1 > c2) return;
    Check_Cell(first, c1);
    Check_Cell(first, c2);
    const Shown_Band wanted{true, c1, c2, odd, even};
    const bool same = shown_band_.valid && shown_band_.c1 == c1 && shown_band_.c2 == c2 &&
                      shown_band_.odd == odd && shown_band_.even == even;
    if (first == 1 && same) {
        Changed();
        return;
    }
    // From row 1 the banded look is kept as such and resolved by where a row shows; from
    // elsewhere each row takes its colour.
    const bool lazy = first == 1;
    Styled_Cells_Changed(first, Rows() - 1, c1, c2);
    Format_Cache odd_cache, even_cache, odd_rows, even_rows;
    auto paint = [&](std::uint32_t old, Color color, Format_Cache& cache) {
        return cache.Get(old, [&] {
            Format f = formats_[old];
            f.has_back = true, f.back = lazy ? odd : color;
            f.back_banded = false;
            f.back_shown_banded = lazy;
            f.back_even = lazy ? even : 0;
            return Intern(f);
        });
    };
    std::vector<std::uint32_t> formats;
    bool next_odd = true;
    for (size_t r = static_cast<size_t>(first); r < cells_.size(); ++r) {
        if (row_height_[r] < 1) continue;
        Line& line = cells_[r];
        const bool as_odd = next_odd || lazy;
        Set_Layout(line, (as_odd ? odd_rows : even_rows).Get(line.layout, [&] {
            formats = Formats_Of(line);
            for (int c = c1; c <= c2; ++c) {
                auto& format = formats[static_cast<size_t>(c)];
                format = as_odd ? paint(format, odd, odd_cache) : paint(format, even, even_cache);
            }
            return Intern_Layout(formats);
        }));
        next_odd = !next_odd;
    }
    Collect_Layouts();
    if (lazy) shown_band_ = wanted, any_shown_banded_ = true;
    Changed();
}

int Host_Grid::Shown_Ordinal(int row) const {
    if (row < 1) return 0;
    if (shown_end_.size() < row_height_.size()) shown_end_.resize(row_height_.size());
    for (; shown_end_valid_ <= static_cast<size_t>(row); ++shown_end_valid_) {
        const size_t i = shown_end_valid_;
        shown_end_[i] = (i ? shown_end_[i - 1] : 0) + (i >= 1 && row_height_[i] >= 1 ? 1 : 0);
    }
    return shown_end_[static_cast<size_t>(row)];
}

// A row that stops showing keeps the colour it showed with.
void Host_Grid::Freeze_Band(int row, int ordinal) {
    Line& line = cells_[static_cast<size_t>(row)];
    std::vector<std::uint32_t> formats = Formats_Of(line);
    bool changed = false;
    for (auto& index : formats) {
        const Format& f = formats_[index];
        if (!f.back_shown_banded) continue;
        Format frozen = f;
        frozen.back = ordinal % 2 == 1 ? f.back : f.back_even;
        frozen.back_shown_banded = false, frozen.back_even = 0;
        index = Intern(frozen);
        changed = true;
    }
    if (changed) Set_Layout(line, Intern_Layout(formats));
}

void Host_Grid::Heights_Changing(int first, const std::vector<int>& heights) {
    int ordinal = any_shown_banded_ ? Shown_Ordinal(first - 1) : 0;
    for (size_t i = 0; i < heights.size(); ++i) {
        const int row = first + static_cast<int>(i);
        const bool was_shown = row_height_[static_cast<size_t>(row)] >= 1;
        const int h = heights[i] < 0 ? kDefaultRowHeight : heights[i];
        if (!was_shown && h >= 1 && row >= 1) shown_band_.valid = false;
        if (row < 1 || !was_shown) continue;
        ++ordinal;
        if (h < 1 && any_shown_banded_) Freeze_Band(row, ordinal);
    }
    Collect_Layouts();
}

void Host_Grid::AddItem(std::string_view text, int index) {
    if (index < 0)
        index = Rows();
    else if (index < 1 || index > Rows())
        throw Subscript_Out_Of_Range();
    Line line = New_Row();
    size_t start = 0;
    for (size_t c = 0; c < line.cells.size(); ++c) {
        size_t tab = text.find('\t', start);
        line.cells[c] = std::string(
            text.substr(start, tab == std::string_view::npos ? text.npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    cells_.insert(cells_.begin() + index, std::move(line));
    row_height_.insert(row_height_.begin() + index, kDefaultRowHeight);
    total_row_height_ += kDefaultRowHeight;
    Styled_Rows_Inserted(index);
    Numbered_Rows_Inserted(index);
    shown_band_.valid = false;  // the new row shows unbanded
    Invalidate_Rows_From(index);
    if (hooks_) hooks_->Row_Inserted(index);
    Changed();
}

void Host_Grid::RemoveItem(int index) {
    if (index < 1 || index >= Rows()) throw Subscript_Out_Of_Range();
    if (hooks_) hooks_->Row_Removing(index);
    Release_Layout(cells_[static_cast<size_t>(index)].layout);
    cells_.erase(cells_.begin() + index);
    Collect_Layouts();
    total_row_height_ -= row_height_[static_cast<size_t>(index)];
    row_height_.erase(row_height_.begin() + index);
    Styled_Rows_Removed(index);
    Numbered_Rows_Removed(index);
    Invalidate_Rows_From(index);
    Clamp_Positions();
    Changed();
}

void Host_Grid::Clear() {
    if (hooks_) hooks_->Shape_Changing();
    numbered_.clear();
    for (auto& line : cells_) {
        for (auto& text : line.cells) text.clear();
        line.sources.reset();
    }
    Changed();
}

// --- row labels ------------------------------------------------------------------------

const Host_Grid::Numbered* Host_Grid::Numbering_Of(int row) const {
    auto after = std::upper_bound(numbered_.begin(), numbered_.end(), row,
                                  [](int r, const Numbered& n) { return r < n.first; });
    if (after == numbered_.begin()) return nullptr;
    const Numbered& run = *(after - 1);
    return row <= run.last ? &run : nullptr;
}

// Reading a label writes it; the text a row holds is only stale while nobody looks.
void Host_Grid::Materialise_Label(int row) const {
    const Numbered* run = Numbering_Of(row);
    if (!run) return;
    std::string number = std::to_string(row + run->offset);
    auto& text = const_cast<Line&>(cells_[static_cast<size_t>(row)]).cells[0];
    if (text != number) text = std::move(number);
}

void Host_Grid::Drop_Numbering(int first, int last) {
    if (numbered_.empty() || cols_ == 0) return;
    for (const Numbered& run : numbered_)
        for (int r = std::max(first, run.first); r <= std::min(last, run.last); ++r)
            Materialise_Label(r);
    Cut_Numbering(first, last);
}

void Host_Grid::Cut_Numbering(int first, int last) {
    if (numbered_.empty() || first > last) return;
    std::vector<Numbered> kept;
    kept.reserve(numbered_.size() + 1);
    for (const Numbered& run : numbered_) {
        if (run.last < first || run.first > last) {
            kept.push_back(run);
            continue;
        }
        if (run.first < first) kept.push_back({run.first, first - 1, run.offset});
        if (run.last > last) kept.push_back({last + 1, run.last, run.offset});
    }
    numbered_ = std::move(kept);
}

// A run is written out whole, so labels written one by one cost one pass, not one split each.
void Host_Grid::Label_Writing(int row) {
    if (const Numbered* run = Numbering_Of(row)) Drop_Numbering(run->first, run->last);
}

void Host_Grid::Number_Rows(int first, int last) {
    // Only a renumbering that changes a label is heard of.
    bool changes = false;
    int next = first;  // the first row not yet looked at
    for (const Numbered& run : numbered_) {
        if (run.last < first) continue;
        if (run.first > last || changes) break;
        for (int r = next; r < std::min(run.first, last + 1) && !changes; ++r)
            changes = cells_[static_cast<size_t>(r)].cells[0] != std::to_string(r);
        changes = changes || run.offset != 0;
        next = run.last + 1;
    }
    for (int r = next; r <= last && !changes; ++r)
        changes = cells_[static_cast<size_t>(r)].cells[0] != std::to_string(r);
    if (!changes) return;
    if (hooks_) hooks_->Rows_Renumbering(first, last);
    Cut_Numbering(first, last);
    auto at = std::lower_bound(numbered_.begin(), numbered_.end(), first,
                               [](const Numbered& n, int r) { return n.first < r; });
    at = numbered_.insert(at, Numbered{first, last, 0});
    // Joins neighbours numbered the same way, so runs do not pile up.
    if (at + 1 != numbered_.end() && (at + 1)->offset == 0 && (at + 1)->first == last + 1) {
        at->last = (at + 1)->last;
        numbered_.erase(at + 1);
    }
    if (at != numbered_.begin() && (at - 1)->offset == 0 && (at - 1)->last == first - 1) {
        (at - 1)->last = at->last;
        numbered_.erase(at);
    }
}

void Host_Grid::Numbered_Rows_Inserted(int index) {
    std::vector<Numbered> moved;
    moved.reserve(numbered_.size() + 1);
    for (const Numbered& run : numbered_) {
        if (run.last < index) {
            moved.push_back(run);
        } else if (run.first >= index) {
            moved.push_back({run.first + 1, run.last + 1, run.offset - 1});
        } else {
            moved.push_back({run.first, index - 1, run.offset});
            moved.push_back({index + 1, run.last + 1, run.offset - 1});
        }
    }
    numbered_ = std::move(moved);
}

void Host_Grid::Numbered_Rows_Removed(int index) {
    std::vector<Numbered> moved;
    moved.reserve(numbered_.size() + 1);
    for (const Numbered& run : numbered_) {
        if (run.last < index) {
            moved.push_back(run);
        } else if (run.first > index) {
            moved.push_back({run.first - 1, run.last - 1, run.offset + 1});
        } else {
            if (run.first < index) moved.push_back({run.first, index - 1, run.offset});
            if (run.last > index) moved.push_back({index, run.last - 1, run.offset + 1});
        }
    }
    numbered_ = std::move(moved);
}

Host_Grid::Label_State Host_Grid::Labels(int first, int last) const {
    Label_State state;
    last = std::min(last, Rows() - 1);
    if (cols_ == 0 || first > last) return state;
    int next = first;
    // Empty labels (rows made by Rows(n) have none) are not kept: Restore_Labels empties
    // every label of the range it does not give a text or a run.
    auto texts_until = [&](int end) {
        for (; next < end; ++next)
            if (const std::string& text = cells_[static_cast<size_t>(next)].cells[0]; !text.empty())
                state.texts.emplace_back(next, text);
    };
    for (const Numbered& run : numbered_) {
        if (run.last < first) continue;
        if (run.first > last) break;
        texts_until(std::max(run.first, first));
        state.runs.push_back({std::max(run.first, first), std::min(run.last, last), run.offset});
        next = std::min(run.last, last) + 1;
    }
    texts_until(last + 1);
    return state;
}

void Host_Grid::Restore_Labels(int first, int last, Label_State state) {
    if (cols_ == 0) return;
    Cut_Numbering(first, last);
    for (int r = std::max(first, 0); r <= std::min(last, Rows() - 1); ++r)
        cells_[static_cast<size_t>(r)].cells[0].clear();
    for (auto& [row, text] : state.texts)
        if (row >= 0 && row < Rows()) cells_[static_cast<size_t>(row)].cells[0] = std::move(text);
    for (const Numbered& run : state.runs) {
        const Numbered clipped{run.first, std::min(run.last, Rows() - 1), run.offset};
        if (clipped.first > clipped.last) continue;
        auto at = std::lower_bound(numbered_.begin(), numbered_.end(), clipped.first,
                                   [](const Numbered& n, int r) { return n.first < r; });
        numbered_.insert(at, clipped);
    }
    Changed();
}

// --- formula sources -------------------------------------------------------------------

void Host_Grid::Source_Follows_Text(Line& line, int col) {
    auto& sources = *line.sources;
    const std::string& text = line.cells[static_cast<size_t>(col)];
    std::erase_if(sources, [&](const Source_Entry& e) { return e.col == col && e.text == text; });
    if (sources.empty()) line.sources.reset();
}

const std::string* Host_Grid::Source(int row, int col) const {
    Check_Cell(row, col);
    const Line& line = cells_[static_cast<size_t>(row)];
    if (!line.sources) return nullptr;
    for (const auto& e : *line.sources)
        if (e.col == col) return &e.text;
    return nullptr;
}

void Host_Grid::Set_Source(int row, int col, std::string text) {
    Check_Cell(row, col);
    Line& line = cells_[static_cast<size_t>(row)];
    if (!line.sources) line.sources = std::make_unique<std::vector<Source_Entry>>();
    for (auto& e : *line.sources)
        if (e.col == col) {
            e.text = std::move(text);
            return;
        }
    line.sources->push_back(Source_Entry{col, std::move(text)});
}

void Host_Grid::Erase_Source(int row, int col) {
    Check_Cell(row, col);
    Line& line = cells_[static_cast<size_t>(row)];
    if (!line.sources) return;
    std::erase_if(*line.sources, [col](const Source_Entry& e) { return e.col == col; });
    if (line.sources->empty()) line.sources.reset();
}

void Host_Grid::Erase_Sources_Outside(int last_row, int last_col) {
    for (size_t r = 0; r < cells_.size(); ++r) {
        Line& line = cells_[r];
        if (!line.sources) continue;
        if (static_cast<int>(r) > last_row)
            line.sources.reset();
        else
            std::erase_if(*line.sources,
                          [last_col](const Source_Entry& e) { return e.col > last_col; });
        if (line.sources && line.sources->empty()) line.sources.reset();
    }
}

size_t Host_Grid::Source_Count() const {
    size_t n = 0;
    for (const auto& line : cells_)
        if (line.sources) n += line.sources->size();
    return n;
}

size_t Host_Grid::Memory_Bytes() const {
    size_t bytes = cells_.capacity() * sizeof(Line);
    for (const auto& line : cells_) {
        bytes += line.cells.capacity() * sizeof(std::string);
        for (const auto& text : line.cells)
            if (text.capacity() > std::string().capacity()) bytes += text.capacity() + 1;
        if (line.sources)
            for (const auto& e : *line.sources) bytes += sizeof(Source_Entry) + e.text.capacity();
    }
    bytes += formats_.capacity() * sizeof(Format) + format_index_.size() * (sizeof(Format) + 32);
    bytes += layouts_.capacity() * sizeof(Layout) +
             layout_slots_.capacity() * sizeof(std::uint32_t) +
             (free_layouts_.capacity() + dead_layouts_.capacity() + scratch_formats_.capacity()) *
                 sizeof(std::uint32_t);
    for (const auto& layout : layouts_) bytes += layout.formats.capacity() * sizeof(std::uint32_t);
    bytes +=
        (row_height_.capacity() + col_width_.capacity() + col_alignment_.capacity()) * sizeof(int);
    bytes += row_end_.capacity() * sizeof(long long);
    bytes += shown_end_.capacity() * sizeof(int) + numbered_.capacity() * sizeof(Numbered);
    bytes += pictures_.capacity() * sizeof(Picture) + picture_index_.size() * 32;
    for (const auto& name : font_names_) bytes += sizeof(std::string) + name.capacity();
    return bytes;
}

// --- Bulk loading (file exchange) ---------------------------------------------------------

void Host_Grid::Put_Text(int row, int col, std::string text) {
    Check_Cell(row, col);
    if (col == 0) Label_Writing(row);
    Line& line = cells_[static_cast<size_t>(row)];
    line.cells[static_cast<size_t>(col)] = std::move(text);
    if (line.sources) Source_Follows_Text(line, col);
}

void Host_Grid::Rows_All_Or_Nothing(int n) {
    const size_t old = cells_.size();
    if (n < 0 || static_cast<size_t>(n) <= old) {
        Rows(n);
        return;
    }
    // Everything that can fail happens before the first row is added, or is undone.
    cells_.reserve(static_cast<size_t>(n));
    row_height_.reserve(static_cast<size_t>(n));
    try {
        while (cells_.size() < static_cast<size_t>(n)) cells_.push_back(New_Row());
    } catch (...) {
        cells_.resize(old);
        throw;
    }
    row_height_.resize(static_cast<size_t>(n), kDefaultRowHeight);  // reserved: cannot fail
    shown_band_.valid = false;
    total_row_height_ += static_cast<long long>(static_cast<size_t>(n) - old) * kDefaultRowHeight;
    Invalidate_Rows_From(static_cast<int>(old));
    Clamp_Positions();
    Changed();
}

}  // namespace vekgrid
