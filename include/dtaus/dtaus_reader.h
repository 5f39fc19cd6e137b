// File: dtaus/dtaus_reader.h
//
// DtausReader reads a DTAUS file, ours or another program's, back into its records and
// checks whether a bank would take it: header record A, one record C per payment with
// its extension parts, and trailer record E with the count and the control sums.
//
//   std::string bytes = ...;  // the whole file, as read from disk
//   dtaus::DtausReader reader(bytes);
//   for (const dtaus::PaymentRecord& c : reader.Payments())
//     std::cout << c.Name << ' ' << c.cents << '\n';
//   for (const dtaus::Finding& f : reader.Findings())
//     std::cout << f.offset << ' ' << f.record << ' ' << f.field << ": " << f.message << '\n';
//   if (reader.HasErrors()) ...
//
// The file is Windows-1252, one byte per character; every text handed out here is
// UTF-8. Text fields (names, purposes, extension parts) lose their trailing blanks;
// numeric fields keep the digits exactly as written, leading zeros included, so that a
// field that is not a number can still be shown as it stands.
//
// Every problem becomes a Finding with the byte offset at which it starts, the record
// and the DTAUS field. Errors make the file unacceptable (wrong structure, a count or a
// control sum that does not match, a field that is not a number); warnings point at
// things banks may reject, such as characters outside the DTAUS character set,
// reserve fields that are not blank or a payment of zero. The reader never throws and
// never reads outside the bytes it was given, whatever they hold.
//
// No input can make the reader take more than a bounded amount of memory: bytes beyond
// the largest possible DTAUS file (kMaxFileSize) are refused unread, and Findings keeps
// the first kMaxFindings findings in file order; the rest are only counted.
#ifndef DTAUS_DTAUS_READER_H_
#define DTAUS_DTAUS_READER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dtaus/types.h"

namespace dtaus {

enum class Severity { kError, kWarning };

// One problem found in the file.
struct Finding {
  Severity severity = Severity::kError;
  // Byte offset from the start of the file (0-based) where the problem starts.
  std::size_t offset = 0;
  // "A", "C 3" (the third record C) or "E"; empty when the problem lies between
  // records or concerns the file as a whole.
  std::string record;
  // The DTAUS field, e.g. "C12 amount in euro"; empty for the record as a whole.
  std::string field;
  std::string message;
};

// Record A: who submits the file, at which bank, and what kind of file it is.
struct HeaderRecord {
  std::size_t offset = 0;
  // Bytes the record occupies: 128, or 256 on a Kassette.
  std::size_t size = 0;
  std::string record_length;      // A1: "0128" or "0256"
  std::string kind;               // A3: "GK" (credit transfers) or "LK" (direct debits)
  std::string BLZ;                // A4: the ordering party's bank code
  std::string sender_blz;         // A5: a sending bank's bank code, normally zeros
  std::string Name;               // A6: the ordering party's name
  std::string AktuellesDatum;     // A7: creation date, ddmmyy
  std::string Konto;              // A9: the ordering party's account, 10 digits
  std::string FreieReferenz;      // A10: reference number, 10 digits
  std::string AusfuehrungsDatum;  // A11b: execution date, ddmmyyyy, or empty
  std::string currency;           // A12: "1" for euro
  // Derived from A1 and A3 the way the library reads its own header: Kassette only for
  // "0256", Gutschrift only for "GK".
  MediaTyp DateiMedia = MediaTyp::Diskette;
  TransferTyp GeldTransferTyp = TransferTyp::Lastschrift;
};

// One extension part of a record C: type "01" continues the payee's name, "02" the
// purpose text, "03" the ordering party's name.
struct ExtensionPart {
  std::size_t offset = 0;
  std::string type;
  std::string text;
};

// Record C: one payment.
struct PaymentRecord {
  std::size_t offset = 0;
  // Bytes the record occupies in the file: 256 to 768, by extension-part count.
  std::size_t size = 0;
  std::string record_length;             // C1: logical length, 187 + 29 per part
  std::string first_blz;                 // C3: bank code of the first involved bank
  std::string BLZ;                       // C4: payee's (or payer's) bank code
  std::string Konto;                     // C5: payee's (or payer's) account, 10 digits
  std::string FreieReferenz;             // C6: internal customer number, 13 digits
  std::string TextSchluessel;            // C7a: "05" direct debit, "51" credit transfer
  std::string TextSchluesselErgaenzung;  // C7b: "000"
  std::string betrag_dm;                 // C9: former national currency, zeros
  std::string MeineInfoBLZ;              // C10: the ordering party's bank code
  std::string MeineInfoKonto;            // C11: the ordering party's account
  std::string BetragEuro;                // C12: the amount in euro cents, 11 digits
  std::string Name;                      // C14a: payee's (or payer's) name
  std::string MeineInfoName;             // C15: the ordering party's name
  std::string VerwendungsZweck;          // C16: purpose text
  std::string currency;                  // C17a: "1" for euro
  std::string part_count;                // C18: "00" to "15"
  std::vector<ExtensionPart> parts;
  // C12 as a number; 0 when the field holds anything but digits.
  std::int64_t cents = 0;
};

// Record E: the count of records C and the control sums over them.
struct TrailerRecord {
  std::size_t offset = 0;
  std::size_t size = 0;
  std::string Satzlaenge;           // E1: "0128" or "0256"
  std::string TotalDatensatzItems;  // E4: number of records C, 7 digits
  std::string betrag_dm_sum;        // E5: former national currency, zeros
  std::string TotalPasivKonto;      // E6: sum of the accounts C5, 17 digits
  std::string TotalPasivBLZ;        // E7: sum of the bank codes C4, 17 digits
  std::string TotalEuro;            // E8: sum of the amounts C12 in cents, 13 digits
};

// The count and the control sums as recomputed from the records C actually present
// (fields that are not numbers count as 0).
struct DtausTotals {
  std::uint64_t count = 0;
  std::uint64_t konto_sum = 0;
  std::uint64_t blz_sum = 0;
  std::uint64_t euro_cents = 0;
};

class DtausReader {
 public:
  // The largest file DTAUS allows: 32,767 payments (the most a file may carry) of the
  // longest record C (15 extension parts take six blocks of 128 bytes, 768 bytes),
  // between records A and E of 256 bytes each on a Kassette:
  // 32,767 * 768 + 2 * 256 = 25,165,568 bytes. Anything larger cannot be a DTAUS file,
  // so it need not be read to be refused.
  static constexpr std::size_t kMaxFileSize = 32767 * 768 + 2 * 256;
  // Findings lists at most this many; a damaged file of the largest size could
  // otherwise produce millions of them.
  static constexpr std::size_t kMaxFindings = 1000;

  // Parses and checks `bytes`, the complete file. The bytes are not kept. More than
  // kMaxFileSize bytes are not parsed: the only finding then says the file is too large.
  explicit DtausReader(std::string_view bytes) noexcept;

  // Receives each record C as soon as it is read, in file order.
  using PaymentVisitor = std::function<void(const PaymentRecord&)>;

  // The check alone, for a file that is only to be checked, summed up or listed one
  // payment at a time: the same header, trailer, totals, findings and counts as the
  // constructor, but Payments() stays empty, so that the decoded file is never held in
  // memory. Each record C goes to `each_payment`, when given, and is dropped after it.
  // Unless `decode_texts`, the texts of records C (names, purposes, the texts of the
  // extension parts) are checked as always but not decoded: they stay empty, which
  // spares decoding most of the file. Record A is always decoded in full.
  //
  //   DtausReader checked = DtausReader::CheckOnly(bytes);
  //   if (!checked.HasErrors()) std::cout << checked.Totals().euro_cents;
  static DtausReader CheckOnly(std::string_view bytes,
                               const PaymentVisitor& each_payment = nullptr,
                               bool decode_texts = false) noexcept;

  // Record A, when the file has one.
  const std::optional<HeaderRecord>& Header() const { return header_; }
  // The records C in file order.
  const std::vector<PaymentRecord>& Payments() const { return payments_; }
  // Record E, when the file has one.
  const std::optional<TrailerRecord>& Trailer() const { return trailer_; }
  const DtausTotals& Totals() const { return totals_; }
  // The findings in file order, the first kMaxFindings of them.
  const std::vector<Finding>& Findings() const { return findings_; }
  // The findings beyond kMaxFindings that Findings leaves out.
  std::size_t OmittedFindings() const { return error_count_ + warning_count_ - findings_.size(); }
  // All errors and all warnings, those left out of Findings included.
  [[nodiscard]] std::size_t ErrorCount() const { return error_count_; }
  std::size_t WarningCount() const { return warning_count_; }
  [[nodiscard]] bool HasErrors() const { return error_count_ > 0; }
  // The number of bytes read.
  std::size_t FileSize() const { return file_size_; }

 private:
  // `each_payment` nullptr keeps every record C in Payments().
  DtausReader(std::string_view bytes, const PaymentVisitor* each_payment,
              bool decode_texts) noexcept;

  std::optional<HeaderRecord> header_;
  std::vector<PaymentRecord> payments_;
  std::optional<TrailerRecord> trailer_;
  DtausTotals totals_;
  std::vector<Finding> findings_;
  std::size_t error_count_ = 0;
  std::size_t warning_count_ = 0;
  std::size_t file_size_ = 0;
};

}  // namespace dtaus

#endif  // DTAUS_DTAUS_READER_H_
