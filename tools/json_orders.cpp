#include "tools/json_orders.h"

#include <nlohmann/json.hpp>

#include "fields/text_codec.h"
#include "tools/input_encoding.h"
#include "tools/property_table.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

using Json = nlohmann::ordered_json;

[[noreturn]] void fail(const std::string& message) { throw ToolError(kExitUsage, message); }

// nlohmann's message reads "[json.exception.parse_error.101] parse error at line 2,
// column 7: syntax error ...". Keep the place and the reason; the part it quotes from
// the input may hold bytes that are not UTF-8, which must not reach the terminal.
std::string describe_parse_error(const Json::parse_error& e) {
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
InputObject read_object(const Json& object, const std::string& path, const std::string& source,
                        std::string origin, bool header, std::vector<UnknownName>& unknown) {
  if (!object.is_object()) {
    fail(source + ": " + path + ": expected an object, found " + object.type_name());
  }
  InputObject result;
  result.origin = std::move(origin);
  for (const auto& [name, value] : object.items()) {
    const std::string location = source + ": " + path + "." + name;
    const bool known =
        header ? find_header_property(name) != nullptr : find_payment_property(name) != nullptr;
    if (!known) {
      unknown.push_back({path + "." + name, name,
                         header ? nearest_header_property(name) : nearest_payment_property(name)});
      continue;
    }
    if (!value.is_string()) {
      fail(location + ": expected a string, found " + std::string(value.type_name()));
    }
    result.values.push_back(InputValue{name, value.get<std::string>(), location});
  }
  return result;
}

Json parse(std::string_view text, const std::string& source) {
  if (const std::size_t line = first_line_not_utf8(text); line != 0) {
    fail(source + ": line " + std::to_string(line) + ": " + std::string(kNotUtf8));
  }
  try {
    return Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& e) {
    fail(source + ": " + describe_parse_error(e));
  }
}

OrderDocument read_document(std::string_view text, const std::string& source, bool payments) {
  const Json root = parse(text, source);
  const char* expected =
      payments ? "an object with MeineInfo and GeldTransfer" : "an object with MeineInfo";
  if (!root.is_object()) {
    fail(source + ": expected " + std::string(expected) + ", found " + root.type_name());
  }
  for (const auto& [name, value] : root.items()) {
    if (name != "MeineInfo" && (!payments || name != "GeldTransfer")) {
      fail(source + ": $." + name + ": unknown property \"" + name + "\"; expected " + expected);
    }
  }
  OrderDocument document;
  std::vector<UnknownName> unknown;
  const auto header = root.find("MeineInfo");
  if (header == root.end()) fail(source + ": $.MeineInfo is missing");
  document.header = read_object(*header, "$.MeineInfo", source,
                                "MeineInfo (" + source + ": $.MeineInfo)", true, unknown);
  if (!payments) {
    if (!unknown.empty()) fail(describe_unknown_names(source, "property", unknown));
    return document;
  }

  const auto list = root.find("GeldTransfer");
  if (list == root.end()) fail(source + ": $.GeldTransfer is missing");
  if (!list->is_array()) {
    fail(source + ": $.GeldTransfer: expected an array of objects, found " + list->type_name());
  }
  for (std::size_t i = 0; i < list->size(); ++i) {
    const std::string path = "$.GeldTransfer[" + std::to_string(i) + "]";
    document.payments.push_back(read_object(
        (*list)[i], path, source,
        "payment " + std::to_string(i + 1) + " (" + source + ": " + path + ")", false, unknown));
  }
  if (!unknown.empty()) fail(describe_unknown_names(source, "property", unknown));
  return document;
}

}  // namespace

OrderDocument read_json_orders(std::string_view text, const std::string& source) {
  return read_document(text, source, true);
}

InputObject read_json_header(std::string_view text, const std::string& source) {
  return read_document(text, source, false).header;
}

}  // namespace dtaus::tool
