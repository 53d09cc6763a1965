#include <fcntl.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/exchange/records.h"
#include "vekgrid/exchange/safe_file.h"
#include "vekgrid/formula/math_parser.h"
#include "vekgrid/formula/text_to_double.h"

namespace vekgrid {

namespace {
constexpr char kDefaultTitle[] = "Vekgrid_Lib";
constexpr char kLoadFileMessage[] =
    "An error occured while attempting to read in the file.  Load_File() function of vekGRID.";
constexpr char kGridErrorMessage[] =
    "An error occured in the Load_Single_Array() procedure of the vekGRID control.\r\n"
    "Please contact VEK for support.";
constexpr int kCellsBetweenEvents = 1024;  // keeps the host responsive without a call per cell
// A file is read whole before the grid is built; past this size, counted as it is read (a file
// may grow meanwhile), it is refused.
constexpr size_t kMaxFileBytes = size_t{256} << 20;
// Column numbers reach hosts as 16-bit values.
constexpr size_t kMaxColumns = 32767;
// Short lines pad to the header's width; cells beyond this many per byte of file (plus an
// allowance for small files) would be memory the file cannot account for.
constexpr size_t kCellsPerByte = 2;
constexpr size_t kCellAllowance = size_t{1} << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A load that cannot go on, with the reason the host can read back.
struct File_Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

Variant One_Dimensional(const std::vector<std::string>& items, int lower) {
    auto array =
        std::make_shared<Variant_Array>(0, 0, lower, lower + static_cast<int>(items.size()) - 1);
    for (size_t i = 0; i < items.size(); ++i) (*array)(0, lower + static_cast<int>(i)) = items[i];
    return Variant(Array_Ref(array));
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// The whole of a regular file, at most kMaxFileBytes as actually read.
std::string Read_File(const std::string& path) {
    Fd file;
    // Non-blocking, so a FIFO named by mistake is refused instead of waited on.
    file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (file.fd < 0) throw File_Error("cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        throw File_Error("cannot read " + path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw File_Error(path + " is not a regular file");
    const auto flags = ::fcntl(file.fd, F_GETFL);
    if (flags >= 0) ::fcntl(file.fd, F_SETFL, flags & ~O_NONBLOCK);
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes)
        throw File_Error(path + " is larger than 256 MiB");
    std::string text;
    // One byte more than the file's size, so a file that grew is noticed without a regrowth.
    text.resize(static_cast<size_t>(st.st_size) + 1);
    size_t used = 0;
    for (;;) {
        if (used == text.size()) {
            if (text.size() > kMaxFileBytes) throw File_Error(path + " is larger than 256 MiB");
            text.resize(std::min(text.size() * 2, kMaxFileBytes + 1));
        }
        const ssize_t n = ::read(file.fd, text.data() + used, text.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw File_Error("cannot read " + path + ": " + std::strerror(errno));
        }
        if (n == 0) break;
        used += static_cast<size_t>(n);
    }
    if (used > kMaxFileBytes) throw File_Error(path + " is larger than 256 MiB");
    text.resize(used);
    text.shrink_to_fit();
    return text;
}

size_t Count(std::string_view text, char c) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), c));
}

// Fields of a CSV record, quoted where they must be.
void Append_Csv_Field(std::string& out, std::string_view field, bool quote_empty) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos &&
        !(quote_empty && field.empty())) {
        out += field;
        return;
    }
    out += '"';
    for (char ch : field) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}
}  // namespace

Variant vekGRID::Dump_Contents() const {
    const int rows = grid_.Rows(), cols = grid_.Cols();
    auto array = std::make_shared<Variant_Array>(1, rows - 1, 1, cols - 1);
    for (int r = 1; r < rows; ++r)
        for (int c = 1; c < cols; ++c) (*array)(r, c) = grid_.TextMatrix(r, c);
    return Variant(Array_Ref(array));
}

// Formula columns give their source texts, so formulas survive a round trip through text.
const std::string& vekGRID::File_Text(int row, int col, const std::vector<bool>& formula,
                                      std::string& scratch) const {
    if (row >= 1 && formula[static_cast<size_t>(col)]) return scratch = Mask_Text(row, col);
    return grid_.TextMatrix(row, col);
}

namespace {
std::vector<bool> Formula_Columns(int cols, const std::function<bool(int)>& flag) {
    std::vector<bool> formula(static_cast<size_t>(std::max(cols, 1)));
    for (int c = 1; c < cols; ++c) formula[static_cast<size_t>(c)] = flag(c);
    return formula;
}
}  // namespace

Variant vekGRID::Dump_Into_Single_Array(std::int32_t Delimiter) const {
    const std::string separator = Delimiter == Tab_Delimited          ? "\t"
                                  : Delimiter == Semi_Colon_Delimited ? ";"
                                                                      : "";
    const auto formula =
        Formula_Columns(grid_.Cols(), [&](int c) { return Column_Flag(Col_Attr::Formula, c); });
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(grid_.Rows()));
    std::string scratch;
    for (int r = 0; r < grid_.Rows(); ++r) {
        std::string line;
        for (int c = 1; c < grid_.Cols(); ++c) {
            if (c > 1) line += separator;
            line += File_Text(r, c, formula, scratch);
        }
        lines.push_back(std::move(line));
    }
    return One_Dimensional(lines, 1);
}

// What the user typed into the open editor is what a Save shortcut means to keep. Only an
// editor showing over its cell with a text the cell does not hold yet is committed, so a
// stale editor never overwrites what the host wrote.
void vekGRID::Commit_Open_Edit() {
    const int r = CurrentRow, k = CurrentCol;
    if (r < 1 || k < 1 || r >= grid_.Rows() || k >= grid_.Cols()) return;
    bool open = false;
    std::string text;
    switch (Column_Editor(k)) {
        case TextBox:
        case ProgressBar:
        case PopUp:
            open = text_editor_->Visible();
            text = text_editor_->Text();
            break;
        case ComboBox:
            open = combo_editor_.Exists(k) && combo_editor_(k).Visible();
            if (open) text = Combo_Choice(k);
            break;
        default:
            break;
    }
    if (open && text != Mask_Text(r, k)) Commit_On_Focus_Loss();  // raises CellChanged at once
}

bool vekGRID::Save_Rows(const std::string& path, std::string_view preamble,
                        const std::function<void(int, std::string&)>& row_text) {
    last_file_error_.clear();
    try {
        Safe_File_Writer out(path);
        out.Write(preamble);
        std::string line;
        for (int r = 0; r < grid_.Rows() && out.Ok(); ++r) {
            line.clear();
            row_text(r, line);
            line += "\r\n";
            out.Write(line);
        }
        if (out.Commit()) return true;
        last_file_error_ = out.Error();
    } catch (const std::bad_alloc&) {
        last_file_error_ = "out of memory";
    } catch (const std::exception& e) {
        last_file_error_ = e.what();
    }
    return false;
}

// Silent on failure, as hosts expect of it; the result and Last_File_Error() tell the host.
bool vekGRID::Write_File(const std::string& Pathname, std::int32_t Delimiter) {
    Ignore_Errors([&] { Commit_Open_Edit(); });
    const std::string separator = Delimiter == Tab_Delimited          ? "\t"
                                  : Delimiter == Semi_Colon_Delimited ? ";"
                                                                      : "";
    const auto formula =
        Formula_Columns(grid_.Cols(), [&](int c) { return Column_Flag(Col_Attr::Formula, c); });
    std::string scratch;
    return Save_Rows(Pathname, {}, [&](int r, std::string& line) {
        for (int c = 1; c < grid_.Cols(); ++c) {
            if (c > 1) line += separator;
            line += File_Text(r, c, formula, scratch);
        }
    });
}

bool vekGRID::Write_Csv(const std::string& Pathname, bool Byte_Order_Mark) {
    Ignore_Errors([&] { Commit_Open_Edit(); });
    const auto formula =
        Formula_Columns(grid_.Cols(), [&](int c) { return Column_Flag(Col_Attr::Formula, c); });
    // With one column an empty cell would make an empty line, which readers skip; quoted, it
    // stays a record.
    const bool one_column = grid_.Cols() == 2;
    std::string scratch;
    return Save_Rows(Pathname, Byte_Order_Mark ? kByteOrderMark : std::string_view(),
                     [&](int r, std::string& line) {
                         for (int c = 1; c < grid_.Cols(); ++c) {
                             if (c > 1) line += ',';
                             Append_Csv_Field(line, File_Text(r, c, formula, scratch), one_column);
                         }
                     });
}

void vekGRID::Load_File(const std::string& Pathname, std::int16_t Number_Of_Left_Align_Columns) {
    Load_Text(Pathname, Number_Of_Left_Align_Columns, false);
}

void vekGRID::Load_Csv(const std::string& Pathname, std::int16_t Number_Of_Left_Align_Columns) {
    Load_Text(Pathname, Number_Of_Left_Align_Columns, true);
}

// The file is read and checked before the grid is emptied: a file that cannot be loaded
// leaves the grid and its unsaved edits as they were.
void vekGRID::Load_Text(const std::string& path, std::int16_t left, bool csv) {
    last_file_error_.clear();
    std::string text;
    std::string_view body;
    size_t records = 0, header = 0;
    char delimiter = csv ? ',' : '\t';
    try {
        text = Read_File(path);
        body = text;
        if (body.starts_with(kByteOrderMark)) body.remove_prefix(kByteOrderMark.size());
        if (!body.empty()) {
            // Empty lines at the end carry no cell: they make no rows, however many there are.
            body = Without_Trailing_Empty_Lines(body);
            std::vector<std::string_view> fields;
            size_t width = 0;
            if (csv) {
                Csv_Reader counter(body);
                while (counter.Next(fields)) {
                    if (records == 0) width = fields.size();
                    ++records;
                }
            } else {
                Line_Reader lines(body, delimiter);
                std::string_view line;
                lines.Next_Line(line);
                if (Count(line, ';') > Count(line, '\t')) delimiter = ';';
                // The first line of two or more fields names the columns; with none, the first.
                Line_Reader scan(body, delimiter);
                for (size_t i = 0; scan.Next_Line(line); ++i)
                    if (line.find(delimiter) != std::string_view::npos) {
                        header = i;
                        break;
                    }
                Line_Reader titles(body, delimiter);
                for (size_t i = 0; i <= header; ++i) titles.Next_Line(line);
                width = Count(line, delimiter) + 1;
                records = Count(body, '\n') + 1;
            }
            if (width > kMaxColumns) throw File_Error(path + " has more than 32,767 columns");
            const size_t cells = (records - header - 1) * width;
            if (cells / kCellsPerByte > text.size() + kCellAllowance / kCellsPerByte)
                throw File_Error(path + " has far more cells than its text holds");
        }
    } catch (const std::bad_alloc&) {
        last_file_error_ = "out of memory";
    } catch (const std::exception& e) {
        last_file_error_ = e.what();
    }
    if (!last_file_error_.empty()) {
        platform_.Messages().MsgBox(kLoadFileMessage, Msg::OK_Only, kDefaultTitle);
        return;
    }
    Ignore_Errors([&] { grid_.Clear(); });
    Ignore_Errors([&] { grid_.Rows(1); });
    Ignore_Errors([&] { grid_.Cols(1); });
    Resize_Equation_Mask(0, 0);  // the mask follows the emptied grid, even if the load fails
    if (csv) {
        Csv_Reader reader(body);
        Load_Records(reader, records, header, left);
    } else {
        Line_Reader reader(body, delimiter);
        Load_Records(reader, records, header, left);
    }
    // A text this size is often cut from memory an earlier grid gave back, inside the heap
    // rather than mapped on its own; freed there, it would stay resident beside the grid it
    // filled. Handing the free pages back keeps what a load leaves behind to the grid itself.
    std::string().swap(text);
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void vekGRID::Load_Single_Array(const Variant& LoadArray, std::int16_t& Num_Left_Align_Columns) {
    if (Num_Left_Align_Columns == 0) Num_Left_Align_Columns = 1;
    // Lines count from the array's lower bound, whatever it is: the first one is row 0.
    std::vector<std::string> lines;
    try {
        const Variant_Array& array = *LoadArray.To_Array();
        for (int i = array.Lower(2); i <= array.Upper(2); ++i)
            lines.push_back(array(array.Lower(1), i).To_Text());
    } catch (...) {
        platform_.Messages().MsgBox(kGridErrorMessage,
                                    Msg::OK_Only | Msg::Critical | Msg::System_Modal, "Grid Error");
        return;
    }
    Load_Single_Array(lines, Num_Left_Align_Columns);
}

void vekGRID::Load_Single_Array(const std::vector<std::string>& lines,
                                std::int16_t& Num_Left_Align_Columns) {
    char delimiter = '\t';
    size_t header = 0;
    if (!lines.empty()) {
        const std::string& first = lines.front();
        if (Count(first, ';') > Count(first, '\t')) delimiter = ';';
        while (header < lines.size() && lines[header].find(delimiter) == std::string::npos)
            ++header;
        if (header == lines.size()) header = 0;  // one column: its first line names it
    }
    Lines_Reader reader(lines, delimiter);
    Load_Records(reader, lines.size(), header, Num_Left_Align_Columns);
}

void vekGRID::Add_Loaded_Columns(const std::vector<std::string>& titles, std::int16_t left,
                                 const std::vector<std::pair<bool, bool>>& formula_settings) {
    constexpr int kHeaderHeight = 450;  // as Add_Column styles the header
    const int n = static_cast<int>(titles.size());
    text2_->Visible(platform_.Design_Mode());
    column_properties_.Resize_Second(n);
    for (int j = 1; j <= n; ++j) {
        const size_t f = static_cast<size_t>(j - 1);
        vekColumn column;
        column.Title(titles[f]);
        column.Cell_Alignment(j - 1 >= left ? Center_Align : Left_Align);
        if (f < formula_settings.size()) {
            column.Allow_Formula_Input(formula_settings[f].first);
            column.Allow_User_Defined_Variables(formula_settings[f].second);
        }
        Store_Column_Attributes(j, column, false);
        if (read_only_) {
            column_properties_(Col_Attr::Read_Only, j) = true;
            column_properties_(Col_Attr::PopUp_Cell_Editing, j) = true;
            column_properties_(Col_Attr::Variables, j) = true;
        }
    }
    grid_.Cols(n + 1);
    grid_.FixedCols(1);
    for (int j = 1; j <= n; ++j) {
        grid_.Put_Text(0, j, column_properties_(Col_Attr::Title, j).To_Text());
        grid_.ColWidth(j, column_properties_(Col_Attr::Width, j).To_Long());
        grid_.ColAlignment(j, column_properties_(Col_Attr::Alignment, j).To_Long());
    }
    // The header row styled in one fill, as adding the columns one by one leaves it.
    grid_.FillStyle(1);
    Select(0, 0, 0, n);
    grid_.CellFontBold(true);
    grid_.CellBackColor(Colors::Header);
    grid_.CellAlignment(Align::Center);
    grid_.FillStyle(0);
    grid_.RowHeight(0, kHeaderHeight);
    grid_.WordWrap(true);
}

void vekGRID::Load_Records(Record_Reader& reader, size_t records, size_t header,
                           std::int16_t& Num_Left_Align_Columns) {
    if (Num_Left_Align_Columns == 0) Num_Left_Align_Columns = 1;
    bool shaped = false;                 // rows, columns and formula store agree on the loaded size
    const bool redraw = grid_.Redraw();  // given back as the host had it
    try {
        if (records == 0) throw File_Error("no lines");
        if (records > static_cast<size_t>(std::numeric_limits<int>::max()))
            throw File_Error("too many lines");
        Ignore_Errors([&] { Hide_Editors(); });
        grid_.Redraw(false);
        grid_.Visible(false);
        // The formula settings of the columns being replaced carry over to the new columns at
        // the same place, so a table written out and loaded back gets its formulas evaluated.
        std::vector<std::pair<bool, bool>> formula_settings;
        for (int c = 1; c <= column_properties_.Upper(2); ++c)
            formula_settings.emplace_back(Column_Flag(Col_Attr::Formula, c),
                                          Column_Flag(Col_Attr::Variables, c));
        for (int index : combo_editor_.Indices()) {
            Ignore_Errors([&] { Remove_Combo_Interception(index); });
            Ignore_Errors([&] { combo_editor_.Unload(index); });
        }
        column_properties_ = Variant_Array(0, Col_Attr::Last, 0, 0);
        grid_.Rows(1);
        grid_.Cols(1);
        Resize_Equation_Mask(0, 0);
        timer1_->Interval(400);
        timer1_->Enabled(true);

        std::vector<std::string_view> fields;
        for (size_t i = 0; i <= header; ++i)
            if (!reader.Next(fields)) throw File_Error("fewer lines than counted");
        if (fields.size() > kMaxColumns) throw File_Error("more than 32,767 columns");
        const std::vector<std::string> titles(fields.begin(), fields.end());
        updating_grid_ = true;
        Add_Loaded_Columns(titles, Num_Left_Align_Columns, formula_settings);
        // One allocation of every row at its full width; it happens whole or not at all.
        grid_.Rows_All_Or_Nothing(static_cast<int>(records));
        Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                             static_cast<std::int32_t>(grid_.Cols() - 1));
        if (grid_.Rows() > 1 && (equation_mask_.Rows() != grid_.Rows() - 1 ||
                                 equation_mask_.Cols() != grid_.Cols() - 1))
            throw std::bad_alloc();  // the store could not follow
        shaped = true;

        const size_t width = titles.size();
        std::vector<char> formula(width), variables(width);
        for (size_t f = 0; f < width; ++f) {
            formula[f] = Column_Flag(Col_Attr::Formula, static_cast<int>(f) + 1);
            variables[f] = Column_Flag(Col_Attr::Variables, static_cast<int>(f) + 1);
        }
        int since_events = 0;
        for (size_t i = header + 1; i < records && reader.Next(fields); ++i) {
            const int r = static_cast<int>(i);
            const size_t count = std::min(fields.size(), width);
            for (size_t f = 0; f < count; ++f) {
                const int c = static_cast<int>(f) + 1;
                const std::string_view field = fields[f];
                if (formula[f] && field.find('=') != std::string_view::npos) {
                    std::string source(field);
                    grid_.Put_Text(r, c,
                                   variables[f]
                                       ? Evaluate_Formula(source, platform_.Messages(),
                                                          User_Defined_Variable_Array)[0]
                                       : Evaluate_Formula(source, platform_.Messages())[0]);
                } else if (formula[f] && field.find('-') != std::string_view::npos) {
                    grid_.Put_Text(
                        r, c,
                        Convert_Feet_Inches(std::string(field), platform_.Messages()).To_Text());
                } else {
                    grid_.Put_Text(r, c, std::string(field));
                }
                // The entry goes in after the cell's text: the same end state as entry first,
                // without storing every plain text as a source only to drop it again.
                if (grid_.TextMatrix(r, c) != field) Set_Mask_Text(r, c, std::string(field));
                if (++since_events == kCellsBetweenEvents) {
                    since_events = 0;
                    platform_.Do_Events();
                }
            }
        }
        std::int32_t renumber = 0;
        Format_All_Rows(renumber);
        grid_.Visible(true);
        if (grid_.Rows() > 1 && grid_.Cols() > 1) {
            grid_.Row(1);
            grid_.Col(1);
        }
        grid_.LeftCol(1);
        updating_grid_ = false;
        grid_.Redraw(redraw);
        if (grid_.Rows() > 1) Ignore_Errors([&] { GridEditor_EnterCell(); });
    } catch (const std::exception& e) {
        last_file_error_ = dynamic_cast<const std::bad_alloc*>(&e) ? "out of memory" : e.what();
        // What was filled stays when rows, columns and formula store agree; otherwise the
        // grid goes back to empty, which they always agree on.
        if (!shaped) {
            Ignore_Errors([&] { column_properties_ = Variant_Array(0, Col_Attr::Last, 0, 0); });
            Ignore_Errors([&] { grid_.Rows(1); });
            Ignore_Errors([&] { grid_.Cols(1); });
            Resize_Equation_Mask(0, 0);
        }
        updating_grid_ = false;
        Ignore_Errors([&] { grid_.Visible(true); });
        Ignore_Errors([&] { grid_.Redraw(redraw); });
        // Whatever stands now is not the cell an open editor was over.
        Ignore_Errors([&] { Hide_Editors(); });
        CurrentRow = CurrentCol = 0;
        cell_change_pending_ = false;
        platform_.Messages().MsgBox(kGridErrorMessage,
                                    Msg::OK_Only | Msg::Critical | Msg::System_Modal, "Grid Error");
    }
}

}  // namespace vekgrid
