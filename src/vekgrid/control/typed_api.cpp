// The typed host API: each member converts its arguments and calls the original member, so
// the two surfaces cannot drift apart.
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/number_text.h"
#include "vekgrid/common/text.h"
#include "vekgrid/control/vekgrid.h"

namespace vekgrid {

static_assert(static_cast<int>(Filter_Rows::Only_Hidden) == Filter_Only_Hidden &&
              static_cast<int>(Filter_Rows::Only_Visible) == Filter_Only_Visible &&
              static_cast<int>(Filter_Rows::All) == Filter_All);

namespace {
// The largest file the loader takes, as it reads it.
constexpr std::uintmax_t kMaxLoadBytes = std::uintmax_t{256} << 20;

std::int16_t To_Int16(int value) {
    return value < std::numeric_limits<std::int16_t>::min() ||
                   value > std::numeric_limits<std::int16_t>::max()
               ? std::int16_t{-1}
               : static_cast<std::int16_t>(value);
}

// Why a file cannot be loaded, checked before anything in the grid changes.
std::optional<std::string> Unloadable(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return path + ": no such file";
    if (fs::is_directory(status)) return path + ": is a folder, not a file";
    if (!fs::is_regular_file(status)) return path + ": not a regular file";
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return path + ": " + error.message();
    if (size > kMaxLoadBytes) return path + ": larger than 256 MiB";
    // The loader would empty the grid before finding no line to load.
    if (size == 0) return path + ": empty";
    if (!std::ifstream(path, std::ios::binary)) return path + ": cannot be read";
    return std::nullopt;
}

void Note(Result& result, std::vector<Captured_Message>& messages) {
    for (auto& m : messages) result.notices.push_back(std::move(m.text));
}
}  // namespace

vekColumn Column_Spec::To_Column() const {
    vekColumn column;
    column.Title(title);
    column.Editor_Type(Variant(static_cast<std::int32_t>(editor)));
    if (width) column.ColumnWidth(Variant(static_cast<std::int32_t>(*width)));
    column.ReadOnly(read_only);
    column.Cell_Alignment(static_cast<std::int32_t>(alignment));
    column.DataType(static_cast<std::int32_t>(data));
    column.ComboBox_List(combo_list);
    column.Combo_Includes_Popup(combo_includes_popup);
    column.PopUp_Allow_Cell_Editing(popup_cell_editing);
    column.Allow_Formula_Input(formulas);
    column.Allow_User_Defined_Variables(variables);
    column.ProgressBar_MinVal(bar_min);
    column.ProgressBar_MaxVal(bar_max);
    column.ProgressBar_Use_Gradient(bar_gradient);
    column.ProgressBar_AutoRange(bar_auto_range);
    column.ProgressBar_Use_Absolute_Range(bar_absolute_range);
    if (bar_color) column.ProgressBar_Color(Variant::From_Unsigned(bar_color->To_Ole()));
    return column;
}

// --- Cells ----------------------------------------------------------------------------------

std::string vekGRID::Cell(int row, int col) const {
    return grid_.TextMatrix(row, col);
}

void vekGRID::Cell(int row, int col, const std::string& text) {
    Cell_Text(row, col, text);
}

std::string vekGRID::Source(int row, int col) const {
    if (row < 0 || col < 0 || row >= grid_.Rows() || col >= grid_.Cols())
        throw Subscript_Out_Of_Range();
    return Mask_Text(row, col);
}

// --- Columns --------------------------------------------------------------------------------

int vekGRID::Add_Column(const vekColumn& column) {
    vekColumn copy = column;
    Add_Column(copy, false);
    return grid_.Cols() - 1;
}

int vekGRID::Add_Column(const Column_Spec& column) {
    return Add_Column(column.To_Column());
}

void vekGRID::Edit_Column(int col, const Column_Spec& column) {
    if (col < 1 || col >= grid_.Cols() || col > std::numeric_limits<std::int16_t>::max())
        throw Subscript_Out_Of_Range();
    vekColumn copy = column.To_Column();
    copy.Display_Index(static_cast<std::int16_t>(col));
    Add_Column(copy, true);
}

void vekGRID::Update_Combo_Box_List(const std::string& list, int col) {
    std::string copy = list;
    std::int16_t index = To_Int16(col);
    Update_Combo_Box_List(copy, index);
}

void vekGRID::Update_Progress_Column(int col) {
    std::int16_t index = To_Int16(col);
    Update_Progress_Column(index);
}

// --- Rows -----------------------------------------------------------------------------------

int vekGRID::Add_Row(const std::vector<std::string>& cells, std::optional<int> at) {
    std::string item;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) item += '\t';
        item += cells[i];
    }
    const int before = grid_.Rows();
    AddItem(item, at ? Variant(static_cast<std::int32_t>(*at)) : Variant());
    if (grid_.Rows() == before) return -1;
    return at ? *at : grid_.Rows() - 1;
}

bool vekGRID::Delete_Row_At(int row, bool renumber) {
    const int before = grid_.Rows();
    Delete_Row(row, renumber);
    return grid_.Rows() < before;
}

bool vekGRID::Duplicate_Row(int row, int at) {
    const int before = grid_.Rows();
    Copy_Row_To_New_Row(Variant(static_cast<std::int32_t>(row)),
                        Variant(static_cast<std::int32_t>(at)));
    return grid_.Rows() > before;
}

bool vekGRID::Hide_Row_At(int row) {
    if (row < 1 || row >= grid_.Rows()) return false;
    Hide_Row(row);
    return true;
}

bool vekGRID::Row_Hidden(int row) const {
    return row >= 0 && row < grid_.Rows() && grid_.RowHeight(row) < 1;
}

void vekGRID::Hide_Rows() {
    Hide_All_Rows();
}

void vekGRID::Show_Rows() {
    Show_All_Rows();
}

// --- Ordering and filtering -----------------------------------------------------------------

void vekGRID::Sort(int col, Sort_Direction direction) {
    if (col < 0 || col >= grid_.Cols() || col > std::numeric_limits<std::int16_t>::max())
        return;  // -1 would mean the column under the pointer
    if (grid_.Rows() < 3) {
        Sort_Grid(static_cast<std::int16_t>(col));
        return;
    }
    // Sort_Grid picks the direction from the column's ends; when it picked the other one, a
    // second call turns the order round. Compared as the grid sorts: as numbers when both ends
    // are numbers, else as text without case.
    auto order = [&] {
        const std::string& first = grid_.TextMatrix(1, col);
        const std::string& last = grid_.TextMatrix(grid_.Rows() - 1, col);
        const auto a = Parse_Number(first), b = Parse_Number(last);
        if (a && b) return *a < *b ? -1 : *a > *b ? 1 : 0;
        const auto fold = [](const std::string& text) {
            std::string folded = text;
            for (char& c : folded)
                c = static_cast<char>(Ascii_Lower(static_cast<unsigned char>(c)));
            return folded;
        };
        const std::string x = fold(first), y = fold(last);
        return x < y ? -1 : x > y ? 1 : 0;
    };
    Sort_Grid(static_cast<std::int16_t>(col));
    const int shown = order();
    if ((direction == Sort_Direction::Ascending && shown > 0) ||
        (direction == Sort_Direction::Descending && shown < 0))
        Sort_Grid(static_cast<std::int16_t>(col));
}

void vekGRID::Filter(const std::vector<Filter_Rule>& rules, Filter_Rows among, bool match_all) {
    // The filter table: (k, 1) the phrase, (k, 2) "INCLUDE" or "EXCLUDE", (k, 3) the column.
    auto table = std::make_shared<Variant_Array>(1, static_cast<int>(rules.size()), 1, 3);
    for (size_t i = 0; i < rules.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        (*table)(k, 1) = Variant(rules[i].phrase);
        (*table)(k, 2) = Variant(rules[i].include ? "INCLUDE" : "EXCLUDE");
        (*table)(k, 3) = Variant(static_cast<std::int32_t>(rules[i].column));
    }
    Filter_Grid(Variant(table), static_cast<std::int32_t>(among), false, match_all);
}

void vekGRID::Clear_Filter() {
    Filter_Grid(Variant(), Filter_All, true);
}

// --- Variables ------------------------------------------------------------------------------

void vekGRID::Set_Variables(const Variable_Table& variables) {
    if (variables.empty()) {
        Update_User_Defined_Variable_List(Variant());
        return;
    }
    // (1, k) a name, (2, k) its value, k from 1.
    auto table = std::make_shared<Variant_Array>(0, 2, 0, static_cast<int>(variables.size()));
    for (size_t i = 0; i < variables.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        (*table)(1, k) = Variant(variables[i].first);
        (*table)(2, k) = Variant(variables[i].second);
    }
    Update_User_Defined_Variable_List(Variant(table));
}

Variable_Table vekGRID::Variable_Values() const {
    Variable_Table out;
    if (!User_Defined_Variable_Array.Is_Array()) return out;
    const Variant_Array& table = *User_Defined_Variable_Array.To_Array();
    if (table.Lower(1) > 1 || table.Upper(1) < 2) return out;
    for (int k = std::max(1, table.Lower(2)); k <= table.Upper(2); ++k) {
        const Variant& value = table(2, k);
        if (table(1, k).Is_Blank()) continue;
        out.emplace_back(table(1, k).To_Text(), value.Is_Numeric() ? value.To_Double() : 0.0);
    }
    return out;
}

// --- Colours --------------------------------------------------------------------------------

void vekGRID::Cell_Color(int row, int col, Rgb color) {
    Set_Cell_Color(row, col, color.To_Ole());
}

std::optional<Rgb> vekGRID::Cell_Color(int row, int col) {
    if (row < 0 || col < 0 || row >= grid_.Rows() || col >= grid_.Cols()) return std::nullopt;
    const Variant color = Cell_Back_Color(Variant(static_cast<std::int32_t>(row)),
                                          Variant(static_cast<std::int32_t>(col)));
    if (!color.Is_Numeric()) return std::nullopt;
    return Rgb::From_Ole(static_cast<Color>(color.To_Long()));
}

void vekGRID::Range_Color(int first_row, int last_row, int first_col, int last_col, Rgb color) {
    Set_Range_Cell_Color(first_row, last_row, first_col, last_col, color.To_Ole());
}

void vekGRID::Row_Color(int row, Rgb color, bool first_column) {
    Row_Color(static_cast<double>(row), Variant::From_Unsigned(color.To_Ole()), first_column);
}

void vekGRID::Band_Colors(Rgb odd, Rgb even) {
    Row_Color_Odd(Variant::From_Unsigned(odd.To_Ole()));
    Row_Color_Even(Variant::From_Unsigned(even.To_Ole()));
}

// --- Files ----------------------------------------------------------------------------------

Result vekGRID::Load(const std::string& path, File_Format format, int left_align_columns) {
    Result result;
    if (auto why = Unloadable(path)) {
        result.error = std::move(why);
        return result;
    }
    Message_Capture capture(catalogued_platform_->Catalogued_Messages());
    const std::int16_t left = std::max<std::int16_t>(0, To_Int16(left_align_columns));
    if (format == File_Format::Csv || format == File_Format::Csv_With_Byte_Order_Mark)
        Load_Csv(path, left);
    else
        Load_File(path, left);
    if (!Last_File_Error().empty()) {
        result.error = Last_File_Error();
    } else if (grid_.Cols() < 2 && !capture.messages.empty()) {
        // No columns came of it: the loader's own message says why.
        result.error = capture.messages.front().text;
        capture.messages.erase(capture.messages.begin());
    }
    Note(result, capture.messages);
    return result;
}

Result vekGRID::Save(const std::string& path, File_Format format) {
    Result result;
    Message_Capture capture(catalogued_platform_->Catalogued_Messages());
    bool saved = false;
    switch (format) {
        case File_Format::Tab_Delimited:
            saved = Write_File(path, Tab_Delimited);
            break;
        case File_Format::Semicolon_Delimited:
            saved = Write_File(path, Semi_Colon_Delimited);
            break;
        case File_Format::Csv:
            saved = Write_Csv(path, false);
            break;
        case File_Format::Csv_With_Byte_Order_Mark:
            saved = Write_Csv(path, true);
            break;
    }
    if (!saved)
        result.error = Last_File_Error().empty() ? path + ": not written" : Last_File_Error();
    Note(result, capture.messages);
    return result;
}

// --- Messages -------------------------------------------------------------------------------

void vekGRID::Messages(Message_Catalogue catalogue) {
    catalogued_platform_->Catalogued_Messages().Catalogue(std::move(catalogue));
}

const Message_Catalogue& vekGRID::Messages() const {
    return catalogued_platform_->Catalogued_Messages().Catalogue();
}

}  // namespace vekgrid
