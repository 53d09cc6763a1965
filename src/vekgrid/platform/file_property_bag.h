#pragma once
#include <filesystem>
#include <map>
#include <string>

#include "vekgrid/export.h"
#include "vekgrid/platform/services.h"

namespace vekgrid {

// A property bag kept in a text file, one "key = type:value" line a value:
//
//   Rows = i32:12
//   Row_Color_Odd = i32:13631487
//   GridColor = f64:2147483663
//   TextEditor_Text = str:"a \"quoted\" text\n"
//   Enabled = bool:False
//   Nothing = empty:
//   Table = array(0,1,1,2):[str:"x", f64:4]
//
// Types: empty, bool, i16, i32, f64 (shortest text that reads back to the same double), str
// (double-quoted, with \\ \" \n \r \t escapes), array(l1,u1,l2,u2) (values in storage order).
// Object references cannot be stored. Lines starting with '#' and blank lines are skipped.
class VEKGRID_EXPORT File_Property_Bag : public Property_Bag {
  public:
    Variant ReadProperty(const std::string& name, const Variant& default_value) override;
    void WriteProperty(const std::string& name, const Variant& value,
                       const Variant& default_value) override;

    // Throws vekgrid::Error with the line number on a malformed file or a failed write.
    void Load(const std::filesystem::path& path);
    void Save(const std::filesystem::path& path) const;
    std::string To_Text() const;
    void From_Text(const std::string& text);

    const std::map<std::string, Variant>& Values() const { return values_; }

    static std::string Encode(const Variant& value);
    static Variant Decode(const std::string& text);

  private:
    std::map<std::string, Variant> values_;
};

}  // namespace vekgrid
