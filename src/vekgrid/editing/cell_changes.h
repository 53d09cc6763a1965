#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vekgrid {

// The cells a many-cell write (paste, clear, fill) changed, with each one's entry before and
// after, kept flat in one buffer: a paste of a million cells allocates nothing per cell.
// A write is staged with Begin, then kept with Keep or forgotten with Drop.
class Cell_Changes {
  public:
    struct Change {
        int row, col;
        std::string_view before, after;
    };
    void Reserve(std::size_t changes) { entries_.reserve(changes); }
    // Stages a write: what the cell held as typed and what it showed, both copied here.
    void Begin(int row, int col, std::string_view before, std::string_view shown) {
        chars_.resize(kept_);  // a write that never finished leaves nothing behind
        staged_ = {row, col, kept_, 0};
        chars_.append(before);
        staged_.before_end = chars_.size();
        chars_.append(shown);
    }
    std::string_view Before() const { return View(staged_.start, staged_.before_end); }
    std::string_view Shown() const { return View(staged_.before_end, chars_.size()); }
    void Keep(std::string_view after) {
        chars_.resize(staged_.before_end);  // the shown text is no longer needed
        chars_.append(after);
        kept_ = chars_.size();
        entries_.push_back({staged_.row, staged_.col, staged_.start, staged_.before_end});
    }
    void Drop() { chars_.resize(kept_); }

    std::size_t Size() const { return entries_.size(); }
    Change operator[](std::size_t i) const {
        const Entry& e = entries_[i];
        const std::size_t end = i + 1 < entries_.size() ? entries_[i + 1].start : kept_;
        return {e.row, e.col, View(e.start, e.before_end), View(e.before_end, end)};
    }

  private:
    struct Entry {
        int row, col;
        std::size_t start, before_end;  // the after text runs to the next entry's start
    };
    std::string_view View(std::size_t from, std::size_t to) const {
        return std::string_view(chars_).substr(from, to - from);
    }
    std::string chars_;
    std::vector<Entry> entries_;
    Entry staged_{};
    std::size_t kept_ = 0;  // chars_ up to here belong to kept changes
};

}  // namespace vekgrid
