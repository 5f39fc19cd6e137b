#include "records/test_support.h"

#include <chrono>

namespace dtaus::detail {
namespace {

CivilDate g_pinned{2026, 3, 10};
CivilDate Pinned() { return g_pinned; }

}  // namespace

ScopedToday::ScopedToday(int year, int month, int day)
    : previous_(SetToday(&Pinned)), previous_date_(g_pinned) {
  g_pinned = {year, month, day};
}

ScopedToday::~ScopedToday() {
  g_pinned = previous_date_;
  SetToday(previous_);
}

void FillValidHeader(MeineInfo& header) {
  header.DateiMedia(MediaTyp::Diskette);
  header.GeldTransferTyp(TransferTyp::Gutschrift);
  header.BLZ("12345678");
  header.Name("MUSTERMANN GMBH");
  header.Konto("1234567890");
}

std::shared_ptr<GeldTransfer> ValidPayment(const std::string& blz, const std::string& konto,
                                           const std::string& betrag) {
  auto g = std::make_shared<GeldTransfer>();
  g->BLZ(blz);
  g->Konto(konto);
  g->Name("ERIKA MUSTERMANN");
  g->BetragEuro(betrag);
  return g;
}

std::shared_ptr<GeldTransfer> PreparedPayment(const MeineInfo& header) {
  auto g = ValidPayment();
  GeldTransferAccess::setMeineInfoFields(*g, header);
  GeldTransferAccess::prepareStream(*g);
  return g;
}

std::string DateText(int offset, bool four_digit_year, const char* separator) {
  using namespace std::chrono;
  const CivilDate t = Today();
  const sys_days day = sys_days(year_month_day(year(t.year), month(static_cast<unsigned>(t.month)),
                                               std::chrono::day(static_cast<unsigned>(t.day)))) +
                       days(offset);
  const year_month_day ymd(day);
  auto two = [](unsigned v) { return std::string{char('0' + v / 10 % 10), char('0' + v % 10)}; };
  const int y = static_cast<int>(ymd.year());
  return two(static_cast<unsigned>(ymd.day())) + separator +
         two(static_cast<unsigned>(ymd.month())) + separator +
         (four_digit_year ? std::to_string(y) : two(static_cast<unsigned>(y % 100)));
}

std::string Blanks(std::size_t n) { return std::string(n, ' '); }
std::string Repeat(std::string_view text, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += text;
  return out;
}

std::string Zeros(std::size_t n) { return std::string(n, '0'); }

}  // namespace dtaus::detail
