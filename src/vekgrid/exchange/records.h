#pragma once
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace vekgrid {

// Gives a table's records one after the other as views of their fields, valid until the next
// call; nothing is copied but what unquoting must change.
class Record_Reader {
  public:
    virtual ~Record_Reader() = default;
    // False at the end.
    virtual bool Next(std::vector<std::string_view>& fields) = 0;
};

// Splits `line` at `delimiter`, exact match, no quoting.
void Split_Fields(std::string_view line, char delimiter, std::vector<std::string_view>& fields);

// The control's delimited text: a line ends at LF (a CR before it is dropped).
class Line_Reader : public Record_Reader {
  public:
    Line_Reader(std::string_view text, char delimiter) : rest_(text), delimiter_(delimiter) {}
    bool Next(std::vector<std::string_view>& fields) override;
    // The next line itself, without splitting it.
    bool Next_Line(std::string_view& line);

  private:
    std::string_view rest_;
    char delimiter_;
    bool done_ = false;
};

// Lines a host hands over in memory.
class Lines_Reader : public Record_Reader {
  public:
    Lines_Reader(const std::vector<std::string>& lines, char delimiter)
        : lines_(lines), delimiter_(delimiter) {}
    bool Next(std::vector<std::string_view>& fields) override;

  private:
    const std::vector<std::string>& lines_;
    char delimiter_;
    size_t next_ = 0;
};

// Comma-separated values (RFC 4180), read as spreadsheets write them: a quoted field may hold
// commas, doubled quotes and line breaks; a record ends at CR LF or LF outside quotes. Text
// after a closing quote is kept, and an unclosed quote runs to the end, as spreadsheets do.
class Csv_Reader : public Record_Reader {
  public:
    explicit Csv_Reader(std::string_view text) : rest_(text) {}
    bool Next(std::vector<std::string_view>& fields) override;

  private:
    std::string& Scratch();
    std::string_view rest_;
    bool done_ = false;
    std::deque<std::string> scratch_;  // fields unquoting changed; a deque never moves them
    size_t scratch_used_ = 0;
};

// Drops empty lines (CR and LF alone) at the end of a text: they carry no cell.
std::string_view Without_Trailing_Empty_Lines(std::string_view text);

}  // namespace vekgrid
