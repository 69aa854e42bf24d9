// Ini files, fed untrusted file content. Writing a file back never changes
// what it means: the sections, keys and values read from the written file are
// those read from the original, and writing that again gives the same bytes.
// Values written through the interface read back as written.
#include <vector>

#include "platform/runtime/IniFiles.h"
#include "platform/runtime/Strings.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;
using sk::fuzz::ScratchFiles;

namespace {

// What a file means: each section's name with its "name=value" lines.
std::vector<String> Meaning(TMemIniFile& ini) {
  std::vector<String> r;
  TStringList sections;
  ini.ReadSections(&sections);
  for (Int32 i = 0; i < sections.Count(); ++i) {
    r.push_back(u"[" + sections.Get(i) + u"]");
    TStringList values;
    ini.ReadSectionValues(sections.Get(i), &values);
    for (Int32 k = 0; k < values.Count(); ++k) r.push_back(values.Get(k));
  }
  return r;
}

bool Writable(const String& s) {
  if (s.empty() || s != Trim(s)) return false;
  for (Char c : s)
    if (c == u'\r' || c == u'\n' || c == u'=' || c < 0x20) return false;
  return s[0] != u';' && s[0] != u'[';
}

void IniFile(const TBytes& content, uint8_t how, const std::vector<String>& writes) {
  ScratchFiles& files = ScratchFiles::Instance();
  const String name = files.Write("a.ini", content);
  TMemIniFile ini(name);
  const std::vector<String> meaning = Meaning(ini);
  // The typed readers take any text.
  TStringList sections;
  ini.ReadSections(&sections);
  for (Int32 i = 0; i < sections.Count() && i < 8; ++i) {
    TStringList keys;
    ini.ReadSection(sections.Get(i), &keys);
    for (Int32 k = 0; k < keys.Count() && k < 8; ++k) {
      (void)ini.ReadInteger(sections.Get(i), keys.Get(k), -1);
      (void)ini.ReadBool(sections.Get(i), keys.Get(k), false);
      (void)ini.ReadFloat(sections.Get(i), keys.Get(k), 0.5);
      SK_FUZZ_CHECK(ini.ValueExists(sections.Get(i), keys.Get(k)));
    }
    SK_FUZZ_CHECK(ini.SectionExists(sections.Get(i)));
  }

  ini.UpdateFile();
  const TBytes once = files.Read("a.ini");
  TMemIniFile back(name);
  SK_FUZZ_CHECK(Meaning(back) == meaning);
  back.UpdateFile();
  SK_FUZZ_CHECK(files.Read("a.ini") == once);

  // Values written through the interface read back from the file.
  // Blanks at a value's ends and quotes around it read back too; a line
  // break is refused.
  if (writes.size() >= 3 && Writable(writes[0]) && Writable(writes[1]) &&
      writes[2].find_first_of(u"\r\n") == String::npos) {
    if (how & 1) back.EraseSection(writes[0]);
    back.WriteString(writes[0], writes[1], writes[2]);
    back.UpdateFile();
    TMemIniFile reread(name);
    SK_FUZZ_CHECK(reread.ReadString(writes[0], writes[1], u"\x01") == writes[2]);
    if (how & 2) {
      reread.DeleteKey(writes[0], writes[1]);
      SK_FUZZ_CHECK(!reread.ValueExists(writes[0], writes[1]));
    }
  }
  if (how & 4) {
    TIniFile live(name);
    live.WriteInteger(u"Counts", u"n", 7);
    SK_FUZZ_CHECK(TMemIniFile(name).ReadInteger(u"Counts", u"n", 0) == 7);
  }
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  ScratchFiles& files = ScratchFiles::Instance();
  const String name = files.Write("a.ini", TBytes());
  {
    TMemIniFile ini(name);
    ini.WriteString(u"Main", u"title", u"Caf\u00E9 corpus");
    ini.WriteInteger(u"Main", u"count", 42);
    ini.WriteBool(u"Options", u"sorted", true);
    ini.WriteFloat(u"Options", u"ratio", 0.125);
    ini.UpdateFile();
  }
  TBytes content = files.Read("a.ini");
  const std::string comment = "; settings\r\n";
  content.insert(content.begin(), comment.begin(), comment.end());
  TBytes b{0, 0};
  b.insert(b.end(), content.begin(), content.end());
  seeds.Add(b);
  const std::string fields = std::string("Main") + '\0' + "key" + '\0' + " \"value\"\t";
  TBytes withWrites{1, static_cast<Byte>(fields.size())};
  withWrites.insert(withWrites.end(), fields.begin(), fields.end());
  withWrites.insert(withWrites.end(), content.begin(), content.end());
  seeds.Add(withWrites);
  // UTF-16 with its mark, and text in the ANSI code page.
  TBytes wide{0, 0, 0xFF, 0xFE};
  for (char c : std::string("[S]\r\nk=v\r\n")) {
    wide.push_back(static_cast<Byte>(c));
    wide.push_back(0);
  }
  seeds.Add(wide);
  const std::string ansi("\x04\x00[Sect]\nname=caf\xE9\n[Sect]\nother\n", 32);
  seeds.Add(ansi);
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

// The first byte chooses what else is done; the second, the length of a
// UTF-8 section, key and value (separated by NUL) to write; the rest is the
// file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t how = in.Byte();
  const size_t writesLength = in.Byte();
  const String writesText = Input::Text(in.Bytes(writesLength), false);
  const std::vector<String> writes = sk::fuzz::Fields(writesText, 3);
  IniFile(in.Rest(), how, writes);
  return 0;
}
