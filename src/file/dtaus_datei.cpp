// DtausDatei: collects header and payments and writes the DTAUS file.
#include "dtaus/dtaus_datei.h"

#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "fields/text_codec.h"
#include "file/file_system.h"
#include "file/file_writer.h"
#include "records/footer.h"

namespace dtaus {
namespace {

// A payment record is at most six blocks of 128 characters; records A and E at most 256.
constexpr std::size_t kMaxPaymentRecord = 768;
constexpr std::size_t kMaxFrameRecord = 256;
// Each record C is rendered in UTF-8 at the end of the file bytes and encoded where it
// stands. Rendering makes room for the longest the record could be (see RawAppend), some
// kilobytes for a record whose 27-character texts are all multi-byte characters; this
// much beyond the file's largest size keeps the last record from moving the whole
// buffer.
constexpr std::size_t kRenderRoom = 8192;

// The failures that end Generate on its error path: "Sonstiger Fehler:" and the
// description, which names what went wrong.
struct GenerateFailure {
  std::string description;
};

[[noreturn]] void Unmappable(char32_t c) {
  throw GenerateFailure{"Das Zeichen " + detail::CodePointName(c) +
                        " kann in Windows-1252 nicht geschrieben werden."};
}

// Appends a record's text to the file bytes in Windows-1252.
void AppendEncoded(std::string& bytes, std::string_view text) {
  char32_t unmappable = 0;
  if (!detail::AppendWindows1252(bytes, text, &unmappable)) Unmappable(unmappable);
}

// Encodes the record that was just rendered in UTF-8 at the end of the file bytes.
void EncodeAppended(std::string& bytes, std::size_t record_start) {
  char32_t unmappable = 0;
  if (!detail::EncodeWindows1252InPlace(bytes, record_start, &unmappable)) {
    Unmappable(unmappable);
  }
}

// Asks the kernel to back the file buffer with huge pages where it can. A full file is
// 25 MB of fresh memory, and touching it in 4 KB pages means some 6,000 page faults on
// every Generate; in a virtual machine each of them costs microseconds, more than
// rendering the records. With 2 MB pages it is a dozen. Only advice: where the kernel
// has no transparent huge pages, or refuses, nothing changes.
void AdviseHugePages(std::string& bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
  const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (begin + bytes.capacity()) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)bytes;
#endif
}

// The numeric value of a digits-only field (bank code, account, cents) for the control
// sums. The fields accept nothing but ASCII digits, so this cannot meet anything else.
std::int64_t DigitsValue(std::string_view digits) {
  std::int64_t v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') throw GenerateFailure{"Ungültige Zahl in einer Kontrollsumme."};
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace

struct DtausDatei::State {
  std::string path;
  std::shared_ptr<MeineInfo> header = std::make_shared<MeineInfo>();
  detail::Footer footer;
  std::vector<std::shared_ptr<GeldTransfer>> payments;

  std::string Generate(const std::string& path, detail::FileWriter& writer);
};

DtausDatei::DtausDatei() : s_(std::make_unique<State>()) {}
DtausDatei::~DtausDatei() = default;

void DtausDatei::Pfad(std::string_view path) { s_->path = path; }

const std::string& DtausDatei::getPfad() const { return s_->path; }

std::shared_ptr<MeineInfo> DtausDatei::GetMeineInfo() const { return s_->header; }

void DtausDatei::AddGeldTransfer(std::shared_ptr<GeldTransfer> gt) {
  s_->payments.push_back(std::move(gt));
}

std::string DtausDatei::Generate() {
  try {
    detail::FileWriter writer(detail::CurrentFileSystem());
    return s_->Generate(getPfad(), writer);
  } catch (const GenerateFailure& f) {
    return "Sonstiger Fehler:" + f.description;
  } catch (const std::bad_alloc&) {
    return "Sonstiger Fehler:Nicht genügend Speicher.";
  } catch (const std::exception& e) {
    return std::string("Sonstiger Fehler:") + e.what();
  } catch (...) {
    return "Sonstiger Fehler:Unbekannter Fehler.";
  }
}

std::string DtausDatei::State::Generate(const std::string& target, detail::FileWriter& writer) {
  if (target.empty()) return "Bitte vorher den Pfad festlegen.";
  if (!detail::IsValidUtf8(target) || target.find('\0') != std::string::npos) {
    throw GenerateFailure{"Der Pfad ist kein gültiger Dateiname."};
  }
  // From here on the file exists and is empty; every later failure leaves it so.
  if (std::string error = writer.Truncate(target); !error.empty()) throw GenerateFailure{error};

  const MeineInfo& kopf = *header;
  if (!kopf.MeineInfoIsValid()) return "Das MeineInfo-Objekt enthält Fehler.";

  // The whole file is assembled in memory and written once at the end, so that no
  // record reaches the disk unless every check has passed. Reserving the largest
  // possible size costs only address space: untouched pages are never made resident.
  std::string bytes;
  bytes.reserve(2 * kMaxFrameRecord + payments.size() * kMaxPaymentRecord + kRenderRoom);
  AdviseHugePages(bytes);
  AppendEncoded(bytes, kopf.getHeaderAsStream());

  std::int16_t count = 0;
  std::int64_t sum_konto = 0;
  std::int64_t sum_blz = 0;
  std::int64_t sum_euro = 0;
  for (const std::shared_ptr<GeldTransfer>& gt : payments) {
    if (!gt) throw GenerateFailure{"Objektvariable nicht festgelegt (kein GeldTransfer-Objekt)."};
    if (!gt->InputFieldsValid()) return "Das Geldtransfer-Objekt enthält Fehler.";
    gt->setMeineInfoFields(kopf);
    if (!gt->prepareStream()) return "Sonstiger Fehler bei <GeldTransfer-Objekt>.";
    const std::size_t record_start = bytes.size();
    gt->appendRecordAsStream(bytes);
    EncodeAppended(bytes, record_start);
    // The payment count is a 16-bit number: a file holds at most 32,767 payments.
    if (count == std::numeric_limits<std::int16_t>::max()) {
      throw GenerateFailure{"Überlauf: eine Datei fasst höchstens 32767 Zahlungen."};
    }
    ++count;
    sum_konto += DigitsValue(gt->Konto());
    sum_blz += DigitsValue(gt->BLZ());
    sum_euro += DigitsValue(gt->getBetragEuro());
  }

  footer.setSatzlaenge(kopf.getDateiMedia() == MediaTyp::Diskette ? "0128" : "0256");
  footer.setTotalDatensatzItems(count);
  // The sums stay below 2^53 (32,767 times an 11-digit amount), so they are exact.
  footer.setTotalPasivKonto(static_cast<double>(sum_konto));
  footer.setTotalPasivBLZ(static_cast<double>(sum_blz));
  footer.setTotalEuro(static_cast<double>(sum_euro));
  if (!footer.FooterIsValid()) return "Sonstiger Fehler.";
  AppendEncoded(bytes, footer.getFooterAsStream());

  if (std::string error = writer.Replace(target, bytes); !error.empty()) {
    throw GenerateFailure{error};
  }
  return {};
}

}  // namespace dtaus
