#include "tools/slip.h"

#include <utility>
#include <vector>

#include "dtaus/iban.h"
#include "fields/text_codec.h"
#include "tools/amount.h"
#include "tools/bank_check.h"
#include "tools/dtaus_alphabet.h"
#include "tools/safe_echo.h"
#include "tools/show_report.h"

namespace dtaus::tool {
namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

// The slip's entries in the order of the banks' forms.
// "DE89 3704 0044 0532 0130 00": an IBAN on paper, in groups of four.
std::string Grouped(const std::string& iban) {
  std::string out;
  for (std::size_t i = 0; i < iban.size(); i += 4) {
    if (i > 0) out += ' ';
    out += iban.substr(i, 4);
  }
  return out;
}

Lines SlipLines(const DtausReader& reader, const std::string& file_name, const BankNotes* banks) {
  HeaderRecord a;
  if (reader.Header()) a = *reader.Header();
  const DtausTotals& totals = reader.Totals();
  std::string kind = a.kind;
  if (kind == "GK") kind = "Sammel-Überweisung (GK)";
  if (kind == "LK") kind = "Sammel-Lastschrift (LK)";
  // A file with warnings still gets its slip, and a warning may be a control character
  // in a name: the slip shows it as its code, as every message of the tool does.
  Lines lines = {
      {"Auftraggeber", FromDtausAlphabet(a.Name)},
      {"Bankleitzahl", a.BLZ},
      {"Kontonummer", StripZeros(a.Konto)},
      {"Art der Datei", kind},
      {"Erstellungsdatum", DisplayDate(a.AktuellesDatum)},
      {"Ausführungsdatum",
       a.AusfuehrungsDatum.empty() ? "nicht angegeben" : DisplayDate(a.AusfuehrungsDatum)},
      {"Anzahl der Datensätze C", std::to_string(totals.count)},
      {"Summe der Beträge in Euro", FormatEuroGerman(totals.euro_cents)},
      {"Kontrollsumme der Kontonummern", std::to_string(totals.konto_sum)},
      {"Kontrollsumme der Bankleitzahlen", std::to_string(totals.blz_sum)},
      {"Datenträger", a.record_length == "0256" ? "Kassette" : "Diskette"},
      {"Dateiname", file_name},
  };
  if (banks != nullptr) {
    const std::string bank = banks->BankOf(a.BLZ);
    const std::string iban = GermanIban(a.BLZ, a.Konto);
    lines.insert(lines.begin() + 2, {"Kreditinstitut", bank.empty() ? "unbekannt" : bank});
    if (!iban.empty()) {
      lines.insert(lines.begin() + 4, {"IBAN (nach Standardregel)", Grouped(iban)});
    }
  }
  for (auto& [label, value] : lines) value = SafeEcho(value);
  return lines;
}

std::string EscapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string RenderSlipText(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks) {
  const Lines lines = SlipLines(reader, file_name, banks);
  std::size_t width = 0;
  for (const auto& [label, value] : lines) width = std::max(width, detail::CountCodePoints(label));
  std::string out = "Begleitzettel\nBelegloser Datenträgeraustausch (DTAUS)\n\n";
  for (const auto& [label, value] : lines) {
    out += label + std::string(width + 2 - detail::CountCodePoints(label), ' ') + value + "\n";
  }
  const std::string rule(40, '_');
  out += "\n\nOrt, Datum     " + rule + "\n\n\nUnterschrift   " + rule + "\n";
  return out;
}

std::string RenderSlipHtml(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks) {
  std::string out =
      "<!DOCTYPE html>\n"
      "<html lang=\"de\">\n"
      "<head>\n"
      "<meta charset=\"utf-8\">\n"
      "<title>Begleitzettel " +
      EscapeHtml(file_name) +
      "</title>\n"
      "<style>\n"
      "@page { size: A4; margin: 20mm; }\n"
      "body { font-family: sans-serif; font-size: 11pt; max-width: 170mm; margin: 0 auto; }\n"
      "@media screen { body { margin: 15mm auto; } }\n"
      "h1 { font-size: 18pt; margin: 0 0 2mm; }\n"
      "p.untertitel { margin: 0 0 8mm; }\n"
      "table { border-collapse: collapse; width: 100%; }\n"
      "th, td { text-align: left; padding: 2.5mm 3mm; border-bottom: 0.2mm solid #999; }\n"
      "th { width: 45%; font-weight: normal; }\n"
      "td { font-weight: bold; }\n"
      ".unterschriften { display: flex; gap: 12mm; margin-top: 30mm; }\n"
      ".linie { flex: 1; border-top: 0.3mm solid #000; padding-top: 1.5mm; font-size: 9pt; }\n"
      "</style>\n"
      "</head>\n"
      "<body>\n"
      "<h1>Begleitzettel</h1>\n"
      "<p class=\"untertitel\">Belegloser Datenträgeraustausch (DTAUS)</p>\n"
      "<table>\n";
  for (const auto& [label, value] : SlipLines(reader, file_name, banks)) {
    out += "<tr><th>" + EscapeHtml(label) + "</th><td>" + EscapeHtml(value) + "</td></tr>\n";
  }
  out +=
      "</table>\n"
      "<div class=\"unterschriften\">\n"
      "<div class=\"linie\">Ort, Datum</div>\n"
      "<div class=\"linie\">Unterschrift</div>\n"
      "</div>\n"
      "</body>\n"
      "</html>\n";
  return out;
}

}  // namespace dtaus::tool
