// .docx text, fed untrusted files: whole files that may or may not be zip
// archives, and archives written with the library's zip writer whose document
// part is untrusted XML. A damaged file gives no text rather than a failure,
// and a document written from plain paragraphs gives those paragraphs back.
#include <vector>

#include "core/My_string_functions_tags.h"
#include "platform/runtime/ZipReader.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;
using sk::fuzz::ScratchFiles;

namespace {

enum Mode : uint8_t { kWholeFile, kDocumentPart, kParagraphs, kModeCount };

// An archive holding the document part (and a content list, as a real
// document has), stored or deflated.
TBytes Docx(const TBytes& document, bool deflate) {
  ScratchFiles& files = ScratchFiles::Instance();
  const String name = Utf8ToString(files.Path("a.docx"));
  {
    TZipFile zip;
    zip.Open(name, zmWrite);
    const std::string types = "<?xml version=\"1.0\"?><Types/>";
    zip.Add(TBytes(types.begin(), types.end()), u"[Content_Types].xml", zcStored);
    zip.Add(document, u"word/document.xml", deflate ? zcDeflate : zcStored);
    zip.Close();
  }
  return files.Read("a.docx");
}

String TextOf(const TBytes& file) {
  const String name = ScratchFiles::Instance().Write("a.docx", file);
  return DOCXFileText(name);
}

String Escaped(const String& text) {
  String out;
  for (Char c : text) {
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

void Paragraphs(const String& text, bool deflate) {
  const std::vector<String> paras = sk::fuzz::Fields(text, 64);
  String xml = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document><w:body>";
  String expected;
  for (const String& p : paras) {
    xml += u"<w:p><w:r><w:t xml:space=\"preserve\">" + Escaped(p) + u"</w:t></w:r></w:p>";
    expected += p + u"\r\n";
  }
  xml += u"</w:body></w:document>";
  const std::string utf8 = StringToUtf8(xml);
  SK_FUZZ_CHECK(TextOf(Docx(TBytes(utf8.begin(), utf8.end()), deflate)) == expected);
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  const std::string xml =
      "<?xml version=\"1.0\"?><w:document xmlns:w=\"x\"><w:body><w:p w:rsidR=\"1\"><w:r><w:t>Caf\xC3\xA9 "
      "&amp; &lt;tea&gt;</w:t></w:r><w:r><w:t xml:space=\"preserve\"> two</w:t></w:r></w:p><w:p/>"
      "<w:p><mc:AlternateContent><mc:Choice><w:r><w:t>new</w:t></w:r></mc:Choice><mc:Fallback><w:r><w:t>"
      "old</w:t></w:r></mc:Fallback></mc:AlternateContent></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell"
      "</w:t></w:r></w:p></w:tc></w:tr></w:tbl></w:body></w:document>";
  const TBytes doc(xml.begin(), xml.end());
  TBytes whole{kWholeFile};
  const TBytes file = Docx(doc, false);
  whole.insert(whole.end(), file.begin(), file.end());
  seeds.Add(whole);
  TBytes part{kDocumentPart, 0};
  part.insert(part.end(), doc.begin(), doc.end());
  seeds.Add(part);
  seeds.Add(std::string("\x02\x01One paragraph\0Two & <three>\0", 30));
  // Alternate content passed over and replaced, a paragraph inside a
  // paragraph, and one left open at the end.
  const std::string odd =
      "<w:p><mc:AlternateContent><mc:Fallback></mc:AlternateContent><mc:AlternateContent><mc:Choice/>"
      "<mc:Fallback><w:t>f</w:t></mc:Fallback></mc:AlternateContent><w:p x><w:t>in</w:t></w:p></w:p>"
      "<w:p><w:t>open";
  TBytes oddPart{kDocumentPart, 1};
  oddPart.insert(oddPart.end(), odd.begin(), odd.end());
  seeds.Add(oddPart);
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kWholeFile: (void)TextOf(in.Rest()); break;
    case kDocumentPart: {
      const bool deflate = in.Bool();
      (void)TextOf(Docx(in.Rest(), deflate));
      break;
    }
    case kParagraphs: {
      const bool deflate = in.Bool();
      Paragraphs(in.RestText(false), deflate);
      break;
    }
    default: break;
  }
  return 0;
}
