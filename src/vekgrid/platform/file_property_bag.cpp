#include "vekgrid/platform/file_property_bag.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "vekgrid/common/errors.h"

namespace vekgrid {

namespace {

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

// Reads one encoded value from text at pos, advancing pos past it.
class Reader {
  public:
    explicit Reader(const std::string& text) : text_(text) {}

    Variant Value() {
        Skip_Blanks();
        std::string type;
        while (pos_ < text_.size() && text_[pos_] != ':' && text_[pos_] != '(')
            type += text_[pos_++];
        if (type == "array") return Array();
        Expect(':');
        if (type == "empty") return Variant();
        if (type == "str") return Variant(String());
        std::string token = Token();
        if (type == "bool") {
            if (token == "True") return Variant(true);
            if (token == "False") return Variant(false);
        } else if (type == "i16") {
            return Variant(static_cast<std::int16_t>(Integer(token, -32768, 32767)));
        } else if (type == "i32") {
            return Variant(static_cast<std::int32_t>(Integer(token, INT32_MIN, INT32_MAX)));
        } else if (type == "f64") {
            double d = 0;
            auto [p, ec] = std::from_chars(token.data(), token.data() + token.size(), d);
            if (ec == std::errc() && p == token.data() + token.size()) return Variant(d);
        }
        throw Error("bad value of type '" + type + "'");
    }
    bool At_End() {
        Skip_Blanks();
        return pos_ >= text_.size();
    }

  private:
    Variant Array() {
        Expect('(');
        int bounds[4];
        for (int i = 0; i < 4; ++i) {
            if (i) Expect(',');
            bounds[i] = static_cast<int>(Integer(Token(), INT32_MIN, INT32_MAX));
        }
        Expect(')');
        Expect(':');
        Expect('[');
        auto array = std::make_shared<Variant_Array>(bounds[0], bounds[1], bounds[2], bounds[3]);
        bool first = true;
        for (int j = bounds[2]; j <= bounds[3]; ++j)
            for (int i = bounds[0]; i <= bounds[1]; ++i) {
                if (!first) Expect(',');
                first = false;
                (*array)(i, j) = Value();
            }
        Expect(']');
        return Variant(Array_Ref(array));
    }
    std::string String() {
        Expect('"');
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c == '\\') {
                if (pos_ >= text_.size()) break;
                char e = text_[pos_++];
                c = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
            }
            out += c;
        }
        Expect('"');
        return out;
    }
    std::string Token() {
        Skip_Blanks();
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != ')' &&
               text_[pos_] != ']' && text_[pos_] != ' ')
            out += text_[pos_++];
        return out;
    }
    static long long Integer(const std::string& token, long long low, long long high) {
        long long v = 0;
        auto [p, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
        if (ec != std::errc() || p != token.data() + token.size() || v < low || v > high)
            throw Error("bad integer '" + token + "'");
        return v;
    }
    void Expect(char c) {
        Skip_Blanks();
        if (pos_ >= text_.size() || text_[pos_] != c)
            throw Error(std::string("expected '") + c + "'");
        ++pos_;
    }
    void Skip_Blanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }
    const std::string& text_;
    size_t pos_ = 0;
};

}  // namespace

std::string File_Property_Bag::Encode(const Variant& value) {
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Empty>)
                return "empty:";
            else if constexpr (std::is_same_v<T, bool>)
                return v ? "bool:True" : "bool:False";
            else if constexpr (std::is_same_v<T, std::int16_t>)
                return "i16:" + std::to_string(v);
            else if constexpr (std::is_same_v<T, std::int32_t>)
                return "i32:" + std::to_string(v);
            else if constexpr (std::is_same_v<T, double>) {
                char buf[32];
                auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
                return "f64:" + std::string(buf, p);
            } else if constexpr (std::is_same_v<T, std::string>)
                return "str:" + Quote(v);
            else if constexpr (std::is_same_v<T, Array_Ref>) {
                std::string out = "array(" + std::to_string(v->Lower(1)) + "," +
                                  std::to_string(v->Upper(1)) + "," + std::to_string(v->Lower(2)) +
                                  "," + std::to_string(v->Upper(2)) + "):[";
                bool first = true;
                for (int j = v->Lower(2); j <= v->Upper(2); ++j)
                    for (int i = v->Lower(1); i <= v->Upper(1); ++i) {
                        if (!first) out += ", ";
                        first = false;
                        out += Encode((*v)(i, j));
                    }
                return out + "]";
            } else
                throw Error("an object reference cannot be stored in a property file");
        },
        value.Value());
}

Variant File_Property_Bag::Decode(const std::string& text) {
    Reader reader(text);
    Variant v = reader.Value();
    if (!reader.At_End()) throw Error("text after the value");
    return v;
}

Variant File_Property_Bag::ReadProperty(const std::string& name, const Variant& default_value) {
    auto it = values_.find(name);
    return it == values_.end() ? default_value : it->second;
}

void File_Property_Bag::WriteProperty(const std::string& name, const Variant& value,
                                      const Variant& default_value) {
    if (value == default_value)
        values_.erase(name);
    else
        values_[name] = value;
}

std::string File_Property_Bag::To_Text() const {
    std::string out;
    for (const auto& [name, value] : values_) out += name + " = " + Encode(value) + "\n";
    return out;
}

void File_Property_Bag::From_Text(const std::string& text) {
    std::map<std::string, Variant> values;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        auto eq = line.find(" = ");
        if (eq == std::string::npos || eq == 0)
            throw Error("property file line " + std::to_string(number) +
                        ": expected 'key = value'");
        try {
            values[line.substr(0, eq)] = Decode(line.substr(eq + 3));
        } catch (const Error& e) {
            throw Error("property file line " + std::to_string(number) + ": " + e.what());
        }
    }
    values_ = std::move(values);
}

void File_Property_Bag::Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("cannot open " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    From_Text(text.str());
}

void File_Property_Bag::Save(const std::filesystem::path& path) const {
    auto temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << To_Text();
        if (!out.flush()) throw Error("cannot write " + temporary.string());
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        throw Error("cannot replace " + path.string());
    }
}

}  // namespace vekgrid
