#include "fields/short_text.h"

#include <cstring>

namespace dtaus::detail {

ShortText::ShortText(ShortText&& other) noexcept : tag_(other.tag_) {
  std::memcpy(buf_, other.buf_, sizeof(buf_));
  other.tag_ = 0;
}

ShortText& ShortText::CopyFrom(const ShortText& other) {
  if (this != &other) assign(other.view());
  return *this;
}

ShortText& ShortText::operator=(ShortText&& other) noexcept {
  if (this != &other) {
    Release();
    std::memcpy(buf_, other.buf_, sizeof(buf_));
    tag_ = other.tag_;
    other.tag_ = 0;
  }
  return *this;
}

ShortText::Heap ShortText::HeapRecord() const noexcept {
  Heap h;
  std::memcpy(&h, buf_, sizeof(h));
  return h;
}

void ShortText::SetHeapRecord(Heap h) noexcept {
  std::memcpy(buf_, &h, sizeof(h));
  tag_ = kHeapTag;
}

void ShortText::AssignSlow(std::string_view text) {
  if (text.size() <= kInlineCapacity) {
    // A short text replacing a long one. Copy out first: `text` may live in the storage
    // that is about to be replaced.
    const auto tag =
        static_cast<unsigned char>(text.size() | (detail::IsAscii(text) ? 0 : kNonAsciiBit));
    char copy[kInlineCapacity];
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    Release();
    if (!text.empty()) std::memcpy(buf_, copy, text.size());
    tag_ = tag;
    return;
  }
  char* data = new char[text.size()];
  std::memcpy(data, text.data(), text.size());
  Release();
  SetHeapRecord({data, text.size()});
}

void ShortText::ReleaseHeap() noexcept {
  delete[] HeapRecord().data;
  tag_ = 0;
}

}  // namespace dtaus::detail
