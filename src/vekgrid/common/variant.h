#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "vekgrid/export.h"

namespace vekgrid {

// Anything a host hands over by reference (a pop-up form, a colour object...). The control
// only stores and compares these references.
class VEKGRID_EXPORT Object {
  public:
    virtual ~Object() = default;
};
using Object_Ref = std::shared_ptr<Object>;

class Variant;

// A two-dimensional array with inclusive bounds in both dimensions.
class VEKGRID_EXPORT Variant_Array {
  public:
    Variant_Array(int lower1, int upper1, int lower2, int upper2);
    int Lower(int dimension) const { return dimension == 1 ? lower1_ : lower2_; }
    int Upper(int dimension) const { return dimension == 1 ? upper1_ : upper2_; }
    bool Contains(int i, int j) const;
    Variant& operator()(int i, int j);
    const Variant& operator()(int i, int j) const;
    // Grows or shrinks the second dimension, keeping what fits (like ReDim Preserve).
    void Resize_Second(int upper2);

  private:
    size_t Index(int i, int j) const;
    int lower1_, upper1_, lower2_, upper2_;
    std::vector<Variant> cells_;
};
using Array_Ref = std::shared_ptr<Variant_Array>;

struct VEKGRID_EXPORT Empty {
    bool operator==(const Empty&) const = default;
};

// The value type of table cells, arguments and properties.
class VEKGRID_EXPORT Variant {
  public:
    using Storage = std::variant<Empty, bool, std::int16_t, std::int32_t, double, std::string,
                                 Object_Ref, Array_Ref>;

    Variant() = default;
    Variant(bool v) : value_(v) {}
    Variant(std::int16_t v) : value_(v) {}
    Variant(std::int32_t v) : value_(v) {}
    Variant(double v) : value_(v) {}
    Variant(std::string v) : value_(std::move(v)) {}
    Variant(const char* v) : value_(std::string(v)) {}
    Variant(Object_Ref v) : value_(std::move(v)) {}
    Variant(Array_Ref v) : value_(std::move(v)) {}
    // Colours and other 32-bit codes arrive unsigned; they are kept as the same 32 bits.
    static Variant From_Unsigned(std::uint32_t v) { return Variant(static_cast<std::int32_t>(v)); }

    bool Is_Empty() const { return std::holds_alternative<Empty>(value_); }
    bool Is_Text() const { return std::holds_alternative<std::string>(value_); }
    bool Is_Object() const { return std::holds_alternative<Object_Ref>(value_); }
    bool Is_Array() const { return std::holds_alternative<Array_Ref>(value_); }
    bool Is_Bool() const { return std::holds_alternative<bool>(value_); }
    // A number, or a text that reads as one ("." separator).
    bool Is_Numeric() const;
    // Empty, or an empty text: the "nothing set" test callers use.
    bool Is_Blank() const;

    std::string To_Text() const;   // empty -> "", Booleans -> "True"/"False"
    double To_Double() const;      // throws Type_Mismatch when not numeric; empty -> 0
    std::int32_t To_Long() const;  // rounds half to even, like the original's conversions
    bool To_Bool() const;          // numbers: non-zero; texts "True"/"False" or numeric
    const Object_Ref& To_Object() const;
    const Array_Ref& To_Array() const;

    const Storage& Value() const { return value_; }
    bool operator==(const Variant& other) const;

  private:
    Storage value_;
};

}  // namespace vekgrid
