#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vekgrid/columns/vek_column.h"
#include "vekgrid/common/types.h"
#include "vekgrid/platform/message_catalogue.h"

namespace vekgrid {

// Value types of the control's typed host API.

// A colour as red, green and blue. The control stores OLE colours (&H00BBGGRR, or a system
// colour &H80000000 + index); these convert both ways.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    constexpr Color To_Ole() const {
        return static_cast<Color>(r) | static_cast<Color>(g) << 8 | static_cast<Color>(b) << 16;
    }
    // A system colour gives the usual default of its index (a front end paints it from its
    // own palette); an unknown index gives black.
    static constexpr Rgb From_Ole(Color color);
    static constexpr Color System(int index) { return 0x80000000u | static_cast<Color>(index); }
    static constexpr bool Is_System(Color color) { return (color & 0x80000000u) != 0; }
    constexpr bool operator==(const Rgb&) const = default;
};

namespace detail {
// Default colours of the system colour indices 0..24, as 0xRRGGBB.
inline constexpr std::array<std::uint32_t, 25> kSystemRgb{
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1};
}  // namespace detail

constexpr Rgb Rgb::From_Ole(Color color) {
    if (Is_System(color)) {
        const Color index = color & 0xFFu;
        if ((color & 0x7FFFFF00u) != 0 || index >= detail::kSystemRgb.size()) return {};
        const std::uint32_t rgb = detail::kSystemRgb[index];
        return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                static_cast<std::uint8_t>(rgb)};
    }
    return {static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
            static_cast<std::uint8_t>(color >> 16)};
}

enum class Text_Alignment : std::int32_t {
    Left = Left_Align,
    Center = Center_Align,
    Right = Right_Align,
};
enum class Data_Kind : std::int32_t {
    AlphaNumeric = vekgrid::AlphaNumeric,
    Alphabetical = vekgrid::Alphabetical,
    Numeric = vekgrid::Numeric,
};
enum class Sort_Direction { Ascending, Descending };

// A column as a host describes it, for Add_Column and Edit_Column. Designated initializers
// read well: Add_Column({.title = "Qty", .data = Data_Kind::Numeric}).
struct Column_Spec {
    std::string title{};
    ColumnEditor editor = TextBox;
    std::optional<int> width{};  // twips; none gives the default width
    bool read_only = false;
    Text_Alignment alignment = Text_Alignment::Right;
    Data_Kind data = Data_Kind::AlphaNumeric;
    std::string combo_list{};  // a drop-down's items, "a,b,c"
    bool combo_includes_popup = false;
    bool popup_cell_editing = false;
    bool formulas = false;   // cells take "=" formulas and feet-inch lengths
    bool variables = false;  // formulas may name variables of the variable table
    double bar_min = 0, bar_max = 0;
    bool bar_gradient = false, bar_auto_range = false, bar_absolute_range = false;
    std::optional<Rgb> bar_color{};
    // The same column as the original carrier describes it.
    vekColumn To_Column() const;
};

// Which rows a filter looks at.
enum class Filter_Rows : std::int32_t { Only_Hidden = 0, Only_Visible = 1, All = 2 };

// One line of a filter: rows holding the phrase (spaces and case ignored) are shown
// (include) or hidden (exclude); column 0 searches every data column.
struct Filter_Rule {
    std::string phrase{};
    bool include = true;
    int column = 0;
};

enum class File_Format { Tab_Delimited, Semicolon_Delimited, Csv, Csv_With_Byte_Order_Mark };

// The outcome of a typed file operation: ok, or why not. Messages the control raised on the
// way (a formula error in a loaded cell...) are kept in notices, never shown.
struct [[nodiscard]] Result {
    std::optional<std::string> error{};
    std::vector<std::string> notices{};
    bool Ok() const { return !error; }
    explicit operator bool() const { return Ok(); }
    const std::string& Message() const {
        static const std::string none;
        return error ? *error : none;
    }
};

using Variable_Table = std::vector<std::pair<std::string, double>>;

}  // namespace vekgrid
