#include "records/record_tables.h"

#include <gtest/gtest.h>

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "reader/record_layout.h"

namespace dtaus::detail {
namespace {

// The writer names a field by its DTAUS name and a description: "C14a name of ...".
std::string_view DtausName(const FieldSpec& f) { return f.field.substr(0, f.field.find(' ')); }

// Whether the reader's check fits what the writer puts into the field.
bool ReaderKindFits(const FieldSpec& f, FieldKind kind) {
  if (f.slot == FieldSpec::kConstant) {
    if (f.constant == "1") return kind == FieldKind::kCurrency;
    if (!f.constant.empty()) return kind == FieldKind::kRecordType;
    if (f.fill == kFillZero) return kind == FieldKind::kNumber;
    return kind == FieldKind::kReserve || kind == FieldKind::kFree;  // C8 is the bank's
  }
  if (f.left_aligned) return kind == FieldKind::kText;
  if (f.fill == kFillZero) return kind == FieldKind::kNumber;
  // Right-aligned and blank-filled: codes, record lengths and dates, always complete.
  return kind == FieldKind::kNumber || kind == FieldKind::kFileKind || kind == FieldKind::kDate ||
         kind == FieldKind::kOptionalDate;
}

template <typename Record, std::size_t N>
void ExpectSameFields(const char* record, std::span<const FieldSpec> writer,
                      const std::array<FieldLayout<Record>, N>& reader) {
  SCOPED_TRACE(record);
  ASSERT_EQ(writer.size(), reader.size());
  std::size_t offset = 0;
  for (std::size_t i = 0; i < writer.size(); ++i) {
    const FieldSpec& w = writer[i];
    SCOPED_TRACE(w.field);
    EXPECT_EQ(DtausName(w), reader[i].dtaus_field);
    EXPECT_EQ(offset, reader[i].offset);
    EXPECT_EQ(static_cast<std::size_t>(w.width), reader[i].width);
    EXPECT_TRUE(ReaderKindFits(w, reader[i].kind));
    offset += static_cast<std::size_t>(w.width);
  }
}

// What the writer lays out is where the reader looks for it, field by field.
TEST(RecordTables, WriterAndReaderAgreePositionByPosition) {
  ExpectSameFields("record A", record_a::kLayout, kHeaderFields);
  ExpectSameFields("record C", record_c::kLayout, kPaymentFields);
  ExpectSameFields("record E", record_e::kLayout, kTrailerFields);
}

// Where the shared geometry puts a written record C's parts and reserves:
// GeldTransferTest.RecordsByNumberOfParts.

}  // namespace
}  // namespace dtaus::detail
