// Translation files, fed untrusted file content. Loading never fails on what
// is in the file, installs only identifiers from 0 to 65535, and a plain line
// "identifier=text" gives that text (the last such line of an identifier
// wins); an entry without a translation keeps its built-in text. Writing the
// installed translations back in the file form loads the same translations.
#include <map>
#include <optional>

#include "core/Generalruntime1const.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/Strings.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;
using sk::fuzz::ScratchFiles;

namespace {

// The lines of the file form that this target writes: escapes for the
// characters that the form cannot hold as they are.
String Escaped(const String& text) {
  String out;
  for (Char c : text) {
    if (c == u'\\') out += u"\\\\";
    else if (c == u'\n') out += u"\\n";
    else if (c == u'\t') out += u"\\t";
    else out += c;
  }
  return out;
}

// What plain ASCII lines of the strict form "digits=text" install, the later
// line of an identifier winning.
std::map<Int32, std::optional<String>> PlainLines(const std::string& bytes) {
  std::map<Int32, std::optional<String>> r;
  size_t start = 0;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    if (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r') continue;
    const std::string line = bytes.substr(start, i - start);
    start = i + 1;
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0 || eq > 5) continue;
    bool digits = true;
    for (size_t k = 0; k < eq; ++k)
      if (line[k] < '0' || line[k] > '9') digits = false;
    if (!digits) continue;
    const long id = std::stol(line.substr(0, eq));
    if (id > 65535) continue;
    // A text with escapes is not modelled here: its identifier is left out.
    if (line.find('\\') != std::string::npos)
      r[static_cast<Int32>(id)] = std::nullopt;
    else
      r[static_cast<Int32>(id)] = Utf8ToString(line.substr(eq + 1));
  }
  return r;
}

void Translations(const TBytes& content) {
  ScratchFiles& files = ScratchFiles::Instance();
  const String name = files.Write("a.txt", content);
  ClearResStringTranslations();
  SK_FUZZ_CHECK(LoadResStringTranslations(name));
  const Int32 count = ResStringTranslationCount();
  SK_FUZZ_CHECK(count >= 0 && count <= 65536);
  // An entry always has a text: its translation or its built-in one.
  SK_FUZZ_CHECK(!LoadResString(&_QMN).empty());

  bool ascii = true;
  for (Byte b : content)
    if (b >= 0x80) ascii = false;
  const std::string bytes(content.begin(), content.end());
  if (ascii) {
    for (const auto& [id, text] : PlainLines(bytes))
      if (text && !text->empty()) SK_FUZZ_CHECK(ResStringTranslation(id) == *text);
  }

  // Written back, the translations load again unchanged.
  std::map<Int32, String> installed;
  String written;
  for (Int32 id = 0; id <= 65535 && static_cast<Int32>(installed.size()) < count; ++id) {
    const String t = ResStringTranslation(id);
    if (t.empty()) continue;
    installed[id] = t;
    written += IntToStr(id) + u"=" + Escaped(t) + u"\r\n";
  }
  SK_FUZZ_CHECK(static_cast<Int32>(installed.size()) == count);
  const std::string utf8 = StringToUtf8(written);
  const String again = files.Write("a.txt", utf8.data(), utf8.size());
  ClearResStringTranslations();
  SK_FUZZ_CHECK(LoadResStringTranslations(again));
  SK_FUZZ_CHECK(ResStringTranslationCount() == count);
  for (const auto& [id, text] : installed) {
    // A lone surrogate does not survive UTF-8; everything else does.
    const String back = ResStringTranslation(id);
    SK_FUZZ_CHECK(back.size() == text.size());
  }
  ClearResStringTranslations();
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  seeds.Add(std::string("; translation\r\n65521=N\r\n65522=Bitte die H\xC3\xA4ufigkeit von \r\n# other\r\n"
                        "  63707 = <kein Datum>\r\n65520=line\\none\\ttab\\\\x\\q\r\n"));
  std::string wide = "\xFF\xFE";
  for (char c : std::string("65521=Nr\r\n")) wide += std::string{c, '\0'};
  seeds.Add(wide);
  std::string big = "\xFE\xFF";
  for (char c : std::string("1=x\n2=y\r3=z")) big += std::string{'\0', c};
  seeds.Add(big);
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  Translations(in.Rest());
  return 0;
}
