#include "sample_orders.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <string_view>

namespace dtaus::bench {
namespace {

// Writes `value` as exactly `width` decimal digits, zero-filled, into `out`.
void PutDigits(char* out, int width, std::uint64_t value) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// Writes `value` into the last `width` characters of the text in `buffer` and returns
// the text (without its terminating zero).
template <std::size_t N>
std::string_view WithNumber(char (&buffer)[N], int width, std::uint64_t value) {
  PutDigits(buffer + N - 1 - width, width, value);
  return std::string_view(buffer, N - 1);
}

using Setter = void (GeldTransfer::*)(std::string_view);

// VerwendungsZweck2 to VerwendungsZweck14, in order.
constexpr std::array<Setter, 13> kPurposeLines = {
    &GeldTransfer::VerwendungsZweck2,  &GeldTransfer::VerwendungsZweck3,
    &GeldTransfer::VerwendungsZweck4,  &GeldTransfer::VerwendungsZweck5,
    &GeldTransfer::VerwendungsZweck6,  &GeldTransfer::VerwendungsZweck7,
    &GeldTransfer::VerwendungsZweck8,  &GeldTransfer::VerwendungsZweck9,
    &GeldTransfer::VerwendungsZweck10, &GeldTransfer::VerwendungsZweck11,
    &GeldTransfer::VerwendungsZweck12, &GeldTransfer::VerwendungsZweck13,
    &GeldTransfer::VerwendungsZweck14,
};

// A payment record C is 256 bytes with up to two extension parts and 768 with fifteen;
// records A and E are 128 bytes each on Diskette.
constexpr std::size_t kShortRecord = 256;
constexpr std::size_t kFullRecord = 768;
constexpr std::size_t kFrameRecords = 2 * 128;

}  // namespace

std::string_view TodayText(bool four_digit_year) {
  struct Dates {
    char created[9] = "dd.mm.yy";
    char execution[11] = "dd.mm.yyyy";
  };
  static const Dates dates = [] {
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    Dates d;
    for (char* date : {d.created, d.execution}) {
      PutDigits(date, 2, static_cast<std::uint64_t>(today.tm_mday));
      PutDigits(date + 3, 2, static_cast<std::uint64_t>(today.tm_mon + 1));
    }
    PutDigits(d.created + 6, 2, static_cast<std::uint64_t>(today.tm_year % 100));
    PutDigits(d.execution + 6, 4, static_cast<std::uint64_t>(today.tm_year + 1900));
    return d;
  }();
  return four_digit_year ? std::string_view(dates.execution, 10)
                         : std::string_view(dates.created, 8);
}

void FillHeader(MeineInfo& kopf) {
  kopf.DateiMedia(MediaTyp::Diskette);
  kopf.GeldTransferTyp(TransferTyp::Gutschrift);
  kopf.BLZ("37040044");
  kopf.Name("MUSTERMANN GMBH");
  kopf.Konto("0532013000");
  kopf.FreieReferenz("4711");
  // Both dates today: the execution date may lie 0 to 15 days after the creation date.
  kopf.AktuellesDatum(TodayText(false));
  kopf.AusfuehrungsDatum(TodayText(true));
}

void FillPayment(GeldTransfer& zahlung, int index, bool with_parts) {
  const auto i = static_cast<std::uint64_t>(index);
  // Bank codes, accounts and references spread over their ranges; account numbers of
  // 6 to 10 digits, as they come; amounts from 0.01 to 99,999.99 net euro.
  char blz[8] = {'5'};
  PutDigits(blz + 1, 7, (i * 7919) % 10'000'000);
  zahlung.BLZ(std::string_view(blz, sizeof blz));

  char konto[10] = {};
  const int konto_digits = 6 + index % 5;
  PutDigits(konto, konto_digits, 1 + (i * 104'729) % 999'999);
  konto[0] = static_cast<char>('1' + index % 9);
  zahlung.Konto(std::string_view(konto, static_cast<std::size_t>(konto_digits)));

  char referenz[13];
  PutDigits(referenz, 13, 4'000'000'000'000 + i);
  zahlung.FreieReferenz(std::string_view(referenz, sizeof referenz));

  char betrag[] = "00000.00";
  PutDigits(betrag, 5, (i * 37) % 100'000);
  PutDigits(betrag + 6, 2, 1 + i % 99);
  zahlung.BetragEuro(betrag);

  // German names carry umlauts: the file encoder meets a few non-ASCII characters in
  // every record, as it does in real files.
  char name[] = "MÜLLER, JÜRGEN NR. 00000";
  zahlung.Name(WithNumber(name, 5, i % 100'000));
  char zweck[] = "RECHNUNG 2026-00000";
  zahlung.VerwendungsZweck(WithNumber(zweck, 5, i % 100'000));
  if (!with_parts) return;

  char name2[] = "GEB. SCHÄFER 00000";
  zahlung.Name2(WithNumber(name2, 5, i % 100'000));
  char line[] = "POSITION 00 ARTIKEL 00000";
  WithNumber(line, 5, i % 100'000);
  for (std::size_t k = 0; k < kPurposeLines.size(); ++k) {
    PutDigits(line + 9, 2, k + 2);
    (zahlung.*kPurposeLines[k])(std::string_view(line, sizeof line - 1));
  }
  zahlung.MeineInfoName2("ABT. FORDERUNGSMANAGEMENT");
}

namespace {

// A file object with its path, a filled header and `count` payments filled by
// fill(zahlung, index).
template <typename Fill>
std::shared_ptr<DtausDatei> MakeFileWith(const std::string& path, int count, Fill fill) {
  auto datei = std::make_shared<DtausDatei>();
  datei->Pfad(path);
  FillHeader(*datei->GetMeineInfo());
  for (int i = 0; i < count; ++i) {
    auto zahlung = std::make_shared<GeldTransfer>();
    fill(*zahlung, i);
    datei->AddGeldTransfer(std::move(zahlung));
  }
  return datei;
}

}  // namespace

std::shared_ptr<DtausDatei> MakeFile(const std::string& path, int count, bool with_parts) {
  return MakeFileWith(path, count, [with_parts](GeldTransfer& zahlung, int index) {
    FillPayment(zahlung, index, with_parts);
  });
}

std::shared_ptr<DtausDatei> MakeFileWithOnePart(const std::string& path, int count) {
  return MakeFileWith(path, count, [](GeldTransfer& zahlung, int index) {
    FillPayment(zahlung, index, false);
    char zweck2[] = "KUNDENNUMMER 000000";
    zahlung.VerwendungsZweck2(WithNumber(zweck2, 6, static_cast<std::uint64_t>(index) * 7));
  });
}

std::size_t FileSize(int count, bool with_parts) {
  return kFrameRecords +
         static_cast<std::size_t>(count) * (with_parts ? kFullRecord : kShortRecord);
}

}  // namespace dtaus::bench
