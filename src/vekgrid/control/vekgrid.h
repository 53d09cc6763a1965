#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vekgrid/columns/vek_column.h"
#include "vekgrid/common/variant.h"
#include "vekgrid/control/events.h"
#include "vekgrid/control/typed_api.h"
#include "vekgrid/control/undo_journal.h"
#include "vekgrid/control/widget_array.h"
#include "vekgrid/export.h"
#include "vekgrid/formula/equation_mask.h"
#include "vekgrid/hostgrid/host_grid.h"
#include "vekgrid/platform/platform.h"

namespace vekgrid {

class Cell_Changes;
class Record_Reader;

enum Gridline_Display : std::int32_t { Both = 0, None = 1, Horizontal_Only = 2, Vertical_Only = 3 };
enum Return_Key_Behaviors : std::int32_t { Changes_Row = 0, Changes_Col = 1 };
enum Delimiter_Options : std::int32_t { Tab_Delimited = 0, Semi_Colon_Delimited = 1 };
enum Filter_Option : std::int32_t {
    Filter_Only_Hidden = 0,
    Filter_Only_Visible = 1,
    Filter_All = 2
};

/// The grid control a host places on its form. It owns the grid model, the editor widgets laid
/// over it and all of its state; the host reaches everything through this object and hears
/// back through vekGRID_Events.
///
/// What is public here is the host's API, in sections: construction and life cycle, the fields
/// of the original interface, events, grid properties, columns, cells, editors and focus,
/// rows, sorting and filtering, files, formulas, colours and fonts, selection and undo, and
/// the typed API. Platform front ends and tests also reach the input handlers, the child
/// widgets and the re-entrancy state through vekgrid/control/internals.h, which no host needs.
///
/// The control's routines are split by subsystem across the source folders (columns/,
/// editing/, rows/...); they all work on the state declared here.
class VEKGRID_EXPORT vekGRID : private Grid_Listener {
  public:
    // ===== Construction and life cycle ==================================================
    // The platform must outlive the control.
    explicit vekGRID(Platform& platform);
    ~vekGRID() override;
    vekGRID(const vekGRID&) = delete;
    vekGRID& operator=(const vekGRID&) = delete;
    void InitProperties();               // first placement on a form at design time
    void Show();                         // shown at run time: binds the parent form
    void Resize(int width, int height);  // the control's inner size in twips
    // Saves and restores the design-time properties (a value equal to its default is not written).
    void WriteProperties(Property_Bag& bag);
    void ReadProperties(Property_Bag& bag);
    // Disabling greys every cell but dividers; enabling restores the banding.
    bool Enabled() const;
    void Enabled(bool on);
    // Removes every column and row, the formula sources with them.
    void Clear_Grid();

    // ===== Fields of the original interface =============================================
    // Handles of keyboard and mouse hooks a host installs; the control installs none.
    std::int32_t HookedMouse = 0;
    std::int32_t HookedKeyBoard = 0;
    // Wider than the 16 bits of old so that grids past 32,767 rows work.
    // The cell whose editor is active; 0 when none is.
    std::int32_t CurrentRow = 0;
    std::int32_t CurrentCol = 0;
    // The variable table of formulas: (1, k) a name, (2, k) its value, k from 1.
    Variant User_Defined_Variable_Array;
    // Alt+C/X/V/I/N/D row commands.
    bool Allow_Shortcut_Keys = true;

    // ===== Events =======================================================================
    void Add_Listener(vekGRID_Events& listener);
    void Remove_Listener(vekGRID_Events& listener);
    // Called with the property-bag key of every persisted property a setter changes.
    std::function<void(const std::string&)> On_Property_Changed;

    // ===== Grid properties ==============================================================
    // Row count including the header row; setting formats new rows and resizes the formula
    // store. A negative count, or a grid without columns, is left as it is; 0 shows the
    // "VEKGrid Error" message box.
    std::int32_t Rows() const { return grid_.Rows(); }
    void Rows(std::int32_t n);
    // Column count including the fixed column 0; normally grown by Add_Column.
    std::int32_t Cols() const { return grid_.Cols(); }
    void Cols(std::int32_t n);
    // Sizes in twips; a row of height 0 is hidden. Setters ignore a bad index.
    std::int32_t RowHeight(std::int32_t Index) const { return grid_.RowHeight(Index); }
    void RowHeight(std::int32_t Index, std::int32_t height);
    std::int32_t ColWidth(std::int32_t Index) const { return grid_.ColWidth(Index); }
    void ColWidth(std::int32_t Index, std::int32_t width);
    // The grid's current cell. Setting moves it without raising EnterCell or LeaveCell; out
    // of range is ignored.
    std::int32_t Current_Col() const { return grid_.Col(); }
    void Current_Col(std::int32_t col);
    std::int32_t Current_Row() const { return grid_.Row(); }
    void Current_Row(std::int32_t row);
    // The cell under the pointer, and the current cell's rectangle in twips.
    std::int32_t MouseCol() const { return grid_.MouseCol(); }
    std::int32_t MouseRow() const { return grid_.MouseRow(); }
    double CellLeft() const { return grid_.CellLeft(); }
    double CellTop() const { return grid_.CellTop(); }
    double CellWidth() const { return grid_.CellWidth(); }
    double CellHeight() const { return grid_.CellHeight(); }
    // Off while a host makes many changes; a view repaints once it is on again.
    bool Redraw() const { return grid_.Redraw(); }
    void Redraw(bool on) { grid_.Redraw(on); }
    // Switches; setters tell On_Property_Changed.
    bool ReadOnly() const { return read_only_; }
    void ReadOnly(bool on) { read_only_ = on, Mark_Changed("ReadOnly"); }
    bool Allow_New_Rows() const { return allow_new_rows_; }
    void Allow_New_Rows(bool on) { allow_new_rows_ = on, Mark_Changed("Allow_New_Rows"); }
    bool Enter_New_Row() const { return enter_new_row_; }
    void Enter_New_Row(bool on) { enter_new_row_ = on, Mark_Changed("Enter_New_Row"); }
    // Return_Key_Behaviors: Changes_Row, Changes_Col.
    std::int32_t Return_Key_Behavior() const { return return_key_behavior_; }
    void Return_Key_Behavior(std::int32_t v) {
        return_key_behavior_ = v, Mark_Changed("Return_Key_Behavior");
    }
    // Gridline_Display: Both, None, Horizontal_Only, Vertical_Only.
    std::int32_t Gridline_Draw() const { return gridline_draw_; }
    void Gridline_Draw(std::int32_t mode);
    // Keeps column 1 in view while scrolling; not persisted.
    bool Left_Col_Always_Visible() const { return left_col_always_visible_; }
    void Left_Col_Always_Visible(bool on) { left_col_always_visible_ = on; }

    // ===== Columns ======================================================================
    // Appends a column described by NewColumn (copied, no reference kept), or with Edit_Column
    // re-applies it to the column at NewColumn.Display_Index(), which must exist: otherwise
    // Subscript_Out_Of_Range is thrown before anything changes.
    Variant Add_Column(vekColumn& NewColumn, bool Edit_Column = false);
    // Replaces a drop-down column's list ("a,b,c"); other columns are ignored.
    Variant Update_Combo_Box_List(std::string& New_List, std::int16_t& Column_Index);
    // Redraws the bars of a progress-bar column from its cell values; other columns are ignored.
    void Update_Progress_Column(std::int16_t& Update_Column);

    // ===== Cells ========================================================================
    // A cell's text. Get throws Subscript_Out_Of_Range outside the grid; put ignores a cell
    // outside it and a divider cell, and stores the text as the cell's formula source too.
    std::string Cell_Text(std::int32_t Row, std::int32_t Col);
    void Cell_Text(std::int32_t Row, std::int32_t Col, const std::string& text);
    // Like Cell_Text, and also refreshes the editor when the cell is the current one.
    std::string TextMatrix(std::int32_t Row, std::int32_t Col);
    void TextMatrix(std::int32_t Row, std::int32_t Col, const std::string& text);
    // The text of the current cell.
    std::string Focus_Cell_Text();
    void Focus_Cell_Text(const std::string& text);
    // The text box editor's text (what the user is typing).
    std::string TextEditor_Text() const { return text_editor_->Text(); }
    void TextEditor_Text(const std::string& text);

    // ===== Editors and focus ============================================================
    // Moves every editor out of sight, or lays the current cell's editor back over it.
    void Hide_Editors();
    void Show_Editors();
    // Gives the focus to the editor on show, else to the grid.
    void Shift_Focus_To_Visible_Grideditor();
    // A keyboard-hook procedure for hosts that install one; passes every message on.
    std::int32_t pppKeyboardProc(std::int32_t nCode, std::int32_t wParam, std::int32_t lParam);

    // ===== Rows =========================================================================
    // Inserts a row (Tab separates the cells, column 0 first) at Index, or at the end; raises
    // RowAdded. RemoveItem removes a data row; a missing row is ignored.
    void AddItem(const std::string& Item, const Variant& Index = Variant());
    void RemoveItem(std::int32_t Index);
    // The row clipboard, on the grid's current row: copy, cut (copy and delete), paste over the
    // current row (BeforeRowPaste, RowPasted), insert as a new row under it.
    Variant Cut_Row();
    Variant Copy_Row();
    Variant Paste_Row();
    Variant Insert_Copied_Row();
    // True when Copy_Row or Cut_Row left a row with some text to paste or insert.
    bool Row_Copied() const {
        return copied_row_text_.find_first_not_of('\t') != std::string::npos;
    }
    // Copies a data row to a new row at the given index; bad indices do nothing.
    Variant Copy_Row_To_New_Row(const Variant& Row_Number_To_Copy,
                                const Variant& New_Row_Index_Location);
    // Deletes a data row (BeforeRowDelete, RowDeleted); Renumber_Rows rewrites the labels of
    // column 0 as 1, 2, ...
    Variant Delete_Row(std::int32_t Row_Number, bool Renumber_Rows = false);
    // Hiding gives rows height 0; showing gives them their height back.
    Variant Hide_All_Rows();
    Variant Show_All_Rows();
    Variant Hide_Row(std::int32_t Row_Number);

    // ===== Sorting and filtering ========================================================
    // Sorts the data rows by a column (-1: the one under the pointer), toggling between
    // ascending and descending; numeric columns sort as numbers.
    void Sort_Grid(std::int16_t Sort_By_Column = 0);
    // Hides or shows the rows whose cells hold the phrases of Filter_Array (Filter_Option);
    // Restore shows every row again.
    void Filter_Grid(const Variant& Filter_Array, std::int32_t Filter_Command, bool Restore = false,
                     bool Match_On_All_Phrases = false);

    // ===== Files and arrays =============================================================
    // One-dimensional arrays are held as arrays whose first dimension is 0..0: element i is
    // (0, i).
    // Cells of rows 1.. and columns 1.., as (row, col); hidden rows included.
    Variant Dump_Contents() const;
    // One delimited line per grid row, header first; formula columns give their sources.
    Variant Dump_Into_Single_Array(std::int32_t Delimiter = Tab_Delimited) const;
    // Writes those lines, CR LF after each, after committing the cell being edited. The save
    // is atomic: the file is replaced whole or not at all (a symbolic link is written through
    // to its target, the file's permission bits are kept, anything but a regular file is
    // refused). It shows no message: false tells the host the file was not written, and
    // Last_File_Error() says why.
    bool Write_File(const std::string& Pathname, std::int32_t Delimiter = Tab_Delimited);
    // Replaces columns and rows with a file's lines; empty lines at its end make no rows. A
    // missing, unreadable or non-regular path, a file over 256 MiB (as read), over 32,767
    // columns, or with far more cells than its text holds shows the Load_File message box and
    // leaves the grid as it was (Last_File_Error() says why); a file with no line shows the
    // "Grid Error" box.
    void Load_File(const std::string& Pathname, std::int16_t Number_Of_Left_Align_Columns = 0);
    // Comma-separated values as spreadsheets read and write them (RFC 4180): fields with a
    // comma, a quote or a line break are quoted, quotes doubled, records end with CR LF, UTF-8
    // with an optional byte-order mark. Formula cells give their sources, as in Write_File; the
    // first record names the columns. Saving and loading behave as Write_File and Load_File.
    bool Write_Csv(const std::string& Pathname, bool Byte_Order_Mark = false);
    void Load_Csv(const std::string& Pathname, std::int16_t Number_Of_Left_Align_Columns = 0);
    // Why the last Write_File, Write_Csv, Load_File or Load_Csv failed; empty after a success.
    const std::string& Last_File_Error() const { return last_file_error_; }
    // Replaces columns and rows with the lines given (0 left-align columns counts as 1); no
    // array or no lines shows the "Grid Error" message box.
    void Load_Single_Array(const Variant& LoadArray, std::int16_t& Num_Left_Align_Columns);
    void Load_Single_Array(const std::vector<std::string>& lines,
                           std::int16_t& Num_Left_Align_Columns);

    // ===== Formulas =====================================================================
    // Reshapes the formula store (rows 1..Rows by columns 1..Cols); positive indices open or
    // close a row or column there. Errors are ignored.
    void Resize_Equation_Mask(std::int32_t Rows, std::int32_t Cols,
                              std::int32_t Insert_New_Row_Index = 0,
                              std::int32_t Insert_New_Col_Index = 0,
                              std::int32_t Delete_Row_Index = 0, std::int32_t Delete_Col_Index = 0);
    // Stores the text editor's text as the formula source of a cell.
    void Update_Grid_Equation_Mask(std::int32_t Row, std::int32_t Col);
    // Keeps a copy of the variable table and recomputes the formula cells that use variables.
    void Update_User_Defined_Variable_List(const Variant& Variable_List_Array);

    // ===== Colours and fonts ============================================================
    // Grid colours (OLE colours, &H00BBGGRR or system colours &H80000000 + index). BackColor
    // is the control's own back colour too: a cell painted in it is blocked.
    Color BackColor() const { return grid_.BackColorBkg(); }
    void BackColor(Color color);
    Color GridColor() const { return grid_.GridColor(); }
    void GridColor(Color color);
    Color GridColorFixed() const { return grid_.GridColorFixed(); }
    void GridColorFixed(Color color);
    Color BackColorFixed() const { return grid_.BackColorFixed(); }
    void BackColorFixed(Color color);
    // A snapshot of the grid, when the front end supplies one.
    Picture Grid_Picture() const { return grid_.Grid_Picture(); }
    // The grid font; columns and new rows take it.
    bool Font_Bold() const { return grid_.Font().bold; }
    void Font_Bold(bool on);
    const Font& Grid_Font() const { return grid_.Font(); }
    void Grid_Font(const Font& font);
    // Colours a whole row (column 0 too when asked); a missing row is ignored.
    void Row_Color(double RowNumber, const Variant& RowColor, bool ColorFirstColumn = false);
    // Back colour of one cell or a range; painting a cell in the control's own back colour
    // blocks it (no editor, navigation passes over it).
    void Set_Cell_Color(double Row, double Column, Color Cell_Color);
    void Set_Range_Cell_Color(std::int32_t Start_Row, std::int32_t End_Row, std::int32_t Start_Col,
                              std::int32_t End_Col, Color CellColor);
    // Reads or sets one cell's back colour.
    Variant Cell_Back_Color(const Variant& Row, const Variant& Column);
    void Cell_Back_Color(const Variant& Row, const Variant& Column, Color color);
    // Font and font colour of one cell.
    void Cell_Font(double Row, double Column, const Font& CellFont);
    void Cell_Font_Color(double Row, double Column, const Variant& FontColor);
    // Banding: the back colours of odd and even data rows.
    const Variant& Row_Color_Odd() const { return row_color_odd_; }
    void Row_Color_Odd(const Variant& color);
    const Variant& Row_Color_Even() const { return row_color_even_; }
    void Row_Color_Even(const Variant& color);
    // Grows the rows so every cell of the column (or of the row) shows its whole text.
    void Word_Wrap(std::int16_t Column_For_Word_Wrap);
    void Word_Wrap_Row(std::int32_t Row_to_Word_Wrap);

    // ===== Selection, clipboard and undo ================================================
    // A rectangle of data cells, corners included; all 0 when the grid has no data cell.
    struct Cell_Range {
        std::int32_t Top_Row = 0, Left_Col = 0, Bottom_Row = 0, Right_Col = 0;
        bool operator==(const Cell_Range&) const = default;
    };
    // The user's range, drawn by views. It always holds the current cell; Shift+arrows, a drag
    // or the Select_ calls extend it, and a plain move of the current cell collapses it onto
    // the cell. The control's own select-then-format work neither shows in it nor changes it.
    Cell_Range Selection() const;
    bool Is_Selected(std::int32_t Row, std::int32_t Col) const;
    // (Row1, Col1) becomes the current cell (quietly, like Current_Row) and (Row2, Col2) the
    // far corner; both are kept inside the data cells.
    void Select_Range(std::int32_t Row1, std::int32_t Col1, std::int32_t Row2, std::int32_t Col2);
    // Every data cell (Ctrl+A); whole data rows or columns (a click on a row label or title).
    void Select_All();
    void Select_Rows(std::int32_t First_Row, std::int32_t Last_Row);
    void Select_Cols(std::int32_t First_Col, std::int32_t Last_Col);
    // The range as spreadsheets exchange it: cells joined by Tab, each row ended by LF; a cell
    // holding a Tab, a line break or a leading quote is quoted ("" for a quote). Formula cells
    // give their value. Selection_Html gives the same cells as an HTML table.
    std::string Copy_Selection_Text() const;
    std::string Selection_Html() const;
    // Puts such text into the cells from the range's top-left cell on, one cell per field, as
    // the user would type it (formulas are evaluated and keep their source). Rows are added
    // at the end while Allow_New_Rows is on (RowAdded each); the read-only control, read-only
    // columns, dividers and blocked cells take nothing, and a check box takes only 1, 0, True
    // or False. Once all is in, CellChanged for each changed cell, row by row. One undo step.
    void Paste_Text(const std::string& text);
    // Copy_Selection_Text, then Clear_Selection.
    std::string Cut_Selection();
    // Empties the range's cells (check boxes are unticked) with the same skipping and events.
    void Clear_Selection();
    // Copies the range's top row into the rows below it within the range (sources as they
    // are), with the same skipping and events. One undo step.
    void Fill_Down();
    // The system clipboard, through the platform.
    void Copy_To_Clipboard();
    void Cut_To_Clipboard();
    void Paste_From_Clipboard();
    // The history of user actions and host operations (at most Undo_Journal::Max_Steps).
    // Undo puts back the texts, formula sources, rows, row order and labels, check marks and
    // the current cell of the last step, including what event handlers wrote during it.
    // Loading a file, Clear_Grid or a change of columns starts a new history; so does a cell
    // or row change made outside any step (a host writing on its own), which cannot be undone.
    void Undo();
    void Redo();
    bool Can_Undo() const { return journal_.Can_Undo(); }
    bool Can_Redo() const { return journal_.Can_Redo(); }
    // Everything done while one lives is one step (nested ones join the outer one). Keys,
    // clicks and the operations above open their own; a front end or host wraps anything
    // else it wants undoable (a sort from a title click, a row command from a menu).
    class Undo_Step {
      public:
        explicit Undo_Step(vekGRID& control, bool merge = false, bool mergeable = false)
            : control_(control), mergeable_(mergeable) {
            control_.journal_.Begin(control_.Journal_Cell(), merge);
        }
        ~Undo_Step() { control_.journal_.End(control_.Journal_Cell(), mergeable_); }
        Undo_Step(const Undo_Step&) = delete;
        Undo_Step& operator=(const Undo_Step&) = delete;

      private:
        vekGRID& control_;
        bool mergeable_;
    };

    // ===== Typed host API ===============================================================
    // The members above as a C++20 host would call them: const references that take literals
    // and temporaries, int rows and columns, enums, results instead of message boxes. Each one
    // goes through its original twin, so both give the same grid.
    // Cells: Cell reads without committing the cell being edited; Source gives the formula
    // source. Both throw Subscript_Out_Of_Range outside the grid.
    std::string Cell(int row, int col) const;
    void Cell(int row, int col, const std::string& text);
    std::string Source(int row, int col) const;
    // Columns: the new column's index; Edit_Column re-applies a definition to an existing column
    // (Subscript_Out_Of_Range when there is none).
    int Add_Column(const vekColumn& column);
    int Add_Column(const Column_Spec& column);
    void Edit_Column(int col, const Column_Spec& column);
    void Update_Combo_Box_List(const std::string& list, int col);
    void Update_Progress_Column(int col);
    // Rows. Add_Row's cells start at column 0 (the row label); it returns the new row.
    int Add_Row(const std::vector<std::string>& cells, std::optional<int> at = std::nullopt);
    // False when there is no such data row (nothing changes then).
    bool Delete_Row_At(int row, bool renumber = false);
    bool Duplicate_Row(int row, int at);
    bool Hide_Row_At(int row);
    bool Row_Hidden(int row) const;
    void Hide_Rows();
    void Show_Rows();
    // Ordering and filtering.
    void Sort(int col, Sort_Direction direction);
    void Filter(const std::vector<Filter_Rule>& rules, Filter_Rows among = Filter_Rows::All,
                bool match_all = false);
    void Clear_Filter();
    // The variable table formulas read ('name'); cells that use variables are recomputed.
    void Set_Variables(const Variable_Table& variables);
    Variable_Table Variable_Values() const;
    // Colours.
    void Cell_Color(int row, int col, Rgb color);
    // The cell's back colour; none outside the grid.
    std::optional<Rgb> Cell_Color(int row, int col);
    void Range_Color(int first_row, int last_row, int first_col, int last_col, Rgb color);
    void Row_Color(int row, Rgb color, bool first_column = false);
    void Band_Colors(Rgb odd, Rgb even);
    // Files. The file is checked (exists, regular, readable, not empty, at most 256 MiB) before
    // the grid is cleared; no message box is shown, the result says what went wrong.
    Result Load(const std::string& path, File_Format format = File_Format::Tab_Delimited,
                int left_align_columns = 0);
    Result Save(const std::string& path, File_Format format = File_Format::Tab_Delimited);
    // The host's replacements for the control's message texts (see Message_Catalogue).
    void Messages(Message_Catalogue catalogue);
    const Message_Catalogue& Messages() const;

    // ===== Not for hosts ================================================================
    // The way in for platform front ends and tests; defined in vekgrid/control/internals.h.
    template <class Control>
    class Internals;

  private:
    // ===== Reached through Internals ====================================================
    // Input the platform reports.
    // Keys reach the control before the focused editor; KeyCode 0 on return keeps a key from
    // the editor. Shift: 1 Shift, 2 Ctrl, 4 Alt.
    void UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t Shift);
    // Characters: KeyAscii 0 on return swallows one (Enter always, anything in a read-only
    // column but navigation).
    void UserControl_KeyPress(std::int16_t& KeyAscii);
    // A focus-catcher box got the focus (Tab or Shift+Tab): moves right or left a column.
    void Tab_Focus_GotFocus(int n, bool mouse_button_down = false, bool tab_key_down = true);
    // The control got or lost the focus; losing it commits the open edit.
    void UserControl_EnterFocus();
    void UserControl_ExitFocus();
    // A message for an intercepted window (the grid's, the control's, a drop-down's or its
    // list's): 513 left button down, 522 mouse wheel (wparam's high word the wheel delta).
    void Window_Message(std::intptr_t window, int message, std::int32_t wparam);
    // Keys typed into the text editor; KeyAscii 0 on return rejects the key.
    void TextEditor_KeyPress(std::int16_t& KeyAscii);
    void TextEditor_GotFocus();
    // Button 2 raises MouseDown with the text box's arguments.
    void TextEditor_MouseDown(std::int16_t Button, std::int16_t Shift, float x, float y);
    // The pop-up button of a column was clicked: shows its form and raises PopUpClick.
    void PopUpEditor_Click(int index);

    // Child widgets.
    Host_Grid& GridEditor() { return grid_; }
    const Host_Grid& GridEditor() const { return grid_; }
    Text_Box& TextEditor() { return *text_editor_; }
    Widget_Array<Combo_Box>& ComboEditor() { return combo_editor_; }
    Widget_Array<Command_Button>& PopUpEditor() { return popup_editor_; }
    Text_Box& Tab_Focus(int n) { return *tab_focus_.at(static_cast<size_t>(n - 1)); }
    Picture_Box& CheckBox_On() { return *checkbox_on_; }
    Picture_Box& CheckBox_Off() { return *checkbox_off_; }
    Picture_Box& Picture1() { return *picture1_; }
    Picture_Box& PicLine() { return *pic_line_; }
    Widget_Array<Picture_Box>& Vertical_Gridline() { return vertical_gridline_; }
    Text_Box& Text1() { return *text1_; }
    Text_Box& Text2() { return *text2_; }
    Timer& Timer1() { return *timer1_; }
    Host_Form* Parent_Form() const { return parent_form_; }
    Platform& Host_Platform() { return platform_; }

    // State the handlers keep.
    // The column table, indexed (attribute 0..21, column).
    const Variant_Array& Column_Properties() const { return column_properties_; }
    // The formula source of every data cell.
    const vekgrid::Equation_Mask& Equation_Mask() const { return equation_mask_; }
    const Undo_Journal& Journal() const { return journal_; }
    double Mouse_X() const { return mouse_x_; }
    double Mouse_Y() const { return mouse_y_; }
    double Combo_List_Position() const { return combo_list_position_; }
    bool Ignore_Cell_Change() const { return ignore_cell_change_; }
    bool Cell_Change_Pending() const { return cell_change_pending_; }
    std::int32_t Previous_Row() const { return previous_row_; }
    std::int32_t Previous_Col() const { return previous_col_; }
    bool Control_Has_Focus() const { return control_has_focus_; }
    const std::string& Last_Direction() const { return last_direction_; }
    bool Paste_In_Progress() const { return paste_in_progress_; }
    // Re-entrancy: set while the control moves the current cell itself, or on a host's behalf.
    bool Updating_Grid() const { return updating_grid_; }
    bool Suppress_Cell_Events() const { return suppress_cell_events_; }
    bool Suppress_Combo_Dropdown() const { return suppress_combo_dropdown_; }
    // The control's own back colour (a blocked cell has it).
    Color Control_Back_Color() const { return back_color_; }

    // Window interception of the grid and the drop-down editors.
    std::intptr_t Combo_Window_Handle(int col) const { return combo_window_handle_.at(Slot(col)); }
    std::intptr_t Combo_List_Window_Handle(int col) const {
        return combo_list_window_handle_.at(Slot(col));
    }
    std::intptr_t Combo_Old_Window_Procedure(int col) const {
        return combo_old_window_procedure_.at(Slot(col));
    }
    std::intptr_t Combo_List_Old_Window_Procedure(int col) const {
        return combo_list_old_window_procedure_.at(Slot(col));
    }
    // The message procedures this control installs on intercepted windows.
    std::intptr_t Combo_Procedure() const { return Self() + 1; }
    std::intptr_t Grid_Procedure() const { return Self() + 2; }
    static constexpr int Max_Intercepted_Column = 1000;

    // ===== Implementation ===============================================================
    static size_t Slot(int col) { return static_cast<size_t>(col); }
    std::intptr_t Self() const { return reinterpret_cast<std::intptr_t>(this); }

    // Grid notifications.
    // The commit on leaving a cell and the entry after it (whose CellChanged handlers may
    // write) are one undo step.
    void Grid_LeaveCell() override {
        const Undo_Step step(*this, false, true);
        GridEditor_LeaveCell();
    }
    void Grid_EnterCell() override {
        const Undo_Step step(*this, true, true);
        GridEditor_EnterCell();
    }
    void Grid_Click() override;
    void Grid_DblClick() override;
    void Grid_MouseDown(int button, int shift, double x, double y) override;
    void Grid_MouseMove(int button, int shift, double x, double y) override;
    void Grid_Scroll() override { GridEditor_Scroll(); }
    void Grid_Changed() override {}

    // Editor placement by kind, on entry.
    void Enter_Combo_Cell(int k);
    // What the drop-down of column k puts into the current cell when it is left.
    std::string Combo_Choice(int k);
    void Enter_PopUp_Cell(int k);
    bool Usable(int row, int col) const;
    void Key_Right();
    void Key_Left();
    void Key_Vertical(bool down);
    void Key_Page(bool down);
    void Key_Enter();
    void Add_Row_By_Enter();
    // Screen keys
    // Ctrl+Home / Ctrl+End: first / last usable cell; Ctrl+Up / Ctrl+Down: first / last usable
    // row of the column. False for any other key.
    bool Key_Jump(int key);
    // Escape: the editor takes back the text the cell had on entry, an open list closes.
    void Key_Escape();
    // F4 / Alt+Down on the cell, Space / Enter on the button: the cell's pop-up form, or its
    // drop-down's list, opens. False when the cell has neither.
    bool Key_Open_PopUp(bool on_button);
    // Shift+Tab: one usable column left (wrapping in the row), whatever the caret.
    void Key_Back_Tab();
    // Moves the current cell in one step: the left cell commits, the new one is entered.
    void Move_To(int row, int col);
    bool Jump_Target(int row, int col) const;
    void Unfreeze_Column_One();
    void Commit_On_Focus_Loss();
    void Timer1_Timer();
    void Form_Closing();
    // Row formatting over a range, one fill per column where every cell gets the same.
    void Format_All_Rows(std::int32_t& Renumber);
    // labels: the style of column 0 over the same rows, done in the same pass. boxes_left:
    // check-box cells align left rather than as their column says (a new row's formatting
    // gives them their column's alignment).
    void Format_Data_Rows(int first, int last, bool renumber, bool centre_pictures,
                          const std::optional<Host_Grid::Cell_Style>& labels = std::nullopt,
                          bool boxes_left = true);
    void Band_Visible_Rows();
    // After rows were shown or hidden: the open editor follows its cell, or goes when the
    // cell's row is hidden.
    void Editor_Follows_Rows();
    void Redraw_Progress_Columns();
    // A row's entries, and the same as one Tab-joined item for AddItem. A Tab inside an entry
    // (a file loaded with semicolons, a host's text) would split it there: the item carries a
    // space in its place, and Put_Tabbed_Fields puts the exact entries back afterwards.
    std::vector<std::string> Row_Fields(int row) const;
    static std::string Row_Item(const std::vector<std::string>& fields);
    void Put_Tabbed_Fields(int row, const std::vector<std::string>& fields);
    bool Blocked(int row, int col) const;
    void Toggle_Check_Box();
    void Reset_Row_Check_Boxes(std::int32_t& Row);

    // Cell handlers of the grid: activation of the entered cell, commit of the left one.
    void GridEditor_EnterCell();
    void GridEditor_LeaveCell();
    void GridEditor_Scroll();
    void Place_Text_Editor();
    // The text of the equation-mask entry, "" outside the mask.
    std::string Mask_Text(int row, int col) const;
    void Set_Mask_Text(int row, int col, const std::string& text);
    void Reformat_Grid();
    void Draw_Grid_Lines();
    // Commits the text editor into the current cell the way leaving it does, quietly.
    void Commit_Text(int row, int col, const std::string& text);
    // The same with the column's formula settings already looked up (many-cell writes).
    void Commit_Text(int row, int col, const std::string& text, bool formula, bool variables);
    // Lays the active editor over the current cell again.
    void Place_Active_Editor();

    // Rows and formula store
    // Whether an editor is open over the current cell (what it holds is the user's).
    bool Editor_Open() const;
    // A formula column's cell shows the value of its entry (a formula evaluated, a length
    // converted); other cells are left as they are.
    void Show_Entry_Value(int row, int col);
    // Computes again the formulas of the columns that take variables (text box columns only
    // when asked); entries that are not formulas keep what they show.
    void Recalculate_Variable_Formulas(bool text_box_only);
    bool Has_Progress_Columns() const;
    // Selects one cell and writes or reads its format the select-format-restore way.
    template <class Format>
    void Format_Cell(int row1, int col1, int row2, int col2, bool fill, Format format);
    // Writes a font into the cell font settings of the current cell or selection.
    void Put_Cell_Font(const Font& font);
    // Grows rows so the measured cells fit; extra_line adds one more line of room.
    void Wrap_Cells(const std::vector<std::pair<int, int>>& cells, bool extra_line);
    // Hides the focus catchers, if they show, until the end of the scope.
    class Catchers_Hidden {
      public:
        explicit Catchers_Hidden(vekGRID& control)
            : control_(control), hidden_(control.Catchers_Visible()) {
            if (hidden_) control_.Show_Catchers(false);
        }
        ~Catchers_Hidden() {
            if (hidden_) control_.Show_Catchers(true);
        }
        Catchers_Hidden(const Catchers_Hidden&) = delete;
        Catchers_Hidden& operator=(const Catchers_Hidden&) = delete;

      private:
        vekGRID& control_;
        bool hidden_;
    };
    bool Catchers_Visible() const { return tab_focus_[0]->Visible(); }
    void Show_Catchers(bool on);
    // Formats one new row (0: the last row) to match its columns.
    void Format_New_Row(std::int32_t& Row);
    // Formats a row; the fixed column gets its look from first_fixed_row down to the row.
    void Format_Row(int row, int first_fixed_row);
    // Formats one cell of a data row as its column wants it.
    void Format_Column_Cell(int row, int col, bool centre_picture);

    // Column table readers; a column outside the table reads as a plain text-box column.
    std::int32_t Column_Editor(int col) const;
    bool Column_Flag(int attribute, int col) const;

    // Column set-up steps.
    void Store_Column_Attributes(int j, const vekColumn& column, bool edit);
    // Data rows of columns first..last in the row colours, odd and even.
    void Band_Columns(int first, int last);
    // The row labels' look: left-aligned, bold, on the header colour.
    static Host_Grid::Cell_Style Label_Style();
    void Style_Header(int j);
    void Colour_Read_Only(int j);
    void Prepare_Combo_Column(int j, bool edit);
    void Prepare_Check_Box_Column(int j);
    void Prepare_Divider_Column(int j);
    void Install_Combo_Interception(int j);
    void Remove_Combo_Interception(int j);
    void Install_Grid_Interception();
    void Remove_Grid_Interception();
    // Selects the rectangle (row1, col1)-(row2, col2) with the grid's current cell at the first.
    void Select(int row1, int col1, int row2, int col2);

    void Mark_Changed(const std::string& name);
    // Asks the listeners whether the user's edit of a cell may go in (BeforeCellChange).
    bool Change_Allowed(int row, int col, const std::string& previous, const std::string& value);
    template <class Raise>
    void Raise_Event(Raise raise) {
        auto listeners = listeners_;
        for (auto* l : listeners) raise(*l);
    }

    // Declared before platform_, which refers to it: every message goes through its catalogue.
    std::unique_ptr<Catalogued_Platform> catalogued_platform_;
    Platform& platform_;
    Host_Grid grid_;
    std::unique_ptr<Text_Box> text_editor_;
    Widget_Array<Combo_Box> combo_editor_;
    Widget_Array<Command_Button> popup_editor_;
    std::vector<std::unique_ptr<Text_Box>> tab_focus_;
    std::unique_ptr<Picture_Box> checkbox_on_, checkbox_off_, picture1_, pic_line_, arrow_green_,
        arrow_gray_;
    Widget_Array<Picture_Box> vertical_gridline_;
    std::unique_ptr<Text_Box> text1_, text2_;
    std::unique_ptr<Timer> timer1_;
    Host_Form* parent_form_ = nullptr;  // not owned
    int closing_token_ = 0;
    std::vector<vekGRID_Events*> listeners_;  // not owned

    Variant_Array column_properties_{0, Col_Attr::Last, 0, 0};
    Variant row_color_odd_ = Variant::From_Unsigned(0xCFFFFF);
    Variant row_color_even_ = Variant::From_Unsigned(0xFFFFFF);
    std::int32_t return_key_behavior_ = Changes_Col;
    bool read_only_ = false;
    bool enter_new_row_ = false;
    std::int32_t gridline_draw_ = Both;
    bool allow_new_rows_ = true;
    bool left_col_always_visible_ = true;
    bool updating_grid_ = false;
    bool suppress_cell_events_ = false;
    bool suppress_combo_dropdown_ = false;
    Color back_color_ = Colors::Button_Face;
    std::vector<std::intptr_t> combo_window_handle_ =
        std::vector<std::intptr_t>(Max_Intercepted_Column + 1);
    std::vector<std::intptr_t> combo_list_window_handle_ =
        std::vector<std::intptr_t>(Max_Intercepted_Column + 1);
    std::vector<std::intptr_t> combo_old_window_procedure_ =
        std::vector<std::intptr_t>(Max_Intercepted_Column + 1);
    std::vector<std::intptr_t> combo_list_old_window_procedure_ =
        std::vector<std::intptr_t>(Max_Intercepted_Column + 1);
    std::intptr_t grid_old_window_procedure_ = 0;
    vekgrid::Equation_Mask equation_mask_{grid_};
    std::int32_t previous_row_ = 0, previous_col_ = 0;
    bool ignore_cell_change_ = false;
    bool adding_item_ = false;
    bool control_has_focus_ = false;
    bool skip_next_key_ = false;
    std::string last_direction_;
    std::string copied_row_text_;
    std::vector<std::string> copied_row_fields_;
    double copied_row_index_ = 0;
    bool paste_in_progress_ = false;
    double combo_list_position_ = 0;
    // The item the entry picked by itself for a cell text not in the list; leaving with it
    // still picked leaves the cell as it was.
    std::optional<std::string> combo_picked_for_unlisted_;
    double mouse_x_ = 0, mouse_y_ = 0;
    // Kept only for the property bag.
    Variant current_cell_data_ = Variant(std::int16_t{0});
    std::string focus_cell_text_ = "\"";
    Variant cell_back_color_ = Variant(std::int16_t{0});
    bool frame_visible_ = true;
    bool cell_change_pending_ = false;
    std::string pending_previous_value_;

    // Editing and navigation
    enum class Heading { None, Left, Right, Up, Down };
    // Set by a key just before it moves the current cell: the way on past cells that take no
    // editor. Without it the way is read from the cell last left.
    Heading move_heading_ = Heading::None;
    // Column 1 carries the frozen look (a second fixed column, grey and bold).
    bool column_one_frozen_ = false;
    // A data cell that shows and is neither a divider nor blocked.
    bool Takes_Editor(int row, int col) const;
    // Where an entry into (row, col), a cell that takes no editor, goes on to; none when no
    // cell on the way can take the editor.
    std::optional<std::pair<int, int>> Landing(int row, int col, Heading heading) const;
    // The grid rests where no editor can be: editors hidden, CurrentRow and CurrentCol 0.
    void No_Active_Editor();
    // After a host call that moved the grid's current cell or blocked the cell being edited:
    // what was typed goes into its own cell, and the editor follows the grid's current cell
    // without moving it, or goes when that cell takes none.
    void Resettle_Editor();
    void Style_Column_One(bool frozen);
    // The text editor's text as a cell may take it from the user.
    std::string Typed_Text() const;
    // The bottom edge of the last row, in the grid's coordinates.
    long long Rows_Bottom() const;
    int Previous_Shown_Row(int row) const;
    // File exchange
    // Loads records (a record: a line's fields) into fresh columns and rows. `records` is
    // how many the reader gives; `header` the one naming the columns; rows before it stay
    // empty. Failures show the "Grid Error" box.
    void Load_Records(Record_Reader& reader, size_t records, size_t header,
                      std::int16_t& Num_Left_Align_Columns);
    // Reads and checks a file, then hands it to Load_Records; failures show the Load_File box.
    void Load_Text(const std::string& path, std::int16_t left, bool csv);
    // Columns for the titles, all at once: the same columns Add_Column makes one by one.
    void Add_Loaded_Columns(const std::vector<std::string>& titles, std::int16_t left,
                            const std::vector<std::pair<bool, bool>>& formula_settings);
    // Commits what the user typed into the editor open over the current cell and raises its
    // CellChanged at once: a save must hold what the user sees, and a sort must land the text
    // in the row it was typed into. A stale editor (text the cell already holds) commits nothing.
    void Commit_Open_Edit();
    // Writes the grid's rows through `row_text(row, line)` atomically to path.
    bool Save_Rows(const std::string& path, std::string_view preamble,
                   const std::function<void(int, std::string&)>& row_text);
    // The text of a cell in a file: formula columns give their sources.
    const std::string& File_Text(int row, int col, const std::vector<bool>& formula,
                                 std::string& scratch) const;
    std::string last_file_error_;
    // --- Selection, clipboard and undo (private) ---
    Undo_Journal::Cell Journal_Cell() const { return {grid_.Row(), grid_.Col()}; }
    // Selection, clipboard, fill and undo keys; true when the key was taken.
    bool Sheet_Key(std::int16_t& KeyCode, std::int16_t Shift);
    void Extend_Selection(int key, bool to_edge);
    // What a many-cell write needs of a column, looked up once rather than per cell.
    struct Column_Facts {
        std::int32_t editor;
        bool read_only, formula, variables;
    };
    std::vector<Column_Facts> Facts_Of_Columns(int first, int last) const;
    // Puts a user's text into a data cell unless the cell takes none (see Paste_Text); a cell
    // that changed goes into changes with its old and new entries.
    bool Put_User_Text(int row, int col, const std::string& text, const Column_Facts& column,
                       Cell_Changes& changes);
    // After cells were written under the editor: it shows them, and the changes are raised.
    void Finish_Cell_Writes(const Cell_Changes& changes, const std::vector<int>& progress_columns);
    void Commit_Open_Editor();
    void Apply_Replay(const Undo_Journal::Replay& replay);
    void Set_Check_Image(int row, int col);
    Cell_Range Data_Range() const;
    // The cell the range grows from: the editor's cell, else the grid's current cell.
    std::pair<int, int> Anchor() const;
    // The far corner of the range and the current cell it belongs to; the range is valid
    // while the current cell is still that cell.
    Cell_Range sel_range_;
    std::int32_t sel_far_row_ = 0, sel_far_col_ = 0;
    std::int32_t sel_cursor_row_ = -1, sel_cursor_col_ = -1;
    // Last: it hooks into the grid and the source store, and lets go of them first.
    Undo_Journal journal_{grid_, equation_mask_};
};

}  // namespace vekgrid
