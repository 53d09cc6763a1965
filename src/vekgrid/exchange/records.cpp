#include "vekgrid/exchange/records.h"

namespace vekgrid {

void Split_Fields(std::string_view line, char delimiter, std::vector<std::string_view>& fields) {
    fields.clear();
    for (;;) {
        const size_t at = line.find(delimiter);
        if (at == std::string_view::npos) break;
        fields.push_back(line.substr(0, at));
        line.remove_prefix(at + 1);
    }
    fields.push_back(line);
}

bool Line_Reader::Next_Line(std::string_view& line) {
    if (done_) return false;
    const size_t end = rest_.find('\n');
    if (end == std::string_view::npos) {
        line = rest_;
        done_ = true;
    } else {
        line = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
        if (rest_.empty()) done_ = true;  // a final line ending starts no further line
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

bool Line_Reader::Next(std::vector<std::string_view>& fields) {
    std::string_view line;
    if (!Next_Line(line)) return false;
    Split_Fields(line, delimiter_, fields);
    return true;
}

bool Lines_Reader::Next(std::vector<std::string_view>& fields) {
    if (next_ >= lines_.size()) return false;
    Split_Fields(lines_[next_++], delimiter_, fields);
    return true;
}

std::string& Csv_Reader::Scratch() {
    if (scratch_used_ == scratch_.size()) scratch_.emplace_back();
    std::string& s = scratch_[scratch_used_++];
    s.clear();
    return s;
}

bool Csv_Reader::Next(std::vector<std::string_view>& fields) {
    if (done_) return false;
    fields.clear();
    scratch_used_ = 0;
    size_t i = 0;
    const size_t n = rest_.size();
    for (;;) {
        // One field, then a comma (another field follows) or the record's end.
        if (i < n && rest_[i] == '"') {
            size_t start = ++i;
            std::string* built = nullptr;
            for (;;) {
                const size_t quote = rest_.find('"', i);
                if (quote == std::string_view::npos) {  // unclosed: the rest is the field
                    if (built)
                        built->append(rest_.substr(i));
                    else
                        fields.push_back(rest_.substr(start));
                    i = n;
                    break;
                }
                if (quote + 1 < n && rest_[quote + 1] == '"') {  // a doubled quote
                    if (!built)
                        built = &Scratch(), built->assign(rest_.substr(start, quote - start));
                    else
                        built->append(rest_.substr(i, quote - i));
                    built->push_back('"');
                    i = quote + 2;
                    continue;
                }
                if (built)
                    built->append(rest_.substr(i, quote - i));
                else
                    fields.push_back(rest_.substr(start, quote - start));
                i = quote + 1;
                break;
            }
            // Anything between the closing quote and the field's end belongs to the field.
            size_t stop = i;
            while (stop < n && rest_[stop] != ',' && rest_[stop] != '\n') ++stop;
            size_t text_end = stop;
            if (stop < n && rest_[stop] == '\n' && text_end > i && rest_[text_end - 1] == '\r')
                --text_end;
            if (text_end > i) {
                if (!built) {
                    built = &Scratch();
                    built->assign(fields.back());
                    fields.pop_back();
                }
                built->append(rest_.substr(i, text_end - i));
            }
            if (built) fields.emplace_back(*built);
            i = stop;
        } else {
            size_t stop = i;
            while (stop < n && rest_[stop] != ',' && rest_[stop] != '\n') ++stop;
            size_t text_end = stop;
            if (stop < n && rest_[stop] == '\n' && text_end > i && rest_[text_end - 1] == '\r')
                --text_end;
            fields.push_back(rest_.substr(i, text_end - i));
            i = stop;
        }
        if (i < n && rest_[i] == ',') {
            ++i;
            continue;
        }
        break;  // a line feed or the end
    }
    if (i >= n || i + 1 >= n) done_ = true;  // no text after this record's line ending
    rest_.remove_prefix(i < n ? i + 1 : n);
    return true;
}

std::string_view Without_Trailing_Empty_Lines(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

}  // namespace vekgrid
