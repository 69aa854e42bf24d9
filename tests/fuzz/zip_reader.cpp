// The platform zip reader, fed untrusted archives: opening, listing, member
// headers and reading every member into bytes and into a stream. Every failure
// is the reader's exception, never a crash or an allocation out of proportion
// to the archive. Members written with the zip writer read back as written,
// and an archive read and written again holds the same members.
#include <algorithm>
#include <vector>

#include "platform/runtime/Strings.h"
#include "platform/runtime/ZipReader.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;
using sk::fuzz::ScratchFiles;

namespace {

enum Mode : uint8_t { kArchive, kMembers, kModeCount };

struct Member {
  String name;
  TBytes data;
};

// Every member the archive lets itself be read for; the reader's exception
// for a damaged archive or member ends the listing.
std::vector<Member> ReadAll(const String& fileName) {
  std::vector<Member> out;
  TZipFile zip;
  try {
    zip.Open(fileName, zmRead);
  } catch (const EZipException&) {
    return out;
  }
  const Int32 count = zip.FileCount();
  SK_FUZZ_CHECK(count >= 0);
  const std::vector<String> names = zip.FileNames();
  SK_FUZZ_CHECK(static_cast<Int32>(names.size()) == count);
  for (Int32 i = 0; i < count; ++i) {
    Member m;
    try {
      m.name = zip.FileName(i);
      const TZipHeader h = zip.FileInfo(i);
      SK_FUZZ_CHECK(h.FileName == m.name);
      zip.Read(i, m.data);
      SK_FUZZ_CHECK(static_cast<Int64>(m.data.size()) == h.UncompressedSize);
      std::unique_ptr<TStream> stream;
      zip.Read(i, stream);
      SK_FUZZ_CHECK(stream != nullptr && stream->Size() == static_cast<Int64>(m.data.size()));
      SK_FUZZ_CHECK(zip.IndexOf(m.name) >= 0);
    } catch (const EZipException&) {
      continue;  // a damaged member
    }
    out.push_back(std::move(m));
  }
  zip.Close();
  return out;
}

void Write(const String& fileName, const std::vector<Member>& members, bool deflate) {
  TZipFile zip;
  zip.Open(fileName, zmWrite);
  for (const Member& m : members) zip.Add(m.data, m.name, deflate ? zcDeflate : zcStored);
  zip.Close();
}

// The name a member is written under: a backslash separates folders, as
// in a name from Windows, and the writer stores it as "/" (one that is part
// of a name, NameBackslash, stays).
String Written(String name) {
  std::replace(name.begin(), name.end(), u'\\', u'/');
  return name;
}

bool SameMembers(const std::vector<Member>& a, const std::vector<Member>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].data != b[i].data) return false;
  return true;
}

void Archive(const TBytes& bytes) {
  ScratchFiles& files = ScratchFiles::Instance();
  const String name = files.Write("a.zip", bytes);
  (void)TZipFile::IsValid(name);
  const std::vector<Member> members = ReadAll(name);
  // Members with distinct, non-empty names that are not folders can be
  // written again, and read back the same.
  std::vector<Member> plain;
  for (Member m : members) {
    m.name = Written(m.name);
    bool repeated = false;
    for (const Member& p : plain)
      if (p.name == m.name) repeated = true;
    if (!repeated && !m.name.empty() && m.name.back() != u'/') plain.push_back(m);
  }
  if (plain.empty()) return;
  const String copy = Utf8ToString(files.Path("b"));
  try {
    Write(copy, plain, true);
  } catch (const EZipException&) {
    return;  // a name the writer refuses
  }
  SK_FUZZ_CHECK(SameMembers(ReadAll(copy), plain));
}

// Members made from the input: names and contents, stored or deflated.
void Members(const std::vector<String>& fields, bool deflate) {
  std::vector<Member> members;
  for (size_t i = 0; i + 1 < fields.size(); i += 2) {
    Member m;
    m.name = Written(fields[i].empty() ? u"empty" + IntToStr(static_cast<Int64>(i)) : fields[i]);
    const std::string body = StringToUtf8(fields[i + 1]);
    m.data.assign(body.begin(), body.end());
    bool repeated = false;
    for (const Member& p : members)
      if (p.name == m.name) repeated = true;
    if (!repeated && m.name.back() != u'/' && m.name.find(Char(0)) == String::npos) members.push_back(m);
  }
  if (members.empty()) return;
  const String name = Utf8ToString(ScratchFiles::Instance().Path("a.zip"));
  try {
    Write(name, members, deflate);
  } catch (const EZipException&) {
    return;
  }
  SK_FUZZ_CHECK(SameMembers(ReadAll(name), members));
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  ScratchFiles& files = ScratchFiles::Instance();
  const String name = Utf8ToString(files.Path("a.zip"));
  const std::string text = "The cat sat on the mat. The cat sat on the mat again and again.";
  Write(name, {{u"a.txt", TBytes(text.begin(), text.end())}, {u"dir/b\u00E9.txt", TBytes{0, 1, 2, 3}}}, true);
  TBytes b{kArchive};
  const TBytes zipped = files.Read("a.zip");
  b.insert(b.end(), zipped.begin(), zipped.end());
  seeds.Add(b);
  Write(name, {{u"stored.bin", TBytes(300, 7)}}, false);
  TBytes s{kArchive};
  const TBytes stored = files.Read("a.zip");
  s.insert(s.end(), stored.begin(), stored.end());
  seeds.Add(s);
  seeds.Add(std::string("\x01\x01one.txt\0first\0two/three.txt\0second", 36));
  // Names with a backslash that is part of them (as a Unix name may hold
  // one), beside the folders a separator would make of them.
  const String bs(1, NameBackslash);
  Write(name,
        {{u"a" + bs + u"b.txt", TBytes{1}},
         {u"a/b.txt", TBytes{2}},
         {u"\u8868" + bs + u"\u7D19.txt", TBytes{3}},
         {u"\u8868" + bs + u"/\u7D19.txt", TBytes{4}}},
        true);
  TBytes k{kArchive};
  const TBytes kept = files.Read("a.zip");
  k.insert(k.end(), kept.begin(), kept.end());
  seeds.Add(k);
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kArchive: Archive(in.Rest()); break;
    case kMembers: {
      const bool deflate = in.Bool();
      Members(sk::fuzz::Fields(in.RestText(false), 16), deflate);
      break;
    }
    default: break;
  }
  return 0;
}
