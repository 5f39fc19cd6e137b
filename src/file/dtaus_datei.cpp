// DtausDatei: collects header and payments and writes the DTAUS file.
#include "dtaus/dtaus_datei.h"

#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "fields/dt_aus_field.h"
#include "fields/text_codec.h"
#include "file/file_output.h"
#include "file/file_system.h"
#include "file/file_writer.h"
#include "records/compiled_layout.h"
#include "records/footer.h"
#include "records/geld_transfer_access.h"
#include "records/meine_info_access.h"
#include "records/record_geometry.h"
#include "records/slab_allocator.h"

namespace dtaus {
namespace {

using detail::GeldTransferAccess;
using detail::MeineInfoAccess;

// A payment record is at most six blocks of 128 characters; records A and E at most two.
constexpr std::size_t kMaxPaymentRecord = detail::kMaxPaymentRecordSize;
constexpr std::size_t kMaxFrameRecord = detail::kKassetteRecordSize;

// The failures that end Generate on its error path: "Sonstiger Fehler:" and the
// description, which names what went wrong.
struct GenerateFailure {
  std::string description;
};

[[noreturn]] void Unmappable(char32_t c) {
  throw GenerateFailure{"Das Zeichen " + detail::CodePointName(c) +
                        " kann in Windows-1252 nicht geschrieben werden."};
}

// Room for `n` bytes of the file; a failed write of the bytes before ends Generate.
char* Room(detail::FileOutput& output, std::size_t n) {
  std::string error;
  char* const room = output.Room(n, &error);
  if (room == nullptr) throw GenerateFailure{error};
  return room;
}

// Writes a record's UTF-8 text to the file in Windows-1252.
void WriteEncoded(detail::FileOutput& output, std::string_view text) {
  char32_t unmappable = 0;
  char* const end = detail::WriteWindows1252(Room(output, text.size()), text, &unmappable);
  if (end == nullptr) Unmappable(unmappable);
  output.Advance(end);
}

// The numeric value of a digits-only field (bank code, account, cents) for the control
// sums. The fields accept nothing but ASCII digits, so the failure cannot happen.
std::int64_t DigitsValue(std::string_view digits) {
  std::int64_t v = 0;
  for (const char c : digits) {
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

  // Releases the payments in order, each next one's state on its way into the cache
  // (see Prefetch): the last reference frees 32,767 payments of up to a kilobyte each.
  ~State() {
    for (std::size_t i = 0; i < payments.size(); ++i) {
      if (i + 1 < payments.size() && payments[i + 1].use_count() == 1) {
        GeldTransferAccess::prefetchState(*payments[i + 1]);
      }
      payments[i].reset();
    }
  }

  // `named`: the path as the host set it.
  std::string Generate(const std::string& named, detail::FileWriter& writer);
};

DtausDatei::DtausDatei() : s_(std::make_unique<State>()) {}
DtausDatei::~DtausDatei() = default;

void DtausDatei::Pfad(std::string_view path) { s_->path = path; }

std::shared_ptr<MeineInfo> DtausDatei::GetMeineInfo() const { return s_->header; }

void DtausDatei::AddGeldTransfer(std::shared_ptr<GeldTransfer> gt) {
  s_->payments.push_back(std::move(gt));
}

std::string DtausDatei::Generate() {
  try {
    detail::FileWriter writer(detail::CurrentFileSystem());
    return s_->Generate(s_->path, writer);
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

std::string DtausDatei::State::Generate(const std::string& named, detail::FileWriter& writer) {
  if (named.empty()) return "Bitte vorher den Pfad festlegen.";
  if (!detail::IsValidUtf8(named) || named.find('\0') != std::string::npos) {
    throw GenerateFailure{"Der Pfad ist kein gültiger Dateiname."};
  }
  // From here on the file exists and is empty; every later failure leaves it so. A link
  // is followed: its file is the one written.
  std::string target;
  if (std::string error = writer.Truncate(named, &target); !error.empty()) {
    throw GenerateFailure{error};
  }

  const MeineInfo& kopf = *header;
  if (!kopf.MeineInfoIsValid()) return "Das MeineInfo-Objekt enthält Fehler.";

  // The records go to a temporary file beside the target while they are produced (see
  // FileOutput); only when every check has passed does it replace the target.
  detail::FileOutput output(writer, target,
                            2 * kMaxFrameRecord + payments.size() * kMaxPaymentRecord);
  WriteEncoded(output, MeineInfoAccess::getHeaderAsStream(kopf));

  // The fields every record C shares (the ordering party's, from the header) are
  // rendered once, from the first payment that has taken them over.
  detail::CompiledLayout shared_fields;
  bool compiled = false;
  char32_t unmappable = 0;
  std::int16_t count = 0;
  std::int64_t sum_konto = 0;
  std::int64_t sum_blz = 0;
  std::int64_t sum_euro = 0;
  for (std::size_t i = 0; i < payments.size(); ++i) {
    // Two payments ahead the object, one ahead its state (see Prefetch).
    if (i + 2 < payments.size()) detail::Prefetch(payments[i + 2].get(), sizeof(GeldTransfer));
    if (i + 1 < payments.size() && payments[i + 1])
      GeldTransferAccess::prefetchState(*payments[i + 1]);
    const std::shared_ptr<GeldTransfer>& gt = payments[i];
    if (!gt) throw GenerateFailure{"Objektvariable nicht festgelegt (kein GeldTransfer-Objekt)."};
    if (!gt->InputFieldsValid()) return "Das Geldtransfer-Objekt enthält Fehler.";
    GeldTransferAccess::setMeineInfoFields(*gt, kopf);
    if (!GeldTransferAccess::prepareStream(*gt))
      return "Sonstiger Fehler bei <GeldTransfer-Objekt>.";
    if (!compiled) {
      if (!GeldTransferAccess::compileFileRecord(*gt, shared_fields, &unmappable)) {
        Unmappable(unmappable);
      }
      compiled = true;
    }
    // The record's writers store whole words, up to kWordSlack bytes past its end.
    char* const end = GeldTransferAccess::writeFileRecord(
        *gt, Room(output, kMaxPaymentRecord + detail::kWordSlack), shared_fields, &unmappable);
    if (end == nullptr) Unmappable(unmappable);
    output.Advance(end);
    // The payment count is a 16-bit number: a file holds at most 32,767 payments.
    if (count == std::numeric_limits<std::int16_t>::max()) {
      throw GenerateFailure{"Überlauf: eine Datei fasst höchstens 32767 Zahlungen."};
    }
    ++count;
    sum_konto += DigitsValue(GeldTransferAccess::getKonto(*gt));
    sum_blz += DigitsValue(GeldTransferAccess::getBLZ(*gt));
    sum_euro += DigitsValue(GeldTransferAccess::getBetragEuro(*gt));
  }

  footer.setSatzlaenge(MeineInfoAccess::getDateiMedia(kopf) == MediaTyp::Diskette ? "0128"
                                                                                  : "0256");
  footer.setTotalDatensatzItems(count);
  // The sums stay below 2^53 (32,767 times an 11-digit amount), so they are exact.
  footer.setTotalPasivKonto(static_cast<double>(sum_konto));
  footer.setTotalPasivBLZ(static_cast<double>(sum_blz));
  footer.setTotalEuro(static_cast<double>(sum_euro));
  if (!footer.FooterIsValid()) return "Sonstiger Fehler.";
  WriteEncoded(output, footer.getFooterAsStream());
  if (std::string error = output.Finish(); !error.empty()) throw GenerateFailure{error};
  return {};
}

}  // namespace dtaus
