// Fuzz target: the archiver's public operations on an archive held in
// memory: the search, extraction into a bounded buffer, the test of every
// entry, and a commit (a deletion, a rename or an addition) that reads the
// old local records back from the saved tail. Nothing may crash, hang or
// allocate past the limits; a commit that fails must leave the archive's
// bytes exactly as they were.
//
// Input: one choice byte (bit 0 delete the first entry, bit 1 rename it,
// bit 2 add an entry, bit 3 zip64 always, bit 4 ask for a password "pw",
// bit 5 repair the archive from a file into another, which must leave the
// file as it was), then the archive's bytes. Seeds: archives our own writer made. The first
// entry is also read whole as text, within inflate bounds lowered so that a
// small input can pass them.
#include <cstdint>

#include "support/FuzzSupport.h"
#include "support/ZipFuzzSupport.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/Zip_utils.h"

namespace {

using namespace sk;

void Quiet(TZipArchiver& zip) {
  sk::fuzz::QuietArchiver(zip);
  zip.OnDiskFull = [](TObject*, Int32, const String&, bool& cancel) { cancel = true; };
  zip.OnConfirmOverwrite = [](TObject*, const String&, String&, bool& confirm) { confirm = false; };
}

// The seeds are written without ZIP64 records unless a seed asks for them.
TBytes Archive(void (*fill)(TZipArchiver&), TZip64Mode mode = zmDisabled) {
  return sk::fuzz::WrittenArchive(fill, mode);
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  seeds.Add(0x01, Archive([](TZipArchiver& z) {
              z.SetCompressionMode(0);
              z.AddFromString(u"stored.txt", u"stored text", 0x20, 45000);
              z.AddFromString(u"dir/second.txt", u"second", 0x20, 45000);
            }));
  seeds.Add(0x02, Archive([](TZipArchiver& z) {
              z.AddFromString(u"deflated.txt", u"deflate deflate deflate deflate", 0x20, 45000);
              z.AddFromString(u"na\u00efve.txt", u"a UTF-8 name", 0x20, 45000);
            }));
  seeds.Add(0x14, Archive([](TZipArchiver& z) {
              z.SetPassword("pw");
              z.AddFromString(u"secret.txt", u"traditional encryption", 0x20, 45000);
            }));
  seeds.Add(0x15, Archive([](TZipArchiver& z) {
              z.SetEncryptionMethod(caAES_256);
              z.SetPassword("pw");
              z.AddFromString(u"aes.txt", u"AES encryption of an entry", 0x20, 45000);
            }));
  seeds.Add(0x0B, Archive(
                      [](TZipArchiver& z) {
                        z.AddFromString(u"z64.txt", u"zip64 always", 0x20, 45000);
                        z.AddFromString(u"empty.txt", u"", 0x20, 45000);
                      },
                      zmAlways));
  seeds.Add(0x04, Archive([](TZipArchiver&) {}));
  seeds.Add(0x00,
            Archive([](TZipArchiver& z) { z.AddFromString(u"lines.txt", String(1u << 20, u'\n'), 0x20, 45000); }));
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zip_InflateBounds = {Int64{1} << 20, 100, Int64{64} << 10};
  sk::fuzz::Input in(data, size);
  const uint8_t choice = in.Byte();
  const TBytes original = in.Rest();
  TBytesStream ms(original);
  TZipArchiver zip;
  Quiet(zip);
  zip.SetZip64Mode((choice & 8) != 0 ? zmAlways : zmAuto);
  if ((choice & 16) != 0) zip.SetPassword("pw");
  try {
    zip.OpenArchive(&ms, false);
  } catch (const Exception&) {
    return 0;
  }
  Int32 entries = 0;
  TZAArchiveItem item;
  try {
    for (bool ok = zip.FindFirst(u"*", item, 0x28BF, String()); ok && entries < 64; ok = zip.FindNext(item)) {
      ++entries;
      char buffer[256];
      try {
        zip.ExtractToBuffer(item.StoredPath + item.FileName, buffer, std::min<Int64>(item.UncompressedSize, 256), 0);
      } catch (const Exception&) {
      }
    }
    // Each AES entry costs a key derivation: a test of thousands of them is
    // slow by design, not a fault, so only smaller archives are tested whole.
    if (entries < 64) zip.TestFiles(u"*", 0x28BF, String());
  } catch (const Exception&) {
  }
  try {
    TEncoding* encoding = nullptr;
    Int32 preamble = 0;
    (void)TextFromZipfile(zip, u"*", 0, encoding, preamble);
  } catch (const Exception&) {
  }
  if ((choice & 32) != 0) {
    const String source = sk::fuzz::ScratchFiles::Instance().Write("repair.zip", original);
    TZipArchiver repair;
    Quiet(repair);
    repair.FFileName = source;
    if ((choice & 16) != 0) repair.SetPassword("pw");
    try {
      repair.RepairArchive(Utf8ToString(sk::fuzz::ScratchFiles::Instance().Path("repaired.zip")));
    } catch (const Exception&) {
    }
    SK_FUZZ_CHECK(sk::fuzz::ScratchFiles::Instance().Read("repair.zip") == original);
  }
  if (entries == 0 && (choice & 4) == 0) return 0;
  const String first = entries > 0 ? zip.DMHandle->CDir->FItems[0].Name : String();
  auto guarded = [&](auto&& change) {
    const TBytes before = ms.ToBytes();
    try {
      change();
    } catch (const EZAException&) {
      SK_FUZZ_CHECK(ms.ToBytes() == before);
    } catch (const Exception&) {
      SK_FUZZ_CHECK(ms.ToBytes() == before);
    }
  };
  if ((choice & 1) != 0 && !first.empty()) guarded([&] { zip.DeleteFiles(first, 0x28BF, String()); });
  if ((choice & 2) != 0 && !first.empty()) guarded([&] { zip.RenameFile(first, u"renamed"); });
  if ((choice & 4) != 0) guarded([&] { zip.AddFromString(u"added.txt", u"added", 0x20, 45000); });
  try {
    zip.CloseArchive();
  } catch (const Exception&) {
  }
  return 0;
}
