// The input a host hands the library, for the benchmarks: one valid header and any
// number of distinct, valid payments, each with all its input properties and, on
// request, all fifteen continuation lines.
//
//   auto datei = MakeFile(dir.File("DTAUS0.TXT"), 1000, /*with_parts=*/true);
//   datei->Generate();
//
// The texts are made on the fly by writing the payment's number into fixed templates.
// That costs next to nothing beside the library's own work, and it keeps no input
// resident beside the library's objects, which the peak-memory run would otherwise
// count against the library.
#ifndef DTAUS_BENCH_SAMPLE_ORDERS_H_
#define DTAUS_BENCH_SAMPLE_ORDERS_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "dtaus/dtaus.h"

namespace dtaus::bench {

// The most payments a DTAUS file may hold.
inline constexpr int kMaxPayments = 32767;
// The continuation lines of a payment: Name2, VerwendungsZweck2 to 14, MeineInfoName2.
inline constexpr int kMaxParts = 15;

// A valid header: credit transfers on Diskette, every property assigned, dated today.
void FillHeader(MeineInfo& kopf);

// Today as the host types it: "dd.mm.yy" (creation date) or "dd.mm.yyyy" (execution
// date). Read from the clock once per process, so that a benchmark of an assignment
// measures the assignment and not the clock.
std::string_view TodayText(bool four_digit_year);

// Assigns every input property of payment number `index` (0-based): bank code,
// account, reference, net amount, name, purpose and, when `with_parts`, the fifteen
// continuation lines. Different payments get different values.
void FillPayment(GeldTransfer& zahlung, int index, bool with_parts);

// A file object with its path, a filled header and `count` filled payments.
std::shared_ptr<DtausDatei> MakeFile(const std::string& path, int count, bool with_parts);
// The same without parts, but each payment with one continuation line,
// VerwendungsZweck2, as the payments of workload W and most real ones carry.
std::shared_ptr<DtausDatei> MakeFileWithOnePart(const std::string& path, int count);

// The size in bytes of the file Generate writes for such a file object.
std::size_t FileSize(int count, bool with_parts);

}  // namespace dtaus::bench

#endif  // DTAUS_BENCH_SAMPLE_ORDERS_H_
