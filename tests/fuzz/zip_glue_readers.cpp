// Fuzz target: the zip glue's readers of members, fed untrusted archives on
// disk: saved results through the engine and through the platform reader,
// texts in both forms, and the platform reader's copy into a stream. Every
// member is held to inflate bounds lowered so that a small input can pass
// them: nothing may crash, hang or hold more than the bounds allow, and a
// saved-results member found to be the running tool's holds its whole header.
//
// Input: the archive's bytes. Seeds: archives our own writer made.
#include <cstdint>
#include <cstring>

#include "core/Basic_types.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "support/FuzzSupport.h"
#include "support/ZipFuzzSupport.h"
#include "zip/ZAArchiver.h"
#include "zip/Zip_utils.h"

using namespace sk;

namespace {

constexpr Int64 kBound = Int64{1} << 20;

// A saved-results member: a header with the signature, then the rest.
void AddSavedResults(TZipArchiver& z, const String& name, Int32 signature, size_t rest) {
  TBytes bytes(sizeof(TCheckSignature) + rest, 'x');
  std::memset(bytes.data(), 0, sizeof(TCheckSignature));
  std::memcpy(bytes.data(), &signature, sizeof signature);
  z.AddFromBuffer(name, bytes.data(), static_cast<Int64>(bytes.size()), 0x20, 45000);
}

void WriteSeeds(fuzz::Seeds& seeds) {
  seeds.Add(fuzz::WrittenArchive([](TZipArchiver& z) {
    AddSavedResults(z, u"own.dat", CurrentSignature[global_current_tool], 100);
    z.AddFromString(u"text.txt", u"a text", 0x20, 45000);
  }));
  seeds.Add(fuzz::WrittenArchive([](TZipArchiver& z) {
    z.SetCompressionMode(0);
    AddSavedResults(z, u"foreign.dat", 1, 2000);
  }));
  seeds.Add(fuzz::WrittenArchive(
      [](TZipArchiver& z) { z.AddFromString(u"zeros.dat", String(200000, u'0'), 0x20, 45000); }, zmAlways));
  // Names from the system with a backslash byte as part of them: Shift-JIS
  // 表紙.txt beside 表/紙.txt, a\b.txt beside a/b.txt.
  seeds.Add(fuzz::WrittenArchive([](TZipArchiver& z) {
    const String hyou{Char(0xDC95), NameBackslash};
    const String kami{Char(0xDC8E), Char(0xDC86)};
    AddSavedResults(z, hyou + kami + u".dat", CurrentSignature[global_current_tool], 100);
    AddSavedResults(z, hyou + u"/" + kami + u".dat", 1, 100);
    z.AddFromString(u"a" + String(1, NameBackslash) + u"b.txt", u"a text", 0x20, 45000);
    z.AddFromString(u"a/b.txt", u"another text", 0x20, 45000);
  }));
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zip_InflateBounds = {kBound, 100, Int64{64} << 10};
  const String name = fuzz::ScratchFiles::Instance().Write("glue.zip", data, size);
  std::vector<String> members;
  try {
    TMyZip z;
    z.Open(name, zmRead);
    members = z.FileNames();
    if (!members.empty()) {
      TMemoryStream ms;
      z.ExtractToStream(0, &ms);
      SK_FUZZ_CHECK(ms.Size() <= kBound && ms.Position() == 0);
    }
  } catch (const Exception&) {
  }
  for (Int32 i = 0; i < 4; ++i) {
    for (const bool engine : {true, false}) {
      TMemoryStream ms;
      try {
        TBoolFilenameAndCheck r;
        if (engine) {
          TZipArchiver arc;
          fuzz::QuietArchiver(arc);
          arc.FFileName = name;
          r = GotOneFromZipToMemoryStream(arc, ms, i);
        } else {
          TMyZip z;
          r = GotOneFromZipToMemoryStream(name, z, ms, i);
        }
        SK_FUZZ_CHECK(ms.Size() <= kBound);
        SK_FUZZ_CHECK(!r.OK || (ms.Size() >= 316 && ms.Position() == 316));
      } catch (const Exception&) {
      }
    }
  }
  TEncoding* encoding = nullptr;
  Int32 preamble = 0;
  try {
    if (!members.empty()) SK_FUZZ_CHECK(TextFromZipfile(name, members[0], encoding).size() <= size_t(kBound));
  } catch (const Exception&) {
  }
  try {
    TZipArchiver arc;
    fuzz::QuietArchiver(arc);
    arc.FFileName = name;
    arc.OpenArchive(fmOpenRead | fmShareDenyNone);
    SK_FUZZ_CHECK(TextFromZipfile(arc, u"*", 0, encoding, preamble).size() <= size_t(kBound) + 1);
  } catch (const Exception&) {
  }
  return 0;
}
