// The property-sequence harness: arbitrary calls on the public classes, then Generate.
//
// The input is a small program. Each instruction byte picks a call (a header property, a
// payment property, adding a payment, a new path, Generate, ...) and the bytes after it
// its arguments: texts from a dictionary of DTAUS values, raw bytes (invalid UTF-8
// included), texts of 27, 28, 32,767, 32,768 or 40,000 characters, dates around today.
//
// Beside the real objects the harness keeps a model of each: the broken rules and the
// stored values, updated by the documented rules in their plainest form (reference.h
// does the number and date checks). After every call the model must agree with the
// object's validity, its number of broken rules and its getters. Generate must return
// exactly the result the model predicts and leave the file in the state that result
// promises: on success a file that the reader takes without a single error and whose
// every field, count and control sum equals the objects' values; on any other result a
// file that is empty or was never touched; never a temporary file left behind; never an
// exception towards the host.
//
// This file is the program: the input read as calls, and the run. The parts it drives:
//   sequence_model.h  the models of a header and a payment
//   sequence_files.h  the paths, the working folder and the injected file-system faults
//   sequence_check.h  the objects beside their models, the prediction and the checks
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <locale>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/dtaus.h"
#include "fields/clock.h"
#include "harness.h"
#include "records/test_support.h"
#include "reference.h"
#include "sequence_check.h"
#include "sequence_files.h"
#include "sequence_model.h"

namespace dtaus::fuzz::sequence {
namespace {

using namespace std::string_view_literals;

// ---- Input ----

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string Bytes(std::size_t n) {
    n = std::min(n, size_ - std::min(pos_, size_));
    std::string out(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Values a host might send, the boundaries of every rule, and what no host should send.
constexpr std::string_view kDictionary[] = {
    ""sv, "0"sv, "00000000"sv, "12345678"sv, "87654321"sv, "1234567"sv, "123456789"sv,
    "1234567890"sv, "12345678901"sv, "1234567890123"sv, "12345678901234"sv, "-5"sv, "+5"sv,
    " 42 "sv, "1.5"sv, "1,5"sv, "0,00"sv, "0.0"sv, "12a"sv, "1234567X"sv,
    "\uFF11\uFF12\uFF13\uFF14\uFF15\uFF16\uFF17\uFF18"sv,  // fullwidth digits: not ASCII
    "100"sv, "1"sv, "0.01"sv, "12.34"sv, "12,34"sv, "1.234,56"sv, "1,234.56"sv,
    "999999999.99"sv, "840336134.44"sv, "840336134.45"sv, "-1"sv, "-0.001"sv, "0.004"sv,
    "0.005"sv, "1e5"sv, "inf"sv, "nan"sv, "0x10"sv, "$5"sv, "10"sv, "119"sv, "\t7\t"sv,
    "0.0000000000000000000000000001"sv, "1.19"sv, "99999999999"sv, "8403361344.5378"sv,
    "MUSTERMANN GMBH"sv, "ERIKA MUSTERMANN"sv, "M\u00DCLLER & S\u00D6HNE"sv,
    "J\u00DCRGEN GRO\u00DF"sv, "BEITRAG 10 \u20AC"sv, "\u0141\u00D3D\u0179"sv, "\u03A9"sv,
    "\u0081 STEUERZEICHEN"sv, "STRA\u1E9EE"sv, "\U0001F600"sv, "AB\0CD"sv, "A\r\nB"sv,
    "XXXXXXXXXXXXXXXXXXXXXXXXXXX"sv, "XXXXXXXXXXXXXXXXXXXXXXXXXXXX"sv, "NAME   "sv, "   "sv,
    "\u0178\u0152\u0160\u017D\u0192\u02C6\u02DC\u2122"sv, "\u00FF\u0100"sv,
    "05.12.26"sv, "051226"sv, "31.11.26"sv, "310226"sv, "001226"sv, "321226"sv, "051326"sv,
    "0512xx"sv, "5.12.26"sv, "010130"sv, "311299"sv, "+11226"sv, "05122026"sv,
    "\xC3\x28"sv, "\xFF"sv, "\xED\xA0\x80"sv, "\xC0\xAF"sv, "\xF4\x90\x80\x80"sv, "1\xC3("sv,
    "12\xFF" "45678"sv, "\xE2\x82"sv,
};

// Repeated units for the long texts; lengths count characters.
constexpr std::string_view kUnits[] = {"A"sv, "9"sv, "\u00C4"sv, "\u20AC"sv, "\u0141"sv,
                                       "\xFF"sv, " "sv, "\0"sv, "\U0001F600"sv};
// Mostly the boundary of the text fields; now and then beyond the 16-bit length of a field.
constexpr std::size_t kLengths[] = {
    26, 27, 28, 26, 27, 28, 26, 27, 28, 26, 27, 28,  // the fields of 27 characters
    0,  32767, 32768, 40000,
};

std::string Repeat(std::string_view unit, std::size_t n) {
  std::string out;
  out.reserve(unit.size() * n);
  for (std::size_t i = 0; i < n; ++i) out += unit;
  return out;
}

detail::CivilDate PinnedToday() { return {g_today.year, g_today.month, g_today.day}; }

std::string Text(Input& in) {
  const std::uint8_t kind = in.Byte();
  switch (kind % 5) {
    case 0:
      return in.Bytes(in.Byte());
    case 1:
      return std::string(kDictionary[in.Byte() % std::size(kDictionary)]);
    case 2: {
      const std::string_view unit = kUnits[in.Byte() % std::size(kUnits)];
      return Repeat(unit, kLengths[in.Byte() % std::size(kLengths)]);
    }
    case 3: {
      // A date some days from today, in one of the forms the header accepts or nearly so.
      const int offset = static_cast<std::int8_t>(in.Byte()) % 40;
      static constexpr std::string_view kSeparators[] = {""sv, "."sv, "/"sv, "\u00E4"sv, "-"sv};
      const std::uint8_t form = in.Byte();
      return ref::DateText(g_today, offset, form & 1, kSeparators[(form >> 1) % 5]);
    }
    default: {
      // A dictionary value with a few bytes inserted somewhere.
      std::string base(kDictionary[in.Byte() % std::size(kDictionary)]);
      const std::size_t at = base.empty() ? 0 : in.Byte() % (base.size() + 1);
      base.insert(at, in.Bytes(in.Byte() % 4));
      return base;
    }
  }
}

// ---- Header and payment calls ----

void HeaderText(File& f, int property, const std::string& v) {
  MeineInfo& h = *f.header;
  HeaderModel& m = f.model;
  Host("MeineInfo setter", [&] {
    switch (property) {
      case 0: h.BLZ(v), m.Blz(v); break;
      case 1: h.Name(v), m.Name(v); break;
      case 2: h.AktuellesDatum(v), m.Datum(v); break;
      case 3: h.Konto(v), m.Konto(v); break;
      case 4: h.FreieReferenz(v), m.Referenz(v); break;
      default: h.AusfuehrungsDatum(v), m.Ausfuehrung(v); break;
    }
  });
}

using detail::kContinuations;
static_assert(std::size(kContinuations) == kParts);
constexpr int kPaymentProperties = 8 + kParts;

void PaymentText(Payment& p, int property, const std::string& v) {
  GeldTransfer& g = *p.object;
  PaymentModel& m = p.model;
  Host("GeldTransfer setter", [&] {
    switch (property) {
      case 0: g.BLZ(v), m.Blz(v); break;
      case 1: g.Name(v), m.Name(v); break;
      case 2: g.Konto(v), m.Konto(v); break;
      case 3: g.FreieReferenz(v), m.Referenz(v); break;
      case 4: g.BetragEuro(v), m.Netto(v); break;
      case 5: g.BetragEuroNetto(v), m.Netto(v); break;
      case 6: g.BetragEuroBrutto(v), m.Brutto(v); break;
      case 7: g.VerwendungsZweck(v), m.Zweck(v); break;
      default: {
        const int slot = property - 8;
        (g.*kContinuations[slot])(v);
        m.Part(slot, v);
      }
    }
  });
}

// ---- The program ----

struct GermanPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
};

constexpr ref::Today kTodays[] = {
    {2026, 3, 10}, {2026, 12, 28}, {2026, 12, 31}, {2027, 1, 1}, {2028, 2, 29}, {2026, 2, 15},
};

constexpr std::size_t kMaxPayments = 8;
constexpr std::size_t kMaxListed = 300;
constexpr int kMaxGenerates = 4;

enum Op {
  kHeaderMedia,
  kHeaderTyp,
  kHeaderText,
  kPaymentText,
  kAdd,
  kAddMany,
  kAddNull,
  kGenerate,
  kNewPayment,
  kNewFile,
  kValidHeader,
  kValidPayment,
  kPath,
  kStale,
  kLocale,
  kOpCount
};

std::int32_t EnumValue(Input& in) {
  static constexpr std::int32_t kValues[] = {0, 1, 2, -1, INT32_MIN, INT32_MAX};
  const std::uint8_t b = in.Byte();
  return b < 2 * std::size(kValues) ? kValues[b % std::size(kValues)] : b;
}

void Run(Input& in) {
  g_today = kTodays[in.Byte() % std::size(kTodays)];
  const detail::TodayFunction previous_today = detail::SetToday(&PinnedToday);
  const std::locale previous_locale = std::locale::global(std::locale::classic());
  g_separators = {};
  CleanDir();

  File file;
  std::vector<Payment> payments;
  payments.push_back({std::make_shared<GeldTransfer>(), {}});
  int generates = 0;

  auto payment_index = [&](std::uint8_t b) {
    return static_cast<std::size_t>(b) % payments.size();
  };

  while (!in.empty()) {
    const int op = in.Byte() % kOpCount;
    switch (op) {
      case kHeaderMedia: {
        const std::int32_t v = EnumValue(in);
        Host("DateiMedia", [&] { file.header->DateiMedia(static_cast<MediaTyp>(v)); });
        file.model.Media(v);
        CheckHeader(file);
        break;
      }
      case kHeaderTyp: {
        const std::int32_t v = EnumValue(in);
        Host("GeldTransferTyp", [&] { file.header->GeldTransferTyp(static_cast<TransferTyp>(v)); });
        file.model.Typ(v);
        CheckHeader(file);
        break;
      }
      case kHeaderText: {
        const int property = in.Byte() % 6;
        HeaderText(file, property, Text(in));
        CheckHeader(file);
        break;
      }
      case kPaymentText: {
        Payment& p = payments[payment_index(in.Byte())];
        const int property = in.Byte() % kPaymentProperties;
        PaymentText(p, property, Text(in));
        CheckPayment(p);
        break;
      }
      case kAdd:
      case kAddMany: {
        // The same payment may be added any number of times; each time it is written.
        const std::size_t i = payment_index(in.Byte());
        std::size_t n = op == kAddMany ? in.Byte() : 1;
        n = std::min(n, kMaxListed - std::min(kMaxListed, file.payments.size()));
        for (std::size_t k = 0; k < n; ++k) {
          Host("AddGeldTransfer", [&] { file.object->AddGeldTransfer(payments[i].object); });
          file.payments.push_back(static_cast<int>(i));
        }
        break;
      }
      case kAddNull:
        if (file.payments.size() < kMaxListed) {
          Host("AddGeldTransfer(nullptr)", [&] { file.object->AddGeldTransfer(nullptr); });
          file.payments.push_back(-1);
        }
        break;
      case kGenerate: {
        const std::uint8_t b = in.Byte();
        Fault fault;
        if (b & 0x0F) fault = {1 + (b & 0x07), (b & 0x80) != 0};
        if (generates++ < kMaxGenerates) GenerateAndCheck(file, payments, fault);
        break;
      }
      case kNewPayment:
        if (payments.size() < kMaxPayments) {
          payments.push_back({std::make_shared<GeldTransfer>(), {}});
        }
        break;
      case kNewFile:
        file = File();
        break;
      case kValidHeader:
        Host("valid header", [&] {
          file.header->DateiMedia(MediaTyp::Diskette);
          file.header->GeldTransferTyp(TransferTyp::Gutschrift);
        });
        file.model.Media(0);
        file.model.Typ(1);
        HeaderText(file, 0, "12345678");
        HeaderText(file, 1, "MUSTERMANN GMBH");
        HeaderText(file, 3, "1234567890");
        CheckHeader(file);
        break;
      case kValidPayment: {
        Payment& p = payments[payment_index(in.Byte())];
        PaymentText(p, 0, "87654321");
        PaymentText(p, 1, "ERIKA MUSTERMANN");
        PaymentText(p, 2, "1234567");
        PaymentText(p, 4, "100");
        CheckPayment(p);
        break;
      }
      case kPath: {
        file.path = static_cast<PathMode>(in.Byte() % kPathModes);
        const std::string path = PathFor(file.path);
        Host("Pfad", [&] { file.object->Pfad(path); });
        break;
      }
      case kStale: {
        // A file from an earlier run at one of the two target paths.
        const std::string path = PathFor(in.Byte() % 2 ? PathMode::kUmlaut : PathMode::kNormal);
        std::ofstream(path, std::ios::binary) << "stale content of an earlier run";
        break;
      }
      case kLocale:
        if (in.Byte() % 2) {
          std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
          g_separators = {',', '.'};
        } else {
          std::locale::global(std::locale::classic());
          g_separators = {};
        }
        break;
    }
  }
  // Every program ends with a Generate, so that every input reaches the file.
  GenerateAndCheck(file, payments, {});

  std::locale::global(previous_locale);
  detail::SetToday(previous_today);
}

}  // namespace
}  // namespace dtaus::fuzz::sequence

namespace dtaus::fuzz {

void RunGenerateSequence(const std::uint8_t* data, std::size_t size) {
  sequence::Input in(data, size);
  sequence::Run(in);
}

}  // namespace dtaus::fuzz
