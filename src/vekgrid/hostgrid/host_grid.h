#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vekgrid/common/change_hooks.h"
#include "vekgrid/common/types.h"
#include "vekgrid/export.h"

namespace vekgrid {

// What the grid tells its owner. Cell leave and enter are raised synchronously from the
// setters of Row, Col and the selection, before the setter returns.
class VEKGRID_EXPORT Grid_Listener {
  public:
    virtual ~Grid_Listener() = default;
    virtual void Grid_LeaveCell() {}
    virtual void Grid_EnterCell() {}
    virtual void Grid_Click() {}
    virtual void Grid_DblClick() {}
    virtual void Grid_MouseDown(int /*button*/, int /*shift*/, double /*x*/, double /*y*/) {}
    virtual void Grid_MouseMove(int /*button*/, int /*shift*/, double /*x*/, double /*y*/) {}
    virtual void Grid_Scroll() {}
    // Content, format or geometry changed; a view repaints.
    virtual void Grid_Changed() {}
};

// Sort kinds of Sort.
namespace Sort_Kind {
constexpr int Generic_Ascending = 1;
constexpr int Generic_Descending = 2;
constexpr int Numeric_Ascending = 3;
constexpr int Numeric_Descending = 4;
}  // namespace Sort_Kind

// Window style bits reported by Window_Style().
namespace Window_Style_Bits {
constexpr std::uint32_t Vertical_Scroll = 0x00200000;    // bit 21
constexpr std::uint32_t Horizontal_Scroll = 0x00100000;  // bit 20
}  // namespace Window_Style_Bits

// The grid model behind the control: cell texts, sizes, formats, the current cell and the
// selection. Row 0 is the fixed header row; FixedCols columns on the left are fixed.
// Indices out of range throw Subscript_Out_Of_Range.
//
// Storage: one text per cell; formats are interned, and so is each row's list of them (its
// layout), so a million cells whose rows look alike cost little more than their texts. Beside
// the texts each row record keeps the formula sources of its cells (only where a source
// differs from what the cell shows), so inserting, removing or sorting rows carries them at no
// extra cost.
class VEKGRID_EXPORT Host_Grid {
  public:
    Host_Grid();
    ~Host_Grid();
    Host_Grid(const Host_Grid&) = delete;
    Host_Grid& operator=(const Host_Grid&) = delete;

    void Set_Listener(Grid_Listener* listener) { listener_ = listener; }
    // Hears of every change to cell texts and rows (the undo history); null for none.
    void Set_Change_Hooks(Change_Hooks* hooks) { hooks_ = hooks; }
    // A view's repaint request, called after every change the listener hears of.
    std::function<void()> On_View_Changed;

    // Size. Shrinking keeps the current cell and selection inside the grid.
    int Rows() const;
    void Rows(int n);
    int Cols() const;
    void Cols(int n);
    int FixedRows() const { return 1; }
    int FixedCols() const;
    void FixedCols(int n);

    // Current cell and selection. Setting Row or Col collapses the selection onto the current
    // cell and raises leave (old cell) then enter (new cell) when the cell changes.
    int Row() const;
    void Row(int r);
    int Col() const;
    void Col(int c);
    int RowSel() const;
    void RowSel(int r);
    int ColSel() const;
    void ColSel(int c);

    int TopRow() const;
    void TopRow(int r);
    int LeftCol() const;
    void LeftCol(int c);

    const std::string& TextMatrix(int row, int col) const;
    void TextMatrix(int row, int col, std::string text);
    // The current cell's text; put fills the whole selection while FillStyle is 1.
    const std::string& Text() const;
    void Text(const std::string& text);

    int FillStyle() const;
    void FillStyle(int style);

    int ColWidth(int col) const;
    void ColWidth(int col, int twips);
    int RowHeight(int row) const;
    void RowHeight(int row, int twips);
    int ColAlignment(int col) const;
    void ColAlignment(int col, int alignment);
    int ColPos(int col) const;  // left edge relative to the grid, after scrolling
    int RowPos(int row) const;  // top edge relative to the grid, after scrolling

    // Formats of the current cell (get) or of the current cell / selection (put, by FillStyle).
    int CellAlignment() const;
    void CellAlignment(int alignment);
    int CellPictureAlignment() const;
    void CellPictureAlignment(int alignment);
    Picture CellPicture() const;
    void CellPicture(Picture picture);
    Color CellBackColor() const;
    void CellBackColor(Color color);
    Color CellForeColor() const;
    void CellForeColor(Color color);
    std::string CellFontName() const;
    void CellFontName(const std::string& name);
    double CellFontSize() const;
    void CellFontSize(double size);
    bool CellFontBold() const;
    void CellFontBold(bool on);
    bool CellFontItalic() const;
    void CellFontItalic(bool on);
    bool CellFontUnderline() const;
    void CellFontUnderline(bool on);
    bool CellFontStrikeThrough() const;
    void CellFontStrikeThrough(bool on);

    // Read access to any cell's resolved format, for views and tests.
    struct Cell_Look {
        Color back;
        Color fore;
        Font font;
        int alignment;  // resolved: a cell without its own alignment takes its column's
        Picture picture;
        int picture_alignment;
    };
    Cell_Look Look(int row, int col) const;
    // Look(row, col).back alone, without resolving the font and alignment.
    Color Back_Look(int row, int col) const;

    // Current cell's rectangle, relative to the grid.
    int CellLeft() const;
    int CellTop() const;
    int CellWidth() const;
    int CellHeight() const;

    // For views, in O(log n) once the row offsets are known: the first row at or after `row`
    // whose height is not 0 (Rows() when there is none), and the least TopRow at which the
    // last rows fill `room` twips below the header.
    int Next_Shown_Row(int row) const;
    int Last_Top_Row(long long room) const;

    // Pointer position in grid coordinates (twips); sets MouseRow / MouseCol.
    void Pointer_At(double x, double y);
    int MouseRow() const;
    int MouseCol() const;

    // Display options.
    bool WordWrap() const { return word_wrap_; }
    void WordWrap(bool on) {
        word_wrap_ = on;
        Changed();
    }
    int FocusRect() const { return focus_rect_; }
    void FocusRect(int v) {
        focus_rect_ = v;
        Changed();
    }
    int HighLight() const { return highlight_; }
    void HighLight(int v) {
        highlight_ = v;
        Changed();
    }
    Color BackColorSel() const { return back_color_sel_; }
    void BackColorSel(Color c) {
        back_color_sel_ = c;
        Changed();
    }
    Color ForeColorSel() const { return fore_color_sel_; }
    void ForeColorSel(Color c) {
        fore_color_sel_ = c;
        Changed();
    }
    int GridLines() const { return grid_lines_; }
    void GridLines(int v) {
        grid_lines_ = v;
        Changed();
    }
    int GridLineWidth() const { return grid_line_width_; }
    void GridLineWidth(int v) {
        grid_line_width_ = v;
        Changed();
    }
    Color GridColor() const { return grid_color_; }
    void GridColor(Color c) {
        grid_color_ = c;
        Changed();
    }
    Color GridColorFixed() const { return grid_color_fixed_; }
    void GridColorFixed(Color c) {
        grid_color_fixed_ = c;
        Changed();
    }
    bool Redraw() const { return redraw_; }
    void Redraw(bool on) {
        redraw_ = on;
        Changed();
    }
    bool AllowBigSelection() const { return allow_big_selection_; }
    void AllowBigSelection(bool on) { allow_big_selection_ = on; }
    Color BackColor() const { return back_color_; }
    void BackColor(Color c) {
        back_color_ = c;
        Changed();
    }
    Color BackColorBkg() const { return back_color_bkg_; }
    void BackColorBkg(Color c) {
        back_color_bkg_ = c;
        Changed();
    }
    Color BackColorFixed() const { return back_color_fixed_; }
    void BackColorFixed(Color c) {
        back_color_fixed_ = c;
        Changed();
    }
    Color ForeColor() const { return fore_color_; }
    void ForeColor(Color c) {
        fore_color_ = c;
        Changed();
    }
    const vekgrid::Font& Font() const { return font_; }
    void Font(const vekgrid::Font& f) {
        font_ = f;
        Changed();
    }
    Picture Grid_Picture() const { return picture_; }  // snapshot, supplied by a view
    void Grid_Picture(Picture p) { picture_ = std::move(p); }
    std::intptr_t hWnd() const { return reinterpret_cast<std::intptr_t>(this); }
    // Scroll-bar bits, from the content size against the client size (Width x Height).
    std::uint32_t Window_Style() const;

    // Stable sort of rows Row..RowSel (either order) by column Col; whole rows move, formats
    // included. renumbering: the caller numbers the rows top to bottom afterwards, so rows
    // numbered that way already keep their labels where they are rather than writing each out.
    void Sort(int kind, bool renumbering = false);
    // What a bulk fill sets in a cell's format; members left empty keep the cell's own.
    struct Cell_Style {
        std::optional<int> alignment, picture_alignment;
        std::optional<Color> back, fore;
        std::optional<bool> bold;
        bool operator==(const Cell_Style&) const = default;
    };
    // Rows first..last, columns c1..c1 + n - 1 (n = size of the style lists): odd rows take
    // odd[c - c1], even rows even[c - c1]. One pass over the rows, where a selection and
    // fill per row and per column would walk the table many times. number_rows: column 0's
    // text becomes the row number, in the same pass.
    void Style_Rows(int first, int last, int c1, const std::vector<Cell_Style>& odd,
                    const std::vector<Cell_Style>& even, bool number_rows = false);
    // Heights of rows first.. first + heights.size() - 1 in one change (one notification).
    void Row_Heights(int first, const std::vector<int>& heights);
    // Banding over the rows that show: from row `first` on, each row whose height is not 0
    // takes the back colour odd, even, odd... over columns c1..c2 (hidden rows are skipped and
    // do not advance the alternation). One pass, one notification.
    void Band_Shown_Rows(int first, int c1, int c2, Color odd, Color even);
    // Inserts a row at index (or at the end when index < 0); Tab separates cell texts.
    void AddItem(std::string_view text, int index = -1);
    void RemoveItem(int index);
    // Reorders rows first..: row first + i takes the row at from[i] (a permutation of those
    // rows), formats and heights with it; the labels (column 0) too, unless labels_stay.
    void Permute_Rows(int first, const std::vector<int>& from, bool labels_stay = false);
    // Empties the text of every cell.
    void Clear();

    bool Visible() const { return visible_; }
    void Visible(bool on) {
        visible_ = on;
        Changed();
    }
    int Left() const { return left_; }
    void Left(int v) { left_ = v; }
    int Top() const { return top_; }
    void Top(int v) { top_ = v; }
    int Width() const { return width_; }
    void Width(int v) {
        width_ = v;
        Changed();
    }
    int Height() const { return height_; }
    void Height(int v) {
        height_ = v;
        Changed();
    }
    bool Enabled() const { return enabled_; }
    void Enabled(bool on) {
        enabled_ = on;
        Changed();
    }
    // A view gives itself the keyboard focus through On_Focus_Request.
    void SetFocus() {
        has_focus_ = true;
        if (On_Focus_Request) On_Focus_Request();
    }
    std::function<void()> On_Focus_Request;
    bool Has_Focus() const { return has_focus_; }
    void Lose_Focus() { has_focus_ = false; }
    void ZOrder(int position = 0) { z_order_ = position; }
    int Z_Order() const { return z_order_; }

    // Input from a view: the pointer went down / up at (x, y). The press moves the current
    // cell; the release (User_Click) only reports the click.
    void User_Click(double x, double y);
    // A button went down: the left one moves the current cell to a data cell under it (none
    // below the last row or right of the last column), then the listener hears MouseDown.
    // Move and double click only notify.
    void User_MouseDown(int button, int shift, double x, double y);
    void User_MouseMove(int button, int shift, double x, double y);
    void User_DblClick();

    // Formula sources, kept by row identity: the entry of a cell that has one, else nullptr.
    // Set_Source stores the text as given (an empty text too); a later TextMatrix put of the
    // same text drops it, as the cell then shows its source. Erase_Source drops it.
    const std::string* Source(int row, int col) const;
    // Puts a cell's text back as it was, leaving its source stored as it is and telling no
    // hooks (an undo history replaying what it kept).
    void Restore_Text(int row, int col, std::string text);
    void Set_Source(int row, int col, std::string text);
    void Erase_Source(int row, int col);
    // Drops the sources of cells in rows past last_row or columns past last_col.
    void Erase_Sources_Outside(int last_row, int last_col);
    // Cells that have a source, over the whole grid.
    size_t Source_Count() const;

    // Row labels. Numbering rows (Style_Rows) does not write each label: a run of rows reads
    // its number from where it stands, offset by how far rows moved since, and a label is
    // written when it is read or its row is written or reordered.
    struct Numbered {
        int first, last, offset;  // rows first..last are labelled row + offset
    };
    // Column 0 of rows first..last as kept by an undo history: numbered runs and the texts of
    // the rows outside them.
    struct Label_State {
        std::vector<Numbered> runs;
        std::vector<std::pair<int, std::string>> texts;  // labels outside runs, but empty ones
    };
    Label_State Labels(int first, int last) const;
    // Puts labels of rows first..last back as Labels gave them, telling no hooks.
    void Restore_Labels(int first, int last, Label_State state);

    // Memory held by cells and formats, for budgets and benchmarks.
    size_t Memory_Bytes() const;

  private:
    // One distinct look; cells refer to it by index. Flags tell which values a cell has set.
    struct Format {
        bool has_back = false, has_fore = false;
        Color back = 0, fore = 0;
        // Banded: back / fore hold the odd rows' colour, *_even the even rows'. A row then
        // takes its colour from where it stands, so moving rows keeps the banding.
        bool back_banded = false, fore_banded = false;
        // Banded over shown rows: the parity is the row's place among the rows that show.
        bool back_shown_banded = false;
        Color back_even = 0, fore_even = 0;
        std::int32_t font_name = -1;  // index into font_names_, -1: the grid font's
        double font_size = 0;         // 0: the grid font's
        std::int8_t bold = -1, italic = -1, underline = -1, strikethrough = -1;  // -1: grid's
        std::int32_t alignment = Align::General;
        std::uint32_t picture = 0;  // index + 1 into pictures_, 0: none
        std::int32_t picture_alignment = 0;
        bool operator==(const Format&) const = default;
    };
    struct Format_Hash {
        size_t operator()(const Format& f) const noexcept;
    };
    struct Source_Entry {
        int col;
        std::string text;
    };
    // One row: its cell texts, its layout and, only when some cell has one, its formula
    // sources.
    struct Line {
        std::vector<std::string> cells;
        std::unique_ptr<std::vector<Source_Entry>> sources;
        std::uint32_t layout = 0;  // index into layouts_
    };
    // The formats of one row's cells, shared by every row that looks the same. Layout 0, all
    // default formats, is never freed and not counted; others are freed when no row uses them.
    struct Layout {
        std::vector<std::uint32_t> formats;  // index into formats_, one per column
        size_t hash = 0;
        std::uint32_t rows = 0;  // rows using it
    };
    // Old format -> edited format (or old layout -> edited layout) for the last few met; a
    // range has few distinct ones, so most cells are edited without building and interning.
    class Format_Cache {
      public:
        template <class Make>
        std::uint32_t Get(std::uint32_t old, Make make);

      private:
        std::array<std::pair<std::uint32_t, std::uint32_t>, 16> entries_{};
        size_t used_ = 0, next_ = 0;
    };
    template <class Edit>
    void Edit_Formats(Edit edit);
    std::uint32_t Intern(const Format& format);
    std::uint32_t Intern_Layout(const std::vector<std::uint32_t>& formats);
    std::uint32_t Find_Layout(const std::vector<std::uint32_t>& formats, size_t hash) const;
    void Index_Layout(std::uint32_t layout);
    void Unindex_Layout(std::uint32_t layout);
    // Gives a row another layout, keeping the counts of both.
    void Set_Layout(Line& line, std::uint32_t layout);
    void Release_Layout(std::uint32_t layout);
    // Frees the layouts no row uses any more. Freeing is put off to the end of an edit, so an
    // id an edit's cache holds is never handed out again under it.
    void Collect_Layouts();
    // Re-interns every layout at width n; the result maps each old id to its new one.
    std::vector<std::uint32_t> Resize_Layouts(int n);
    const std::vector<std::uint32_t>& Formats_Of(const Line& line) const {
        return layouts_[line.layout].formats;
    }
    const Format& Format_Of(int row, int col) const;
    void Check_Cell(int row, int col) const;
    void Move_Current(int row, int col);
    void Changed();
    bool Is_Fixed(int row, int col) const { return row < 1 || col < fixed_cols_; }
    std::uint32_t Intern_Picture(const Picture& picture);
    std::int32_t Intern_Font_Name(const std::string& name);
    Line New_Row() const {
        return Line{std::vector<std::string>(static_cast<size_t>(cols_)), nullptr, 0};
    }
    // Drops the source of (row, col) when it equals the text the cell now shows.
    void Source_Follows_Text(Line& line, int col);
    void Hear_Text(const Line& line, int row, int col, const std::string& text);
    void Clamp_Positions();
    // Sum of the heights of rows 0..row-1 (row may equal Rows); extends the lazy prefix sums.
    long long Row_Top(int row) const;
    void Invalidate_Rows_From(int row);
    // What Style_Rows last gave a column: rows first..last (but the holes, rows whose format
    // changed since) are known to carry the style, so styling them again changes nothing.
    // Only styles that do not depend on where a row stands are remembered.
    struct Styled_Span {
        bool valid = false;
        int first = 0, last = -1;
        Cell_Style odd, even;
        std::vector<int> holes;
    };
    std::vector<Styled_Span> styled_;  // per column
    void Styled_Rows_Inserted(int index);
    void Styled_Rows_Removed(int index);
    void Styled_Rows_Permuted(int first, int last);
    // Rows first.. take the rows at from[i], heights and formats with them; see Permute_Rows.
    void Move_Rows(int first, const std::vector<int>& from, bool labels_stay);
    // Sort's new order of rows first..last by column Col (row first + i takes the row at
    // from[i]); empty when they are in order already.
    std::vector<int> Numeric_Order(int first, int last, bool descending) const;
    std::vector<int> Generic_Order(int first, int last, bool descending) const;
    // One numbered run (labels reading as their row numbers) covers rows first..last.
    bool Numbered_Through(int first, int last) const;
    void Styled_Cells_Changed(int r1, int r2, int c1, int c2);
    std::vector<Numbered> numbered_;  // sorted, disjoint
    // Band_Shown_Rows from row 1 over columns c1..c2: every shown row there carries the banded
    // look, so banding again changes nothing. A row that stops showing keeps the colour it
    // had (Freeze_Band); one that starts showing again needs banding.
    struct Shown_Band {
        bool valid = false;
        int c1 = 0, c2 = -1;
        Color odd = 0, even = 0;
    };
    Shown_Band shown_band_;
    bool any_shown_banded_ = false;       // some format is banded over shown rows
    mutable std::vector<int> shown_end_;  // shown rows among 1..r, filled on demand
    mutable size_t shown_end_valid_ = 0;
    int Shown_Ordinal(int row) const;
    void Freeze_Band(int row, int ordinal);
    void Heights_Changing(int first, const std::vector<int>& heights);
    const Numbered* Numbering_Of(int row) const;
    void Materialise_Label(int row) const;
    // Writes the labels of numbered rows in first..last and drops their numbering.
    void Drop_Numbering(int first, int last);
    // Drops the numbering of rows first..last, keeping the runs around them.
    void Cut_Numbering(int first, int last);
    // Before column 0 of row is written: its run is written out.
    void Label_Writing(int row);
    void Number_Rows(int first, int last);
    void Numbered_Rows_Inserted(int index);
    void Numbered_Rows_Removed(int index);

    Grid_Listener* listener_ = nullptr;  // not owned
    Change_Hooks* hooks_ = nullptr;      // not owned
    std::vector<Line> cells_;
    std::vector<Format> formats_;
    std::unordered_map<Format, std::uint32_t, Format_Hash> format_index_;
    std::vector<Layout> layouts_;
    // Layout ids by hash, open addressing with linear probing: kNo_Layout where empty.
    static constexpr std::uint32_t kNo_Layout = 0xFFFFFFFF;
    std::vector<std::uint32_t> layout_slots_;
    size_t layouts_indexed_ = 0;
    std::vector<std::uint32_t> free_layouts_;  // slots to reuse
    std::vector<std::uint32_t> dead_layouts_;  // reached no rows; freed by Collect_Layouts
    // Kept for reuse, so editing one row's look allocates nothing once the grid has warmed up.
    std::vector<std::uint32_t> scratch_formats_;
    std::vector<Picture> pictures_;  // interned; formats refer by index + 1, 0 = none
    std::unordered_map<const Image*, std::uint32_t> picture_index_;
    long long total_row_height_ = 0;
    // Prefix sums of row heights, row_end_[r] = heights of rows 0..r. Filled on demand and cut
    // back to the first changed row, so hit-testing after an edit only redoes what it reaches.
    mutable std::vector<long long> row_end_;
    mutable size_t row_end_valid_ = 0;
    std::vector<std::string> font_names_;
    std::vector<int> col_width_, col_alignment_, row_height_;
    int cols_ = 0;
    int fixed_cols_ = 0;
    int row_ = 0, col_ = 0, row_sel_ = 0, col_sel_ = 0;
    int top_row_ = 1, left_col_ = 0;
    int mouse_row_ = 0, mouse_col_ = 0;
    bool pointer_on_cell_ = false;  // the last pointer position fell on a cell
    int fill_style_ = 0;
    bool word_wrap_ = false;
    int focus_rect_ = 1;
    int highlight_ = 1;
    Color back_color_sel_ = 0x8000000D, fore_color_sel_ = 0x8000000E;
    int grid_lines_ = 1;
    int grid_line_width_ = 1;
    Color grid_color_ = 0xC0C0C0, grid_color_fixed_ = 0x000000;
    bool redraw_ = true;
    bool allow_big_selection_ = true;
    Color back_color_ = Colors::Window, back_color_bkg_ = 0x808080,
          back_color_fixed_ = Colors::Button_Face, fore_color_ = Colors::Window_Text;
    vekgrid::Font font_;
    Picture picture_;
    bool visible_ = true;
    int left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
    bool enabled_ = true;
    bool has_focus_ = false;
    int z_order_ = 0;

    // --- Bulk loading (file exchange) ----------------------------------------------------
  public:
    // TextMatrix without a change notification per cell: a loader filling millions of cells
    // tells the view once, when it is done (Redraw(true) does).
    void Put_Text(int row, int col, std::string text);
    // Rows(n) that either completes or leaves the grid as it was, out of memory included.
    void Rows_All_Or_Nothing(int n);
};

}  // namespace vekgrid
