#include "tools/json_orders.h"

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "fields/text_codec.h"
#include "tools/input_encoding.h"
#include "tools/input_file.h"
#include "tools/property_table.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

using Json = nlohmann::ordered_json;

// nlohmann's message reads "[json.exception.parse_error.101] parse error at line 2,
// column 7: syntax error ...". Keep the place and the reason; the part it quotes from
// the input may hold bytes that are not UTF-8, which must not reach the terminal.
std::string DescribeParseError(const Json::parse_error& e) {
  std::string what = e.what();
  const std::string marker = "parse error at ";
  const std::size_t at = what.find(marker);
  if (at != std::string::npos) what = what.substr(at + marker.size());
  std::string clean;
  std::size_t pos = 0;
  while (pos < what.size()) {
    char32_t c;
    if (detail::ReadCodePoint(what, pos, c)) {
      detail::AppendUtf8(clean, c);
    } else {
      clean.push_back('?');
      ++pos;
    }
  }
  const std::size_t colon = clean.find(": ");
  if (colon == std::string::npos) return "malformed JSON: " + clean;
  return clean.substr(0, colon) + ": malformed JSON: " + clean.substr(colon + 2);
}

// Names that are no property are collected in `unknown`, to be reported all at once.
InputObject ReadObject(const Json& object, const std::string& path, const std::string& source,
                       std::string origin, bool header, std::vector<UnknownName>& unknown) {
  if (!object.is_object()) {
    Fail(source + ": " + path + ": expected an object, found " + object.type_name());
  }
  InputObject result;
  result.origin = std::move(origin);
  for (const auto& [name, value] : object.items()) {
    const std::string location = source + ": " + path + "." + name;
    const bool known =
        header ? FindHeaderProperty(name) != nullptr : FindPaymentProperty(name) != nullptr;
    if (!known) {
      unknown.push_back({path + "." + name, name,
                         header ? NearestHeaderProperty(name) : NearestPaymentProperty(name)});
      continue;
    }
    if (!value.is_string()) {
      Fail(location + ": expected a string, found " + std::string(value.type_name()));
    }
    // "\u0000" is valid JSON, but no property takes a NUL, and C strings on the way to a
    // bank would end at it.
    if (value.get_ref<const std::string&>().find('\0') != std::string::npos) {
      Fail(location + ": a NUL character (\\u0000) inside the text");
    }
    result.values.push_back(InputValue{name, value.get<std::string>(), location});
  }
  return result;
}

// Hands the document to the parser byte by byte and counts the line feeds it has passed.
// The parser reports a key as soon as it has read the key's closing quote, so at that
// moment the count is the key's line.
class LineCountingIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  LineCountingIterator(const char* at, std::size_t* line) : at_(at), line_(line) {}

  reference operator*() const { return *at_; }
  LineCountingIterator& operator++() {
    if (*at_ == '\n') ++*line_;
    ++at_;
    return *this;
  }
  LineCountingIterator operator++(int) {
    LineCountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const LineCountingIterator& other) const { return at_ == other.at_; }
  bool operator!=(const LineCountingIterator& other) const { return at_ != other.at_; }

 private:
  const char* at_;
  std::size_t* line_;
};

// "line 3, column 7" of the byte at `offset`, columns counted in characters.
std::string PlaceOf(std::string_view text, std::size_t offset) {
  const std::string_view before = text.substr(0, offset);
  const std::size_t line_start = before.rfind('\n') + 1;  // npos + 1 is 0
  const std::size_t line = std::count(before.begin(), before.end(), '\n') + 1;
  return "line " + std::to_string(line) + ", column " +
         std::to_string(detail::CountCodePoints(before.substr(line_start)) + 1);
}

// JSON itself lets a key appear twice and keeps one of the values, silently; in a payment
// that could be the wrong amount or account, so a repeated key is refused.
Json Parse(std::string_view text, const std::string& source) {
  if (const std::size_t line = FirstLineNotUtf8(text); line != 0) {
    Fail(source + ": line " + std::to_string(line) + ": " + std::string(kNotUtf8));
  }
  std::size_t line = 1;
  std::vector<std::set<std::string>> open_objects;
  const Json::parser_callback_t check_keys = [&](int, Json::parse_event_t event, Json& parsed) {
    if (event == Json::parse_event_t::object_start) open_objects.emplace_back();
    if (event == Json::parse_event_t::object_end) open_objects.pop_back();
    if (event == Json::parse_event_t::key &&
        !open_objects.back().insert(parsed.get<std::string>()).second) {
      Fail(source + ": line " + std::to_string(line) + ": key \"" + parsed.get<std::string>() +
           "\" appears twice in one object");
    }
    return true;
  };
  Json document;
  try {
    document = Json::parse(LineCountingIterator(text.data(), &line),
                           LineCountingIterator(text.data() + text.size(), &line), check_keys);
  } catch (const Json::parse_error& e) {
    Fail(source + ": " + DescribeParseError(e));
  }
  // The parser takes a NUL byte for the end of the text and ignores what follows it. A
  // NUL inside a string is a parse error already, so one that is left stands after the
  // document.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    Fail(source + ": " + PlaceOf(text, nul) +
         ": malformed JSON: a NUL byte after the document; only white space may follow it");
  }
  return document;
}

OrderDocument ReadDocument(std::string_view text, const std::string& source, bool payments) {
  const Json root = Parse(text, source);
  const char* expected =
      payments ? "an object with MeineInfo and GeldTransfer" : "an object with MeineInfo";
  if (!root.is_object()) {
    Fail(source + ": expected " + std::string(expected) + ", found " + root.type_name());
  }
  for (const auto& [name, value] : root.items()) {
    if (name != "MeineInfo" && (!payments || name != "GeldTransfer")) {
      Fail(source + ": $." + name + ": unknown property \"" + name + "\"; expected " + expected);
    }
  }
  OrderDocument document;
  std::vector<UnknownName> unknown;
  const auto header = root.find("MeineInfo");
  if (header == root.end()) Fail(source + ": $.MeineInfo is missing");
  document.header = ReadObject(*header, "$.MeineInfo", source,
                               "MeineInfo (" + source + ": $.MeineInfo)", true, unknown);
  if (!payments) {
    if (!unknown.empty()) Fail(DescribeUnknownNames(source, "property", unknown));
    return document;
  }

  const auto list = root.find("GeldTransfer");
  if (list == root.end()) Fail(source + ": $.GeldTransfer is missing");
  if (!list->is_array()) {
    Fail(source + ": $.GeldTransfer: expected an array of objects, found " + list->type_name());
  }
  for (std::size_t i = 0; i < list->size(); ++i) {
    const std::string path = "$.GeldTransfer[" + std::to_string(i) + "]";
    document.payments.push_back(ReadObject(
        (*list)[i], path, source,
        "payment " + std::to_string(i + 1) + " (" + source + ": " + path + ")", false, unknown));
  }
  if (!unknown.empty()) Fail(DescribeUnknownNames(source, "property", unknown));
  return document;
}

// The text between a string's quotes as it stands in the document, when it holds no
// escape: nearly every string does, and it then needs no copy into the parser's buffer.
// `raw` starts behind the opening quote. Nothing when an escape or a control character
// comes first (JSON allows no raw control character in a string; the parser does not
// look).
std::optional<std::string_view> PlainText(const char* raw) {
  const char* end = raw;  // the document ends in a quote and padding
  while (*end != '"' && *end != '\\' && static_cast<unsigned char>(*end) >= 0x20) ++end;
  if (*end != '"') return std::nullopt;
  return std::string_view(raw, static_cast<std::size_t>(end - raw));
}

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// A string value without control characters: as it stands where it holds no escape,
// unescaped by the parser where it does. Nothing for a control character, raw or
// escaped; the parser throws for a value that is not a string.
std::optional<std::string_view> StringValue(simdjson::ondemand::value value) {
  const std::string_view token = value.raw_json_token();
  if (!token.empty() && token.front() == '"') {
    if (const auto plain = PlainText(token.data() + 1)) return plain;
  }
  const std::string_view unescaped = value.get_string();
  if (HasControlCharacter(unescaped)) return std::nullopt;
  return unescaped;
}

// One object of plain string values with known, distinct property names into `out`.
bool ReadPlainObject(simdjson::ondemand::object object, bool header, InputObject& out) {
  std::size_t count = 0;
  // The properties so far: each known one at most once, so never more than the table has.
  std::array<const void*, 32> seen;
  for (auto field : object) {
    // A property name with an escape in it is left to the thorough way.
    const std::optional<std::string_view> key = PlainText(field.key().raw());
    if (!key) return false;
    const std::string_view name = *key;
    const void* const property = header ? static_cast<const void*>(FindHeaderProperty(name))
                                        : static_cast<const void*>(FindPaymentProperty(name));
    if (property == nullptr || count == seen.size() ||
        std::find(seen.begin(), seen.begin() + count, property) != seen.begin() + count) {
      return false;
    }
    seen[count] = property;
    const std::optional<std::string_view> value = StringValue(field.value());
    if (!value) return false;
    SetValue(out, count++, name, *value);
  }
  out.values.resize(count);
  return true;
}

}  // namespace

bool StreamJsonOrders(std::string& text, const ObjectSink& on_header,
                      const ObjectSink& on_payment) {
  // simdjson: several times faster than building a document, and it holds no node per
  // value. Whatever it does not take goes the thorough way, which finds the words.
  if (text.find('\0') != std::string::npos) return false;
  static_assert(kReadSlack >= simdjson::SIMDJSON_PADDING, "ReadInput leaves the padding's room");
  text.reserve(text.size() + simdjson::SIMDJSON_PADDING);
  try {
    simdjson::ondemand::parser parser;
    simdjson::ondemand::document document =
        parser.iterate(simdjson::padded_string_view(text.data(), text.size(), text.capacity()));
    bool header_seen = false;
    bool payments_seen = false;
    InputObject object;
    for (auto field : document.get_object()) {
      const std::string_view name = field.unescaped_key();
      if (name == "MeineInfo" && !header_seen && !payments_seen) {
        header_seen = true;
        if (!ReadPlainObject(field.value().get_object(), true, object) || !on_header(object)) {
          return false;
        }
      } else if (name == "GeldTransfer" && header_seen && !payments_seen) {
        payments_seen = true;
        for (auto element : field.value().get_array()) {
          if (!ReadPlainObject(element.get_object(), false, object) || !on_payment(object)) {
            return false;
          }
        }
      } else {
        return false;
      }
    }
    // Nothing but white space may follow the document.
    return payments_seen && document.current_location().error() == simdjson::OUT_OF_BOUNDS;
  } catch (const simdjson::simdjson_error&) {
    return false;
  }
}

OrderDocument ReadJsonOrders(std::string_view text, const std::string& source) {
  return ReadDocument(text, source, true);
}

InputObject ReadJsonHeader(std::string_view text, const std::string& source) {
  return ReadDocument(text, source, false).header;
}

}  // namespace dtaus::tool
