#include "vekgrid/common/variant.h"

#include <cmath>

#include "vekgrid/common/errors.h"
#include "vekgrid/common/number_text.h"

namespace vekgrid {

Variant_Array::Variant_Array(int lower1, int upper1, int lower2, int upper2)
    : lower1_(lower1), upper1_(upper1), lower2_(lower2), upper2_(upper2) {
    if (upper1 < lower1 - 1 || upper2 < lower2 - 1) throw Subscript_Out_Of_Range();
    cells_.resize(static_cast<size_t>(upper1 - lower1 + 1) *
                  static_cast<size_t>(upper2 - lower2 + 1));
}

bool Variant_Array::Contains(int i, int j) const {
    return i >= lower1_ && i <= upper1_ && j >= lower2_ && j <= upper2_;
}

size_t Variant_Array::Index(int i, int j) const {
    if (!Contains(i, j)) throw Subscript_Out_Of_Range();
    // Second index outermost, so growing the second dimension keeps the layout.
    return static_cast<size_t>(j - lower2_) * static_cast<size_t>(upper1_ - lower1_ + 1) +
           static_cast<size_t>(i - lower1_);
}

Variant& Variant_Array::operator()(int i, int j) {
    return cells_[Index(i, j)];
}
const Variant& Variant_Array::operator()(int i, int j) const {
    return cells_[Index(i, j)];
}

void Variant_Array::Resize_Second(int upper2) {
    if (upper2 < lower2_ - 1) throw Subscript_Out_Of_Range();
    upper2_ = upper2;
    cells_.resize(static_cast<size_t>(upper1_ - lower1_ + 1) *
                  static_cast<size_t>(upper2 - lower2_ + 1));
}

bool Variant::Is_Numeric() const {
    return std::visit(
        [](const auto& v) -> bool {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>) return Parse_Number(v).has_value();
            return std::is_same_v<T, bool> || std::is_same_v<T, std::int16_t> ||
                   std::is_same_v<T, std::int32_t> || std::is_same_v<T, double> ||
                   std::is_same_v<T, Empty>;
        },
        value_);
}

bool Variant::Is_Blank() const {
    if (Is_Empty()) return true;
    const auto* text = std::get_if<std::string>(&value_);
    return text && text->empty();
}

std::string Variant::To_Text() const {
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Empty>)
                return "";
            else if constexpr (std::is_same_v<T, bool>)
                return v ? "True" : "False";
            else if constexpr (std::is_same_v<T, std::int16_t> || std::is_same_v<T, std::int32_t>)
                return std::to_string(v);
            else if constexpr (std::is_same_v<T, double>)
                return Number_Text(v);
            else if constexpr (std::is_same_v<T, std::string>)
                return v;
            else
                throw Type_Mismatch();
        },
        value_);
}

double Variant::To_Double() const {
    return std::visit(
        [](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Empty>)
                return 0;
            else if constexpr (std::is_same_v<T, bool>)
                return v ? -1 : 0;
            else if constexpr (std::is_same_v<T, std::int16_t> || std::is_same_v<T, std::int32_t> ||
                               std::is_same_v<T, double>)
                return static_cast<double>(v);
            else if constexpr (std::is_same_v<T, std::string>) {
                if (v == "True") return -1;
                if (v == "False") return 0;
                auto n = Parse_Number(v);
                if (!n) throw Type_Mismatch();
                return *n;
            } else
                throw Type_Mismatch();
        },
        value_);
}

std::int32_t Variant::To_Long() const {
    double d = std::nearbyint(To_Double());
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) throw Error("Overflow");
    return static_cast<std::int32_t>(d);
}

bool Variant::To_Bool() const {
    return To_Double() != 0;
}

const Object_Ref& Variant::To_Object() const {
    const auto* o = std::get_if<Object_Ref>(&value_);
    if (!o) throw Type_Mismatch();
    return *o;
}

const Array_Ref& Variant::To_Array() const {
    const auto* a = std::get_if<Array_Ref>(&value_);
    if (!a) throw Type_Mismatch();
    return *a;
}

bool Variant::operator==(const Variant& other) const {
    if (Is_Object() || other.Is_Object())
        return Is_Object() && other.Is_Object() && To_Object() == other.To_Object();
    if (Is_Array() || other.Is_Array())
        return Is_Array() && other.Is_Array() && To_Array() == other.To_Array();
    if (Is_Text() && other.Is_Text()) return To_Text() == other.To_Text();
    if (Is_Numeric() && other.Is_Numeric()) return To_Double() == other.To_Double();
    return value_.index() == other.value_.index() && To_Text() == other.To_Text();
}

}  // namespace vekgrid
