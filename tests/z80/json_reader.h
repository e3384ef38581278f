// A small JSON reader for test data: objects, arrays, integers, strings,
// true, false and null. Numbers with a fraction or an exponent, and string
// escapes other than \" \\ \/ \n \t, are refused: the files read here have
// none. ParseJson returns false on anything malformed, never reads past the
// text, and bounds the nesting depth.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct JsonValue {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  int64_t number = 0;  // also 0/1 for Bool
  std::string text;
  std::vector<JsonValue> items;                            // Array
  std::vector<std::pair<std::string, JsonValue>> members;  // Object, in file order

  // The member called name, or nullptr (also when this is not an object).
  const JsonValue* Find(std::string_view name) const {
    for (const auto& m : members)
      if (m.first == name) return &m.second;
    return nullptr;
  }
};

namespace json_detail {

struct Parser {
  std::string_view s;
  size_t at = 0;
  int depth = 0;

  void Blank() {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t')) ++at;
  }
  bool Eat(char c) {
    Blank();
    if (at < s.size() && s[at] == c) return ++at, true;
    return false;
  }
  bool Word(std::string_view w) {
    if (s.substr(at, w.size()) != w) return false;
    at += w.size();
    return true;
  }
  bool Text(std::string* out) {
    if (!Eat('"')) return false;
    while (at < s.size()) {
      char c = s[at++];
      if (c == '"') return true;
      if (c != '\\') {
        out->push_back(c);
        continue;
      }
      if (at >= s.size()) return false;
      switch (s[at++]) {
        case '"': out->push_back('"'); break;
        case '\\': out->push_back('\\'); break;
        case '/': out->push_back('/'); break;
        case 'n': out->push_back('\n'); break;
        case 't': out->push_back('\t'); break;
        default: return false;
      }
    }
    return false;
  }
  bool Value(JsonValue* v) {
    Blank();
    if (at >= s.size() || depth > 64) return false;
    char c = s[at];
    if (c == '"') {
      v->kind = JsonValue::String;
      return Text(&v->text);
    }
    if (c == '[' || c == '{') {
      ++depth;
      bool ok = c == '[' ? List(v) : Members(v);
      --depth;
      return ok;
    }
    if (Word("null")) return v->kind = JsonValue::Null, true;
    if (Word("true")) return v->kind = JsonValue::Bool, v->number = 1, true;
    if (Word("false")) return v->kind = JsonValue::Bool, v->number = 0, true;
    return Integer(v);
  }
  bool Integer(JsonValue* v) {
    bool negative = at < s.size() && s[at] == '-';
    if (negative) ++at;
    size_t first = at;
    int64_t n = 0;
    while (at < s.size() && s[at] >= '0' && s[at] <= '9') {
      if (at - first >= 18) return false;  // beyond what the data holds
      n = n * 10 + (s[at++] - '0');
    }
    if (at == first) return false;
    if (at < s.size() && (s[at] == '.' || s[at] == 'e' || s[at] == 'E')) return false;
    v->kind = JsonValue::Number;
    v->number = negative ? -n : n;
    return true;
  }
  bool List(JsonValue* v) {
    v->kind = JsonValue::Array;
    ++at;  // '['
    if (Eat(']')) return true;
    do {
      v->items.emplace_back();
      if (!Value(&v->items.back())) return false;
    } while (Eat(','));
    return Eat(']');
  }
  bool Members(JsonValue* v) {
    v->kind = JsonValue::Object;
    ++at;  // '{'
    if (Eat('}')) return true;
    do {
      v->members.emplace_back();
      Blank();
      if (!Text(&v->members.back().first) || !Eat(':') || !Value(&v->members.back().second)) return false;
    } while (Eat(','));
    return Eat('}');
  }
};

}  // namespace json_detail

// The whole text must be one value (blanks around it allowed).
inline bool ParseJson(std::string_view text, JsonValue* out) {
  json_detail::Parser p{text};
  *out = JsonValue{};
  if (!p.Value(out)) return false;
  p.Blank();
  return p.at == text.size();
}
