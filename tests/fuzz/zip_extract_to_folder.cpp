// Fuzz target: extraction of every entry of an archive into a folder on disk.
// Whatever the archive's names (absolute, "..", drive or server prefixes,
// folders and files of one name, names too long for the system), nothing may
// crash or hang, and nothing may appear outside the target folder: a sibling
// folder and the scratch folder itself keep exactly what they had.
//
// Input: one choice byte (bit 0 make no folders, bit 1 keep the folder tree
// of an earlier input's extraction, bit 2 ask for a password "pw"), then the
// archive's bytes. Seeds: archives our own writer made.
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "support/FuzzSupport.h"
#include "support/ZipFuzzSupport.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"

namespace {

using namespace sk;

void Quiet(TZipArchiver& zip) { sk::fuzz::QuietArchiver(zip); }

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  seeds.Add(0x00, sk::fuzz::WrittenArchive([](TZipArchiver& z) {
              z.AddFromString(u"top.txt", u"top", 0x20, 45000);
              z.AddFromString(u"dir/", u"", 0x10, 45000);
              z.AddFromString(u"dir/sub/deep.txt", u"deep deep deep", 0x21, 45000);
            }));
  // Names that lead out, as a hostile writer stores them (ours keeps them).
  seeds.Add(0x00, sk::fuzz::WrittenArchive([](TZipArchiver& z) {
              z.AddFromString(u"../up.txt", u"x", 0x20, 45000);
              z.AddFromString(u"a/../../up2.txt", u"x", 0x20, 45000);
              z.AddFromString(u"/abs.txt", u"x", 0x20, 45000);
              z.AddFromString(u"C:/drive.txt", u"x", 0x20, 45000);
              z.AddFromString(u"ok/./fine.txt", u"fine", 0x20, 45000);
            }));
  // A file and a folder of one name, in both orders; an entry replacing another.
  seeds.Add(0x02, sk::fuzz::WrittenArchive([](TZipArchiver& z) {
              z.AddFromString(u"same", u"file first", 0x20, 45000);
              z.AddFromString(u"same/inner.txt", u"x", 0x20, 45000);
              z.AddFromString(u"other/", u"", 0x10, 45000);
              z.AddFromString(u"other", u"folder first", 0x20, 45000);
            }));
  seeds.Add(0x01, sk::fuzz::WrittenArchive([](TZipArchiver& z) {
              z.AddFromString(u"flat/one.txt", u"one", 0x20, 45000);
              z.AddFromString(u"flat/two.txt", u"two", 0x20, 45000);
            }));
  // Names from the system with bytes that are not UTF-8 (Latin-1 twice,
  // Shift-JIS in a folder so named): stored as those bytes, with the
  // Unicode-name block that gives them back.
  seeds.Add(0x00, sk::fuzz::WrittenArchive([](TZipArchiver& z) {
              z.AddFromString(u"caf\xDCE9.txt", u"e9", 0x20, 45000);
              z.AddFromString(u"caf\xDCE8.txt", u"e8", 0x20, 45000);
              z.AddFromString(u"d\xDCE9/\xDC93\xDC8C\xDC8B\xDC9E.txt", u"sjis", 0x20, 45000);
            }));
  seeds.Add(0x04, sk::fuzz::WrittenArchive([](TZipArchiver& z) {
              z.SetPassword("pw");
              z.AddFromString(u"secret/s.txt", u"traditional encryption", 0x20, 45000);
            }));
}

// Every name below root with its kind, links as links.
std::string Listing(const std::filesystem::path& root) {
  std::string r;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    r += it->path().lexically_relative(root).string();
    r += it->is_symlink() ? "@" : it->is_directory() ? "/" : "";
    r += '\n';
  }
  return r;
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  sk::fuzz::Input in(data, size);
  const uint8_t choice = in.Byte();
  const TBytes original = in.Rest();
  // root/out is the target; root/outside and root itself must stay as they are.
  const fs::path root = sk::fuzz::ScratchFiles::Instance().Path("x");
  const fs::path out = root / "out";
  std::error_code ec;
  if ((choice & 2) == 0) fs::remove_all(root, ec);
  fs::create_directories(out, ec);
  fs::create_directories(root / "outside", ec);
  if (!fs::exists(root / "outside" / "keep.txt")) {
    FILE* f = std::fopen((root / "outside" / "keep.txt").c_str(), "wb");
    if (f != nullptr) std::fclose(f);
  }
  // A link inside the target leads outside: extraction must never pass it.
  fs::create_directory_symlink(root / "outside", out / "dir", ec);

  TBytesStream ms(original);
  TZipArchiver zip;
  Quiet(zip);
  zip.FBaseDir = Utf8ToString(out.string());
  zip.FOptions.FCreateDirs = (choice & 1) == 0;
  zip.FOptions.FOverwriteMode = omAlways;
  if ((choice & 4) != 0) zip.SetPassword("pw");
  try {
    zip.OpenArchive(&ms, false);
  } catch (const Exception&) {
    return 0;
  }
  // Only small archives are written out: the disk is not what is tested.
  Int32 entries = 0;
  Int64 total = 0;
  TZAArchiveItem item;
  try {
    for (bool ok = zip.FindFirst(u"*", item, 0x28BF, String()); ok; ok = zip.FindNext(item)) {
      ++entries;
      total += std::max<Int64>(0, item.UncompressedSize);
      if (entries > 64 || total > (Int64(1) << 20)) return 0;
    }
  } catch (const Exception&) {
    return 0;
  }
  const std::string outsideBefore = Listing(root / "outside");
  try {
    zip.ExtractFiles(u"*", 0x28BF, String());
  } catch (const Exception&) {
  }
  try {
    zip.CloseArchive();
  } catch (const Exception&) {
  }
  SK_FUZZ_CHECK(Listing(root / "outside") == outsideBefore);
  for (const auto& e : fs::directory_iterator(root, ec)) {
    const std::string leaf = e.path().filename().string();
    SK_FUZZ_CHECK(leaf == "out" || leaf == "outside");
  }
  return 0;
}
