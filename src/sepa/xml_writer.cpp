#include "sepa/xml_writer.h"

#include <libxml/xmlwriter.h>

#include <new>

namespace dtaus::detail {

struct XmlWriter::State {
  xmlBufferPtr buffer = nullptr;
  xmlTextWriterPtr writer = nullptr;
};

namespace {

const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

}  // namespace

XmlWriter::XmlWriter() : s_(new (std::nothrow) State) {
  ok_ = s_ != nullptr && (s_->buffer = xmlBufferCreate()) != nullptr &&
        (s_->writer = xmlNewTextWriterMemory(s_->buffer, 0)) != nullptr;
  if (!ok_) return;
  // Indented, so that a person checking the message before it goes to the bank can read it.
  Check(xmlTextWriterSetIndent(s_->writer, 1));
  Check(xmlTextWriterSetIndentString(s_->writer, Xml("  ")));
  Check(xmlTextWriterStartDocument(s_->writer, "1.0", "UTF-8", nullptr));
}

XmlWriter::~XmlWriter() {
  if (s_ == nullptr) return;
  if (s_->writer != nullptr) xmlFreeTextWriter(s_->writer);
  if (s_->buffer != nullptr) xmlBufferFree(s_->buffer);
  delete s_;
}

void XmlWriter::Start(const char* name) {
  if (ok_) Check(xmlTextWriterStartElement(s_->writer, Xml(name)));
}

void XmlWriter::Attribute(const char* name, std::string_view value) {
  if (ok_)
    Check(xmlTextWriterWriteAttribute(s_->writer, Xml(name), Xml(std::string(value).c_str())));
}

void XmlWriter::End() {
  if (ok_) Check(xmlTextWriterEndElement(s_->writer));
}

void XmlWriter::Element(const char* name, std::string_view text) {
  if (ok_) {
    Check(xmlTextWriterWriteElement(s_->writer, Xml(name), Xml(std::string(text).c_str())));
  }
}

void XmlWriter::Text(std::string_view text) {
  if (ok_) Check(xmlTextWriterWriteString(s_->writer, Xml(std::string(text).c_str())));
}

std::optional<std::string> XmlWriter::Finish() {
  if (ok_) Check(xmlTextWriterEndDocument(s_->writer));
  if (ok_) Check(xmlTextWriterFlush(s_->writer));
  if (!ok_) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(s_->buffer)),
                     static_cast<std::size_t>(xmlBufferLength(s_->buffer)));
}

}  // namespace dtaus::detail
