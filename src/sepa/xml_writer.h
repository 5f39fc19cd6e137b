// XmlWriter: a SEPA message written element by element through libxml2's text writer,
// which does the escaping and the encoding; nothing is glued together by hand.
//
//   XmlWriter xml;
//   xml.Start("Document");
//   xml.Attribute("xmlns", "urn:iso:std:iso:20022:tech:xsd:pain.001.001.09");
//   xml.Element("MsgId", "D20261207-1");
//   xml.End();
//   std::optional<std::string> text = xml.Finish();   // nullopt when libxml2 failed
//
// A failing call (libxml2 out of memory) makes every later call do nothing and Finish
// return nullopt, so that the caller checks once at the end.
#ifndef DTAUS_SEPA_XML_WRITER_H_
#define DTAUS_SEPA_XML_WRITER_H_

#include <optional>
#include <string>
#include <string_view>

namespace dtaus::detail {

class XmlWriter {
 public:
  XmlWriter();
  ~XmlWriter();
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  void Start(const char* name);
  void Attribute(const char* name, std::string_view value);
  void End();
  // <name>text</name>
  void Element(const char* name, std::string_view text);
  // Text inside the element last started, after its attributes.
  void Text(std::string_view text);
  // The document, UTF-8 with its XML declaration; closes what is still open.
  std::optional<std::string> Finish();

 private:
  void Check(int result) { ok_ = ok_ && result >= 0; }

  struct State;
  State* s_;
  bool ok_ = true;
};

}  // namespace dtaus::detail

#endif  // DTAUS_SEPA_XML_WRITER_H_
