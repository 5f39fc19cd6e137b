#include "tool_workload.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>

#include "dtaus/bank_directory.h"
#include "sample_orders.h"
#include "scratch_dir.h"

namespace dtaus::bench {
namespace {

// The directory Debian ships; the same file the tool checks against by default.
constexpr char kBankFile[] = "/usr/share/ktoblzcheck/blz_20200420.txt";
constexpr std::size_t kBankRecord = 168;
constexpr std::size_t kMethodAt = 150;

// Bank codes of banks themselves (mark 1) whose method has a check digit, in file order.
std::vector<std::string> CheckedBankCodes() {
  std::ifstream in(kBankFile, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> codes;
  for (std::size_t pos = 0; pos + kBankRecord <= bytes.size();) {
    const std::string_view record = std::string_view(bytes).substr(pos, kBankRecord);
    if (record[8] == '1' && record.substr(kMethodAt, 2) != "09") {
      codes.emplace_back(record.substr(0, 8));
    }
    const std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return codes;
}

std::string Digits(std::uint64_t value, int width) {
  std::string text(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0 && value > 0; --i) {
    text[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return text;
}

// Distinct payments: bank codes in turn, an account of 7 to 10 digits that passes the
// bank's method, amounts from 0.01 to 99,999.99.
std::string MakePayments(std::vector<WorkloadPayment>& payments) {
  const BankDirectory directory = BankDirectory::Bundled();
  if (!directory.Error().empty()) return directory.Error();
  const std::vector<std::string> codes = CheckedBankCodes();
  if (codes.empty()) return std::string(kBankFile) + ": no bank codes";
  payments.reserve(kMaxPayments);
  std::size_t bank = 0;
  for (int i = 0; i < kMaxPayments; ++i) {
    const auto n = static_cast<std::uint64_t>(i);
    WorkloadPayment p;
    const int digits = 7 + i % 4;
    std::uint64_t candidate = (n * 104'729 + 1'000'003) % 9'000'000 + 1'000'000;
    for (int attempt = 0;; ++attempt) {
      if (attempt == 200) {  // a method that takes next to nothing: the next bank
        bank = (bank + 1) % codes.size();
        attempt = 0;
      }
      p.blz = codes[bank];
      p.konto = std::to_string(candidate) + Digits(n, digits - 7);
      if (directory.Check(p.blz, p.konto) == AccountCheck::kValid) break;
      ++candidate;
    }
    bank = (bank + 1) % codes.size();
    p.name = "MÜLLER, JÜRGEN NR. " + Digits(n, 5);
    p.betrag = std::to_string((n * 37) % 100'000) + "." + Digits(1 + n % 99, 2);
    p.zweck = "RECHNUNG 2026-" + Digits(n, 5);
    p.zweck2 = "KUNDENNUMMER " + Digits(n * 7, 6);
    payments.push_back(std::move(p));
  }
  return "";
}

constexpr char kHeaderJson[] =
    "  \"MeineInfo\": {\n"
    "    \"DateiMedia\": \"Diskette\",\n"
    "    \"GeldTransferTyp\": \"Gutschrift\",\n"
    "    \"BLZ\": \"37040044\",\n"
    "    \"Name\": \"MUSTERMANN GMBH\",\n"
    "    \"Konto\": \"532013000\"\n"
    "  }";

// Tab-separated values, for the baseline process.
std::string ValuesFile(const std::vector<WorkloadPayment>& payments) {
  std::string values;
  for (const WorkloadPayment& p : payments) {
    values += p.blz + "\t" + p.konto + "\t" + p.name + "\t" + p.betrag + "\t" + p.zweck + "\t" +
              p.zweck2 + "\n";
  }
  return values;
}

std::uint64_t WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  return out ? content.size() : 0;
}

// As an export from an accounting program writes it: one property per line.
std::string JsonDocument(const std::vector<WorkloadPayment>& payments) {
  std::string json = "{\n" + std::string(kHeaderJson) + ",\n  \"GeldTransfer\": [\n";
  for (std::size_t i = 0; i < payments.size(); ++i) {
    const WorkloadPayment& p = payments[i];
    json += "    {\n      \"BLZ\": \"" + p.blz + "\",\n      \"Konto\": \"" + p.konto +
            "\",\n      \"Name\": \"" + p.name + "\",\n      \"BetragEuroBrutto\": \"" + p.betrag +
            "\",\n      \"VerwendungsZweck\": \"" + p.zweck +
            "\",\n      \"VerwendungsZweck2\": \"" + p.zweck2 + "\"\n    }";
    json += i + 1 < payments.size() ? ",\n" : "\n";
  }
  return json + "  ]\n}\n";
}

// As a German spreadsheet saves it: semicolons, the names quoted for their comma.
std::string CsvDocument(const std::vector<WorkloadPayment>& payments) {
  std::string csv = "BLZ;Konto;Name;BetragEuroBrutto;VerwendungsZweck;VerwendungsZweck2\n";
  for (const WorkloadPayment& p : payments) {
    csv += p.blz + ";" + p.konto + ";\"" + p.name + "\";" + p.betrag + ";" + p.zweck + ";" +
           p.zweck2 + "\n";
  }
  return csv;
}

ToolWorkload MakeWorkload(const std::string& dir) {
  ToolWorkload w;
  w.error = MakePayments(w.payments);
  if (!w.error.empty()) return w;
  w.json_path = dir + "/w.json";
  w.csv_path = dir + "/w.csv";
  w.header_path = dir + "/w_header.json";
  w.values_path = dir + "/w_values.tsv";
  w.json_size = WriteFile(w.json_path, JsonDocument(w.payments));
  w.csv_size = WriteFile(w.csv_path, CsvDocument(w.payments));
  const bool header = WriteFile(w.header_path, "{\n" + std::string(kHeaderJson) + "\n}\n") > 0 &&
                      WriteFile(w.values_path, ValuesFile(w.payments)) > 0;
  w.largest_path = dir + "/largest.txt";
  const std::string failure = GenerateInCode(w, w.largest_path, true);
  w.largest_size = FileSize(kMaxPayments, true);
  if (w.json_size == 0 || w.csv_size == 0 || !header || !failure.empty()) {
    w.error = "the workload files could not be written " + failure;
  }
  return w;
}

}  // namespace

const ToolWorkload& SharedToolWorkload() {
  static const ToolWorkload workload = MakeWorkload(SharedScratchDir().path());
  return workload;
}

int WriteToolWorkload(const std::string& dir) {
  const ToolWorkload workload = MakeWorkload(dir);
  if (!workload.error.empty()) {
    std::fprintf(stderr, "dtaus_bench: %s\n", workload.error.c_str());
    return 1;
  }
  std::printf("%s\n%s\n%s\n%s\n", workload.json_path.c_str(), workload.csv_path.c_str(),
              workload.header_path.c_str(), workload.largest_path.c_str());
  return 0;
}

namespace {

// One payment's values, as views into wherever the host keeps them.
struct PaymentValues {
  std::string_view blz, konto, name, betrag, zweck, zweck2;
};

std::string Generate(const std::vector<PaymentValues>& payments, const std::string& path,
                     bool with_parts) {
  auto datei = std::make_shared<DtausDatei>();
  datei->Pfad(path);
  MeineInfo& kopf = *datei->GetMeineInfo();
  kopf.DateiMedia(MediaTyp::Diskette);
  kopf.GeldTransferTyp(TransferTyp::Gutschrift);
  kopf.BLZ("37040044");
  kopf.Name("MUSTERMANN GMBH");
  kopf.Konto("532013000");
  for (std::size_t i = 0; i < payments.size(); ++i) {
    const PaymentValues& p = payments[i];
    auto zahlung = std::make_shared<GeldTransfer>();
    // The fifteen continuation lines of the file benchmarks; W's own values replace the rest.
    if (with_parts) FillPayment(*zahlung, static_cast<int>(i), true);
    zahlung->BLZ(p.blz);
    zahlung->Konto(p.konto);
    zahlung->Name(p.name);
    zahlung->BetragEuroBrutto(p.betrag);
    zahlung->VerwendungsZweck(p.zweck);
    zahlung->VerwendungsZweck2(p.zweck2);
    datei->AddGeldTransfer(std::move(zahlung));
  }
  return datei->Generate();
}

}  // namespace

std::string GenerateInCode(const ToolWorkload& workload, const std::string& path, bool with_parts) {
  std::vector<PaymentValues> values;
  values.reserve(workload.payments.size());
  for (const WorkloadPayment& p : workload.payments) {
    values.push_back({p.blz, p.konto, p.name, p.betrag, p.zweck, p.zweck2});
  }
  return Generate(values, path, with_parts);
}

int RunLibraryChild(const std::string& values_path, const std::string& out) {
  // One read into memory of the right size: the values cost next to nothing to get, so
  // that what the process spends is the library's.
  std::ifstream in(values_path, std::ios::binary | std::ios::ate);
  std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::vector<PaymentValues> values;
  values.reserve(kMaxPayments);
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    std::string_view fields[6];
    std::string_view tail = line;
    for (std::string_view& field : fields) {
      field = tail.substr(0, tail.find('\t'));
      tail.remove_prefix(std::min(tail.size(), field.size() + 1));
    }
    values.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
  }
  if (values.size() != static_cast<std::size_t>(kMaxPayments)) {
    std::fprintf(stderr, "dtaus_bench: %s: not the %d payments of W\n", values_path.c_str(),
                 kMaxPayments);
    return 1;
  }
  if (const std::string error = Generate(values, out, false); !error.empty()) {
    std::fprintf(stderr, "dtaus_bench: Generate failed: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace dtaus::bench
