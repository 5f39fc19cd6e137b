#include "sequence_model.h"

#include <cmath>

namespace dtaus::fuzz::sequence {

ref::Today g_today{2026, 3, 10};
Separators g_separators;

std::optional<std::size_t> Length(std::string_view text) {
  const auto chars = ref::DecodeUtf8(text);
  if (!chars) return std::nullopt;
  return chars->size();
}

namespace {

bool Digits(std::string_view text) { return ref::IsDigitNumber(text); }

}  // namespace

void ModelRules::Number(std::string_view v, std::size_t width, int failure, int length, int invalid,
                        std::string& target) {
  Clear(failure);
  const auto n = Length(v);
  if (!n) return Break(failure);
  if (*n > width) return Break(length);
  Clear(length);
  if (!Digits(v)) return Break(invalid);
  target = v;
  Clear(invalid);
}

// ---- The header ----

void HeaderModel::Media(std::int32_t m) {
  Clear(1010);
  if (m == 0 || m == 1) {
    satz = m == 0 ? "0128" : "0256";
    Clear(1011);
  } else {
    Break(1011);
  }
}

void HeaderModel::Typ(std::int32_t t) {
  Clear(1020);
  if (t == 0 || t == 1) {
    kenn = t == 0 ? "LK" : "GK";
    Clear(1021);
  } else {
    Break(1021);
  }
}

void HeaderModel::Blz(std::string_view v) {
  Clear(1033), Clear(1030);
  const auto n = Length(v);
  if (!n) return Break(1033);
  if (*n != 8) return Break(1031);
  Clear(1031);
  if (!Digits(v)) return Break(1032);
  Clear(1032);
  blz = v;
}

void HeaderModel::Name(std::string_view v) {
  Clear(1042), Clear(1040);
  const auto n = Length(v);
  if (!n) return Break(1042);
  if (*n > 27) {
    Break(1041);
  } else {
    Clear(1041);
  }
  name = v;
}

void HeaderModel::Konto(std::string_view v) {
  Clear(1060);
  Number(v, 10, 1063, 1061, 1062, konto);
}

void HeaderModel::Referenz(std::string_view v) { Number(v, 10, 1072, 1070, 1071, referenz); }
void HeaderModel::Datum(std::string_view v) {
  Clear(1052);
  if (!Length(v)) return Break(1052);
  const ref::DateResult r = ref::FormatDate(v, false, g_today);
  if (!r.error.empty()) {
    datum.clear();
    return Break(1051);
  }
  datum = r.compact;
  Clear(1051);
}

void HeaderModel::Ausfuehrung(std::string_view v) {
  Clear(1083);
  if (!Length(v)) return Break(1083);
  if (v.empty()) {
    ausfuehrung.clear();
    return;
  }
  if (datum.empty()) return Break(1080);
  Clear(1080);
  const ref::DateResult r = ref::FormatDate(v, true, g_today);
  if (!r.error.empty()) return Break(1081);
  ausfuehrung = r.compact;
  Clear(1081);
  const std::int64_t days = ref::DaysBetween(datum, ausfuehrung);
  // The day count is a 16-bit number: beyond it the assignment fails unexpectedly.
  if (days < -32768 || days > 32767) return Break(1083);
  if (days < 0 || days > 15) {
    Break(1082);
  } else {
    Clear(1082);
  }
}

// ---- A payment ----

void PaymentModel::Blz(std::string_view v) {
  Clear(2060), Clear(2063);
  const auto n = Length(v);
  if (!n) return Break(2063);
  if (*n != 8) return Break(2062);
  Clear(2062);
  if (!Digits(v)) return Break(2061);
  blz = v;
  Clear(2061);
}

void PaymentModel::Text27(std::string_view v, int failure, int length, std::string& target) {
  Clear(failure);
  const auto n = Length(v);
  if (!n) return Break(failure);
  if (*n > 27) return Break(length);
  target = v;
  Clear(length);
}

void PaymentModel::Name(std::string_view v) {
  Clear(2070);
  Text27(v, 2072, 2071, name);
}

void PaymentModel::Zweck(std::string_view v) { Text27(v, 2111, 2110, zweck); }

void PaymentModel::Konto(std::string_view v) {
  Clear(2080);
  Number(v, 10, 2083, 2082, 2081, konto);
}

void PaymentModel::Referenz(std::string_view v) { Number(v, 13, 2123, 2124, 2122, referenz); }

void PaymentModel::SetNet(const ref::Decimal& net) {
  const double n = ref::ToDouble(net);
  const double gross = n * 1.19;
  if (!std::isfinite(n) || !std::isfinite(gross) || !std::isfinite(gross * 100.0)) {
    return Break(2093);
  }
  const std::string c = ref::GrossCents(net);
  if (c[0] == '-') return Break(2091);  // no negative amounts in a DTAUS record
  if (c.size() > 11) return Break(2092);
  cents = c;
  Clear(2091), Clear(2092);
}

void PaymentModel::Netto(std::string_view v) {
  Clear(2090), Clear(2093);
  if (!Length(v)) return Break(2093);
  const auto net = ref::ParseNumber(v, g_separators.decimal_point, g_separators.thousands_sep);
  if (!net) return Break(2091);
  SetNet(*net);
}

void PaymentModel::Brutto(std::string_view v) {
  if (!Length(v)) return Break(2093);
  const auto gross = ref::ParseNumber(v, g_separators.decimal_point, g_separators.thousands_sep);
  if (!gross) return Break(2091);
  if (std::isinf(ref::ToDouble(*gross))) return Break(2093);
  const ref::Decimal net = ref::NetFromGross(*gross);
  Clear(2090), Clear(2093);
  SetNet(net);
}

void PaymentModel::Part(int slot, std::string_view v) {
  // Name2 2150/2151, VerwendungsZweck2-4 2120-2140, 5-14 3150-3240, MeineInfoName2 2160.
  int length;
  if (slot == 0) {
    length = 2150;
  } else if (slot <= 3) {
    length = 2110 + 10 * slot;
  } else if (slot <= 13) {
    length = 3110 + 10 * slot;
  } else {
    length = 2160;
  }
  // Nothing is cleared first: a continuation's failure rule, once broken, stays.
  const auto n = Length(v);
  if (!n) return Break(length + 1);
  if (*n > 27) return Break(length);
  parts[static_cast<std::size_t>(slot)] = std::string(v);
  Clear(length);
}

}  // namespace dtaus::fuzz::sequence
