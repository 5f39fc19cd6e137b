// What one property assignment and the construction of a whole header or payment cost.
//
// Every assignment checks its value at once and records or clears rules, so a host
// filling 32,767 payments pays these costs about 650,000 times. Each benchmark assigns
// a valid value to an object that already holds one: the steady state of a host that
// reuses its objects, and the same work as a first assignment apart from clearing the
// rule that the value was missing.
#include <benchmark/benchmark.h>

#include <memory>

#include "sample_orders.h"

namespace dtaus::bench {
namespace {

void AssignBetragEuro(benchmark::State& state) {
  GeldTransfer zahlung;
  for (auto _ : state) zahlung.BetragEuro("1234.56");
}
BENCHMARK(AssignBetragEuro);

void AssignBLZ(benchmark::State& state) {
  GeldTransfer zahlung;
  for (auto _ : state) zahlung.BLZ("87654321");
}
BENCHMARK(AssignBLZ);

void AssignKonto(benchmark::State& state) {
  GeldTransfer zahlung;
  for (auto _ : state) zahlung.Konto("1234567890");
}
BENCHMARK(AssignKonto);

void AssignName(benchmark::State& state) {
  GeldTransfer zahlung;
  for (auto _ : state) zahlung.Name("MÜLLER, JÜRGEN NR. 00042");
}
BENCHMARK(AssignName);

// A continuation line: the text goes into one of the payment's extension parts.
void AssignVerwendungsZweck2(benchmark::State& state) {
  GeldTransfer zahlung;
  for (auto _ : state) zahlung.VerwendungsZweck2("POSITION 02 ARTIKEL 00042");
}
BENCHMARK(AssignVerwendungsZweck2);

// The execution date is parsed, checked against the current year and compared with the
// creation date: the most work any single assignment does.
void AssignAusfuehrungsDatum(benchmark::State& state) {
  MeineInfo kopf;
  FillHeader(kopf);
  const std::string_view today = TodayText(true);
  for (auto _ : state) kopf.AusfuehrungsDatum(today);
  if (!kopf.MeineInfoIsValid()) state.SkipWithError("the execution date was refused");
}
BENCHMARK(AssignAusfuehrungsDatum);

// The constructors alone: a new object starts with its "value missing" rules broken.
void NewMeineInfo(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(std::make_shared<MeineInfo>());
}
BENCHMARK(NewMeineInfo);

void NewGeldTransfer(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(std::make_shared<GeldTransfer>());
}
BENCHMARK(NewGeldTransfer);

// A complete, valid header as a host builds one: created and every property assigned.
void BuildMeineInfo(benchmark::State& state) {
  for (auto _ : state) {
    auto kopf = std::make_shared<MeineInfo>();
    FillHeader(*kopf);
    benchmark::DoNotOptimize(kopf);
  }
}
BENCHMARK(BuildMeineInfo);

// A complete, valid payment: created and every input property assigned, without and
// with the fifteen continuation lines (extension parts).
void BuildGeldTransfer(benchmark::State& state) {
  const bool with_parts = state.range(0) != 0;
  int index = 0;
  for (auto _ : state) {
    auto zahlung = std::make_shared<GeldTransfer>();
    FillPayment(*zahlung, index, with_parts);
    benchmark::DoNotOptimize(zahlung);
    index = index + 1 == kMaxPayments ? 0 : index + 1;
  }
}
BENCHMARK(BuildGeldTransfer)->ArgName("parts")->Arg(0)->Arg(kMaxParts);

}  // namespace
}  // namespace dtaus::bench
