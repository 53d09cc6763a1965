#include <filesystem>
#include <fstream>
#include <iterator>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"
#include "vekgrid/formula/math_parser.h"
#include "vekgrid/formula/text_to_double.h"

namespace vekgrid {

namespace {
constexpr char kDefaultTitle[] = "Vekgrid_Lib";
constexpr int kCellsBetweenEvents = 1024;  // keeps the host responsive without a call per cell
// Load_File reads the whole file before it builds the grid; past this size it refuses the file
// up front rather than hold it, its lines and the grid in memory at once.
constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{256} << 20;

Variant One_Dimensional(const std::vector<std::string>& items, int lower) {
    auto array =
        std::make_shared<Variant_Array>(0, 0, lower, lower + static_cast<int>(items.size()) - 1);
    for (size_t i = 0; i < items.size(); ++i) (*array)(0, lower + static_cast<int>(i)) = items[i];
    return Variant(Array_Ref(array));
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
std::vector<std::string> vekGRID::Delimited_Lines(std::int32_t delimiter) const {
    const std::string separator = delimiter == Tab_Delimited          ? "\t"
                                  : delimiter == Semi_Colon_Delimited ? ";"
                                                                      : "";
    std::vector<bool> formula(static_cast<size_t>(std::max(grid_.Cols(), 1)));
    for (int c = 1; c < grid_.Cols(); ++c)
        formula[static_cast<size_t>(c)] = Column_Flag(Col_Attr::Formula, c);
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(grid_.Rows()));
    for (int r = 0; r < grid_.Rows(); ++r) {
        std::string line;
        for (int c = 1; c < grid_.Cols(); ++c) {
            if (c > 1) line += separator;
            line += r >= 1 && formula[static_cast<size_t>(c)] ? Mask_Text(r, c)
                                                              : grid_.TextMatrix(r, c);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

Variant vekGRID::Dump_Into_Single_Array(std::int32_t Delimiter) const {
    return One_Dimensional(Delimited_Lines(Delimiter), 1);
}

// Silent on failure, as hosts expect of it; the lines go to a temporary file next to the
// target first, so a failed write never leaves a half-written file in its place.
void vekGRID::Write_File(const std::string& Pathname, std::int32_t Delimiter) {
    try {
        const std::filesystem::path target(Pathname);
        auto temporary = target;
        temporary += ".vekgrid-tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            if (!out) return;
            for (const auto& line : Delimited_Lines(Delimiter)) out << line << "\r\n";
            out.flush();
            if (!out) {
                out.close();
                std::filesystem::remove(temporary);
                return;
            }
        }
        std::error_code ec;
        std::filesystem::rename(temporary, target, ec);
        if (ec) std::filesystem::remove(temporary, ec);
    } catch (...) {
    }
}

void vekGRID::Load_File(const std::string& Pathname, std::int16_t Number_Of_Left_Align_Columns) {
    try {
        Ignore_Errors([&] { grid_.Clear(); });
        grid_.Rows(1);
        grid_.Cols(1);
        Resize_Equation_Mask(0, 0);  // the mask follows the emptied grid, even if the load fails
        if (std::filesystem::is_directory(Pathname)) throw Error("a folder is no file");
        if (std::filesystem::file_size(Pathname) > kMaxFileBytes) throw Error("file too large");
        std::ifstream in(Pathname, std::ios::binary);
        if (!in) throw Error("cannot open");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) throw Error("cannot read");
        if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // UTF-8 byte-order mark
        // Lines end at CR LF or at LF alone; the last one may have no ending.
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            size_t stop = end == std::string::npos ? text.size() : end;
            size_t length = stop - start;
            if (length > 0 && text[start + length - 1] == '\r') --length;
            lines.push_back(text.substr(start, length));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        text.clear();
        if (lines.empty()) return;  // an empty file leaves an empty grid
        Load_Single_Array(lines, Number_Of_Left_Align_Columns);
    } catch (...) {
        platform_.Messages().MsgBox(
            "An error occured while attempting to read in the file.  Load_File() function of "
            "vekGRID.",
            Msg::OK_Only, kDefaultTitle);
    }
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
        platform_.Messages().MsgBox(
            "An error occured in the Load_Single_Array() procedure of the vekGRID control.\r\n"
            "Please contact VEK for support.",
            Msg::OK_Only | Msg::Critical | Msg::System_Modal, "Grid Error");
        return;
    }
    Load_Single_Array(lines, Num_Left_Align_Columns);
}

void vekGRID::Load_Single_Array(const std::vector<std::string>& lines,
                                std::int16_t& Num_Left_Align_Columns) {
    if (Num_Left_Align_Columns == 0) Num_Left_Align_Columns = 1;
    try {
        if (lines.empty()) throw Error("no lines");
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
        timer1_->Interval(400);
        timer1_->Enabled(true);

        const std::string& first = lines.front();
        const char delimiter = Split(first, ';').size() > Split(first, '\t').size() ? ';' : '\t';
        size_t header = 0;
        while (header < lines.size() && Split(lines[header], delimiter).size() < 2) ++header;
        if (header == lines.size()) header = 0;  // a file of one column: its first line names it
        const std::vector<std::string> titles = Split(lines[header], delimiter);
        for (size_t f = 0; f < titles.size(); ++f) {
            vekColumn column;
            column.Title(titles[f]);
            column.Cell_Alignment(static_cast<int>(f) >= Num_Left_Align_Columns ? Center_Align
                                                                                : Left_Align);
            if (f < formula_settings.size()) {
                column.Allow_Formula_Input(formula_settings[f].first);
                column.Allow_User_Defined_Variables(formula_settings[f].second);
            }
            Add_Column(column);
        }
        updating_grid_ = true;
        grid_.Rows(static_cast<int>(lines.size()));
        Resize_Equation_Mask(static_cast<std::int32_t>(grid_.Rows() - 1),
                             static_cast<std::int32_t>(grid_.Cols() - 1));
        const size_t width = titles.size();
        int since_events = 0;
        for (size_t i = header + 1; i < lines.size(); ++i) {
            const int r = static_cast<int>(i);
            std::vector<std::string> fields = Split(lines[i], delimiter);
            for (size_t f = 0; f < fields.size() && f < width; ++f) {
                const int c = static_cast<int>(f) + 1;
                std::string& field = fields[f];
                Set_Mask_Text(r, c, field);
                const bool formula = Column_Flag(Col_Attr::Formula, c);
                if (formula && field.find('=') != std::string::npos) {
                    std::string source = field;
                    grid_.TextMatrix(r, c,
                                     Column_Flag(Col_Attr::Variables, c)
                                         ? Evaluate_Formula(source, platform_.Messages(),
                                                            User_Defined_Variable_Array)[0]
                                         : Evaluate_Formula(source, platform_.Messages())[0]);
                } else if (formula && field.find('-') != std::string::npos) {
                    grid_.TextMatrix(r, c,
                                     Convert_Feet_Inches(field, platform_.Messages()).To_Text());
                } else {
                    grid_.TextMatrix(r, c, std::move(field));
                }
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
        grid_.Redraw(true);
        if (grid_.Rows() > 1) Ignore_Errors([&] { GridEditor_EnterCell(); });
    } catch (...) {
        updating_grid_ = false;
        grid_.Visible(true);
        grid_.Redraw(true);
        platform_.Messages().MsgBox(
            "An error occured in the Load_Single_Array() procedure of the vekGRID control.\r\n"
            "Please contact VEK for support.",
            Msg::OK_Only | Msg::Critical | Msg::System_Modal, "Grid Error");
    }
}

}  // namespace vekgrid
