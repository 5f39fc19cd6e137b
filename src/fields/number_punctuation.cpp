#include "fields/number_punctuation.h"

#include <atomic>
#include <climits>
#include <locale>

namespace dtaus::detail {
namespace {

std::atomic<NumberPunctuationFunction> g_punctuation{nullptr};

}  // namespace

NumberPunctuation GlobalLocalePunctuation() {
  const auto& punct = std::use_facet<std::numpunct<char>>(std::locale());
  return {std::string(1, punct.decimal_point()), std::string(1, punct.thousands_sep()),
          punct.grouping()};
}

NumberPunctuation CurrentNumberPunctuation() {
  const NumberPunctuationFunction installed = g_punctuation.load(std::memory_order_relaxed);
  return installed ? installed() : GlobalLocalePunctuation();
}

NumberPunctuationFunction SetNumberPunctuation(NumberPunctuationFunction punctuation) {
  return g_punctuation.exchange(punctuation);
}

std::string GroupingFromWindows(std::string_view text) {
  const std::string none(1, CHAR_MAX);
  std::string grouping;
  while (true) {
    const std::size_t semicolon = text.find(';');
    const std::string_view part = text.substr(0, semicolon);
    if (part.empty() || part.size() > 2) return none;
    int size = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return none;
      size = size * 10 + (c - '0');
    }
    // A 0 repeats the size before it; as the first size it means no grouping at all.
    if (size == 0) return grouping.empty() ? none : grouping;
    grouping += static_cast<char>(size);
    if (semicolon == std::string_view::npos) return grouping + none;
    text.remove_prefix(semicolon + 1);
  }
}

}  // namespace dtaus::detail
