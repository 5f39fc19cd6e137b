// ShortText: the owning text of one record field, in 32 bytes.
//
// A full DTAUS file holds 32,767 payments with some thirty text fields each, almost all
// of them at most 27 characters long. std::string keeps only 15 bytes inline, so every
// name and purpose line would cost a heap block; ShortText keeps up to 31 bytes inline
// and puts only longer texts (umlaut-heavy names, rejected over-long input) on the heap.
//
//   ShortText name("ERIKA MUSTERMANN");
//   std::string_view v = name.view();
#ifndef DTAUS_FIELDS_SHORT_TEXT_H_
#define DTAUS_FIELDS_SHORT_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fields/text_codec.h"

namespace dtaus::detail {

// Copies n bytes; for n <= 32 `src` and `dst` may overlap. Field values, paddings and
// the texts of a record are almost all shorter than 32 bytes, and for those two
// overlapping moves of a fixed size are cheaper than a call to memmove: every assignment
// of a field ends here. Every load comes before the first store, so a text may be
// assigned from its own storage.
inline void CopyBytes(char* dst, const char* src, std::size_t n) {
  // The first and the last `sizeof word` bytes, which overlap unless n is twice that.
  const auto head_and_tail = [=](auto word) {
    constexpr std::size_t kWord = sizeof word;
    decltype(word) head;
    decltype(word) tail;
    std::memcpy(&head, src, kWord);
    std::memcpy(&tail, src + n - kWord, kWord);
    std::memcpy(dst, &head, kWord);
    std::memcpy(dst + n - kWord, &tail, kWord);
  };
  struct Bytes16 {
    char bytes[16];
  };
  if (n >= 16) {
    if (n > 32) {
      std::memcpy(dst, src, n);
    } else {
      head_and_tail(Bytes16{});
    }
  } else if (n >= 8) {
    head_and_tail(std::uint64_t{});
  } else if (n >= 4) {
    head_and_tail(std::uint32_t{});
  } else if (n > 0) {
    const char first = src[0];
    const char middle = src[n / 2];
    const char last = src[n - 1];
    dst[0] = first;
    dst[n / 2] = middle;
    dst[n - 1] = last;
  }
}

class ShortText {
 public:
  ShortText() noexcept = default;
  explicit ShortText(std::string_view text) : ShortText() { assign(text); }
  ShortText(const ShortText& other) : ShortText() { assign(other.view()); }
  ShortText(ShortText&& other) noexcept;
  // Inline: Generate copies the header's values into every payment.
  ShortText& operator=(const ShortText& other) {
    if (OnHeap() || other.OnHeap()) return CopyFrom(other);
    std::memcpy(buf_, other.buf_, sizeof buf_);
    tag_ = other.tag_;
    return *this;
  }
  ShortText& operator=(ShortText&& other) noexcept;
  ~ShortText() { Release(); }

  // Replaces the text; `text` may point into this object's own storage.
  // Inline for the usual case, a short text replacing a short text: every assignment of
  // every record ends here.
  void assign(std::string_view text) {
    if (text.size() > kInlineCapacity || OnHeap()) return AssignSlow(text);
    CopyBytes(buf_, text.data(), text.size());  // may overlap buf_
    tag_ = static_cast<unsigned char>(text.size() | (detail::IsAscii(text) ? 0 : kNonAsciiBit));
  }
  ShortText& operator=(std::string_view text) {
    assign(text);
    return *this;
  }
  // assign for a short ASCII text the caller has made (a record length, a key): at most
  // kInlineCapacity bytes below 0x80, which need no checking.
  void AssignAscii(std::string_view ascii) noexcept {
    Release();
    std::memcpy(buf_, ascii.data(), ascii.size());
    tag_ = static_cast<unsigned char>(ascii.size());
  }

  std::string_view view() const noexcept {
    if (!OnHeap()) return std::string_view(buf_, tag_ & kSizeBits);
    const Heap h = HeapRecord();
    return std::string_view(h.data, h.size);
  }
  // The number of characters of the text (valid UTF-8). Every field of every record is
  // padded by this count when a file is written, and nearly all values are ASCII, whose
  // count is their size: assign notes whether a text is, so that only the others are
  // counted.
  std::size_t CharCount() const noexcept {
    return (tag_ & kNonAsciiBit) == 0 ? tag_ : CountCodePoints(view());
  }
  // The text's size in bytes.
  std::size_t size() const noexcept { return OnHeap() ? HeapRecord().size : tag_ & kSizeBits; }
  // True when the text is plain ASCII: one byte per character in UTF-8 and Windows-1252.
  // Such a text is always inline.
  bool IsAscii() const noexcept { return (tag_ & kNonAsciiBit) == 0; }
  // For an ASCII text: 32 readable bytes that begin with the text (and go on with
  // whatever the inline storage holds), for the writers that copy whole words
  // (records/compiled_layout.h); they rely on sizeof(ShortText) == kInlineWord.
  const char* InlineWord() const noexcept { return buf_; }
  // For an ASCII text: its size, without asking where it is stored.
  std::size_t AsciiSize() const noexcept { return tag_; }
  static constexpr std::size_t kInlineWord = 32;
  std::string str() const { return std::string(view()); }
  bool empty() const noexcept { return view().empty(); }
  bool operator==(std::string_view other) const noexcept { return view() == other; }

  static constexpr std::size_t kInlineCapacity = 31;

 private:
  // tag_ of an inline text: its size in bits 0-4, and kNonAsciiBit when it has bytes
  // outside ASCII. A text on the heap has tag_ == kHeapTag, which includes that bit.
  static constexpr unsigned char kSizeBits = 0x1F;
  static constexpr unsigned char kNonAsciiBit = 0x40;
  static constexpr unsigned char kHeapTag = 0xFF;
  static_assert(kInlineCapacity <= kSizeBits);

  struct Heap {
    char* data;
    std::size_t size;
  };
  static_assert(sizeof(Heap) <= kInlineCapacity);

  bool OnHeap() const noexcept { return tag_ == kHeapTag; }
  void AssignSlow(std::string_view text);
  ShortText& CopyFrom(const ShortText& other);
  Heap HeapRecord() const noexcept;
  void SetHeapRecord(Heap h) noexcept;
  // Inline: most texts never reach the heap, and every field of every payment is
  // destroyed with it, so the common case must not cost a call.
  void Release() noexcept {
    if (OnHeap()) ReleaseHeap();
  }
  void ReleaseHeap() noexcept;

  // Inline: the text's bytes, with tag_ holding its length and kNonAsciiBit. On the
  // heap: a Heap record copied into buf_, with tag_ == kHeapTag.
  char buf_[kInlineCapacity];
  unsigned char tag_ = 0;
};

static_assert(sizeof(ShortText) == ShortText::kInlineWord);

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_SHORT_TEXT_H_
