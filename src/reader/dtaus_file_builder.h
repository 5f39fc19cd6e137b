// Test support: writes small DTAUS files byte by byte, independently of the library,
// so that the reader can be tested on files with any content, including content the
// library would never write.
//
//   dtaus::detail::DtausFileBuilder file;   // a valid GK file on a Diskette
//   dtaus::detail::PaymentInput payment;     // 119.00 EUR to ERIKA MUSTERMANN
//   payment.parts = {{"02", "ZWECK 2"}};
//   file.Add(payment);
//   std::string bytes = file.Bytes();       // A, C, E with matching count and sums
#ifndef DTAUS_READER_DTAUS_FILE_BUILDER_H_
#define DTAUS_READER_DTAUS_FILE_BUILDER_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dtaus::detail {

// One record C. Numbers are given without leading zeros; the builder fills them.
struct PaymentInput {
  std::string key = "51";
  std::string supplement = "000";
  std::string blz = "87654321";
  std::string konto = "1234567";
  std::string reference;
  std::string cents = "11900";
  std::string name = "ERIKA MUSTERMANN";
  std::string purpose = "RECHNUNG 4711";
  // Extension parts: type code and text, written in this order.
  std::vector<std::pair<std::string, std::string>> parts;
};

struct DtausFileBuilder {
  bool kassette = false;
  std::string kind = "GK";
  std::string blz = "12345678";
  std::string name = "MUSTERMANN GMBH";
  std::string creation_date = "051226";
  std::string konto = "1234567890";
  std::string execution_date;  // empty: eight blanks
  std::vector<PaymentInput> payments;

  void Add(PaymentInput payment) { payments.push_back(std::move(payment)); }

  static std::string Text(const std::string& s, std::size_t width) {
    return s + std::string(width - s.size(), ' ');
  }
  static std::string Number(const std::string& s, std::size_t width) {
    return std::string(width - s.size(), '0') + s;
  }

  std::string HeaderRecord() const {
    std::string a = kassette ? "0256" : "0128";
    a += "A" + kind + blz + "00000000" + Text(name, 27) + creation_date + "    " +
         Number(konto, 10) + Number("", 10) + std::string(15, ' ') + Text(execution_date, 8) +
         std::string(24, ' ') + "1";
    if (kassette) a += std::string(128, ' ');
    return a;
  }

  std::string PaymentRecord(const PaymentInput& p) const {
    const std::size_t n = p.parts.size();
    std::string c = "0" + std::to_string(187 + 29 * n) + "C" + blz + p.blz + Number(p.konto, 10) +
                    Number(p.reference, 13) + p.key + p.supplement + " " + Number("", 11) + blz +
                    Number(konto, 10) + Number(p.cents, 11) + "   " + Text(p.name, 27) +
                    std::string(8, ' ') + Text(name, 27) + Text(p.purpose, 27) + "1" + "  " +
                    (n < 10 ? "0" : "") + std::to_string(n);
    std::vector<std::string> slots;
    for (const auto& [type, text] : p.parts) slots.push_back(type + Text(text, 27));
    // Block 2 holds two parts and 11 blanks; each further block four parts and 12 blanks.
    while (slots.size() < 2 || (slots.size() - 2) % 4 != 0) slots.push_back(std::string(29, ' '));
    c += slots[0] + slots[1] + std::string(11, ' ');
    for (std::size_t i = 2; i < slots.size(); i += 4) {
      c += slots[i] + slots[i + 1] + slots[i + 2] + slots[i + 3] + std::string(12, ' ');
    }
    return c;
  }

  std::string TrailerRecord() const {
    std::uint64_t konto_sum = 0, blz_sum = 0, euro = 0;
    for (const auto& p : payments) {
      konto_sum += std::stoull(p.konto);
      blz_sum += std::stoull(p.blz);
      euro += std::stoull(p.cents);
    }
    std::string e = kassette ? "0256" : "0128";
    e += "E" + std::string(5, ' ') + Number(std::to_string(payments.size()), 7) + Number("", 13) +
         Number(std::to_string(konto_sum), 17) + Number(std::to_string(blz_sum), 17) +
         Number(std::to_string(euro), 13) + std::string(51, ' ');
    if (kassette) e += std::string(128, ' ');
    return e;
  }

  std::string Bytes() const {
    std::string bytes = HeaderRecord();
    for (const auto& p : payments) bytes += PaymentRecord(p);
    return bytes + TrailerRecord();
  }
};

}  // namespace dtaus::detail

#endif  // DTAUS_READER_DTAUS_FILE_BUILDER_H_
