#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <chrono>
#include <functional>
#include <set>
#include <thread>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/runtime/ZipReader.h"
#include "TestSupport.h"

namespace sk {

namespace {

class ZipTestBase : public ScratchFolderTest {
 protected:
  ZipTestBase() : ScratchFolderTest("sk_zip") {}
  // A small archive: a text member, a stored member and an empty one.
  void MakeSample(const std::string& n, TZipCompression textCompression = zcDeflate) const {
    TZipFile z;
    z.Open(File(n), zmWrite);
    std::string text;
    for (int i = 0; i < 200; ++i) text += "paragraph " + std::to_string(i) + "\n";
    z.Add(TBytes(text.begin(), text.end()), u"word/document.xml", textCompression);
    z.Add(TBytes{1, 2, 3}, u"bin/\u00E9t\u00E9.dat", zcStored);
    z.Add(TBytes{}, u"empty.txt");
    z.Close();
  }
};

// Offset of the first central-directory record in an archive's bytes.
size_t CentralRecord(const std::string& bytes) { return bytes.find(std::string("PK\x01\x02", 4)); }

uint32_t Get32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(k)]);
  return v;
}

void Put32(std::string& bytes, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) bytes[at + static_cast<size_t>(k)] = static_cast<char>(v >> (8 * k) & 0xFF);
}

// An archive of one member, data, compressed by method at its best level
// (through libzip itself, which offers methods the reader's writer does not).
void WriteOneMember(const std::string& path, const std::string& data, zip_int32_t method) {
  int err = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(za, nullptr);
  zip_source_t* src = zip_source_buffer(za, data.data(), data.size(), 0);
  ASSERT_NE(src, nullptr);
  const zip_int64_t idx = zip_file_add(za, "m.bin", src, 0);
  ASSERT_GE(idx, 0);
  ASSERT_EQ(zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), method, 9), 0);
  ASSERT_EQ(zip_close(za), 0);
}

}  // namespace

using ZipReaderRoundTrip = ZipTestBase;
using ZipReaderCorrupt = ZipTestBase;
using ZipReaderUsage = ZipTestBase;

TEST_F(ZipReaderRoundTrip, WrittenMembersReadBackInOrder) {
  MakeSample("a.zip");
  TZipFile z;
  z.Open(File("a.zip"), zmRead);
  EXPECT_EQ(z.FileCount(), 3);
  EXPECT_EQ(z.FileNames(), (std::vector<String>{u"word/document.xml", u"bin/\u00E9t\u00E9.dat", u"empty.txt"}));
  EXPECT_EQ(z.FileName(1), u"bin/\u00E9t\u00E9.dat");
  EXPECT_EQ(z.IndexOf(u"empty.txt"), 2);
  EXPECT_EQ(z.IndexOf(u"EMPTY.TXT"), -1);  // names compare exactly
  TBytes bytes;
  z.Read(u"bin/\u00E9t\u00E9.dat", bytes);
  EXPECT_EQ(bytes, (TBytes{1, 2, 3}));
  z.Read(2, bytes);
  EXPECT_TRUE(bytes.empty());
  z.Read(0, bytes);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 12), "paragraph 0\n");
  TZipHeader h = z.FileInfo(0);
  EXPECT_EQ(h.UncompressedSize, static_cast<Int64>(bytes.size()));
  EXPECT_LT(h.CompressedSize, h.UncompressedSize);
  z.Close();
  EXPECT_EQ(z.Mode(), zmClosed);
}

TEST_F(ZipReaderRoundTrip, MemberIntoANewStream) {
  MakeSample("s.zip");
  TZipFile z;
  z.Open(File("s.zip"), zmRead);
  std::unique_ptr<TStream> s;
  z.Read(u"bin/\u00E9t\u00E9.dat", s);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Position(), 0);
  EXPECT_EQ(s->Size(), 3);
  EXPECT_EQ(s->ReadValue<Byte>(), 1);
  TZipHeader h;
  z.Read(0, s, h);
  EXPECT_EQ(h.FileName, u"word/document.xml");
  EXPECT_EQ(s->Size(), h.UncompressedSize);
}

TEST_F(ZipReaderRoundTrip, AddFromStreamAndFileAndAppendToAnExistingArchive) {
  WriteRaw("src.txt", "from a file");
  {
    TZipFile z;
    z.Open(File("x.zip"), zmWrite);
    TBytesStream bs(B("from a stream"));
    bs.SetPosition(5);  // the whole stream is added, whatever its position
    z.Add(&bs, u"s.txt");
    z.Add(File("src.txt"), String());
  }  // closing by destruction commits
  {
    TZipFile z;
    z.Open(File("x.zip"), zmReadWrite);
    z.Add(B("third"), u"t.txt");
    z.Close();
  }
  TZipFile z;
  z.Open(File("x.zip"), zmRead);
  EXPECT_EQ(z.FileNames(), (std::vector<String>{u"s.txt", u"src.txt", u"t.txt"}));
  TBytes b;
  z.Read(u"s.txt", b);
  EXPECT_EQ(b, B("from a stream"));
  z.Read(u"src.txt", b);
  EXPECT_EQ(b, B("from a file"));
}

TEST_F(ZipReaderRoundTrip, WriteModeReplacesAnExistingArchive) {
  MakeSample("r.zip");
  TZipFile z;
  z.Open(File("r.zip"), zmWrite);
  z.Add(B("only"), u"only.txt");
  z.Close();
  z.Open(File("r.zip"), zmRead);
  EXPECT_EQ(z.FileNames(), (std::vector<String>{u"only.txt"}));
}

TEST_F(ZipReaderUsage, MisuseRaisesZipExceptions) {
  TZipFile z;
  EXPECT_EQ(z.FileCount(), 0);
  EXPECT_EQ(z.IndexOf(u"x"), -1);
  TBytes b;
  EXPECT_THROW(z.Read(0, b), EZipException);
  EXPECT_THROW(z.Add(B("x"), u"x"), EZipException);
  EXPECT_THROW(z.Open(File("missing.zip"), zmRead), EZipException);
  MakeSample("a.zip");
  z.Open(File("a.zip"), zmRead);
  EXPECT_THROW(z.Read(3, b), EZipException);
  EXPECT_THROW(z.Read(-1, b), EZipException);
  EXPECT_THROW(z.FileName(3), EZipException);
  EXPECT_THROW(z.Read(u"not/there", b), EZipException);
  EXPECT_THROW(z.GetFileIndex(u"not/there"), EZipException);
  EXPECT_THROW(z.Add(B("x"), u"x"), EZipException);  // opened for reading
  z.Close();
  // A name UTF-8 cannot hold (a system name's byte that is not UTF-8, a lone
  // surrogate) is refused, never stored as another name; the rest stay.
  z.Open(File("n.zip"), zmWrite);
  z.Add(B("1"), u"caf\u00E9.txt");
  EXPECT_THROW(z.Add(B("2"), SystemNameToString(std::string("caf\xE9.txt"))), EZipException);
  EXPECT_THROW(z.Add(B("3"), String(u"caf") + Char(0xD800) + u".txt"), EZipException);
  z.Close();
  z.Open(File("n.zip"), zmRead);
  EXPECT_EQ(z.FileNames(), std::vector<String>{u"caf\u00E9.txt"});
}

TEST_F(ZipReaderUsage, IsValidTellsArchivesFromOtherFiles) {
  MakeSample("a.zip");
  WriteRaw("t.txt", "just text, long enough to look like something");
  WriteRaw("e.zip", "");
  EXPECT_TRUE(TZipFile::IsValid(File("a.zip")));
  EXPECT_FALSE(TZipFile::IsValid(File("t.txt")));
  EXPECT_FALSE(TZipFile::IsValid(File("missing.zip")));
  EXPECT_FALSE(TZipFile::IsValid(Utf8ToString(fDir)));
  EXPECT_FALSE(TZipFile::IsValid(String()));
}

TEST_F(ZipReaderCorrupt, GarbageAndTruncatedArchivesAreRejected) {
  std::string garbage = "PK\x03\x04";
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131) % 256);
  WriteRaw("g.zip", garbage);
  TZipFile z;
  EXPECT_THROW(z.Open(File("g.zip"), zmRead), EZipException);

  MakeSample("a.zip");
  std::string whole = ReadRaw("a.zip");
  WriteRaw("cut.zip", whole.substr(0, whole.size() / 2));
  EXPECT_THROW(z.Open(File("cut.zip"), zmRead), EZipException);
  EXPECT_FALSE(TZipFile::IsValid(File("cut.zip")));
}

TEST_F(ZipReaderCorrupt, DamagedDataRaisesInsteadOfReturningWrongBytes) {
  MakeSample("a.zip");
  std::string bytes = ReadRaw("a.zip");
  // The first member's data starts after its 30-byte local header and name.
  const size_t nameLen = static_cast<unsigned char>(bytes[26]) | (static_cast<unsigned char>(bytes[27]) << 8);
  const size_t extraLen = static_cast<unsigned char>(bytes[28]) | (static_cast<unsigned char>(bytes[29]) << 8);
  const size_t data = 30 + nameLen + extraLen;
  for (size_t i = data + 10; i < data + 40; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  WriteRaw("bad.zip", bytes);
  TZipFile z;
  z.Open(File("bad.zip"), zmRead);
  TBytes out;
  EXPECT_THROW(z.Read(0, out), EZipException);
  z.Read(1, out);  // the other members are still readable
  EXPECT_EQ(out, (TBytes{1, 2, 3}));
}

TEST_F(ZipReaderCorrupt, AbsurdStatedSizesAreRefusedBeforeAllocating) {
  MakeSample("a.zip");
  const std::string good = ReadRaw("a.zip");
  const size_t cd = CentralRecord(good);
  ASSERT_NE(cd, std::string::npos);
  // Central record: compressed size at +20, uncompressed size at +24.
  std::string huge = good;
  std::memcpy(&huge[cd + 24], "\xFF\xFF\xFF\x7F", 4);
  WriteRaw("huge.zip", huge);
  std::string bigComp = good;
  std::memcpy(&bigComp[cd + 20], "\x00\x00\x00\x7F", 4);
  WriteRaw("bigcomp.zip", bigComp);
  for (const char* name : {"huge.zip", "bigcomp.zip"}) {
    TZipFile z;
    try {
      z.Open(File(name), zmRead);
    } catch (const EZipException&) {
      continue;  // refusing at open is as good
    }
    TBytes out;
    EXPECT_THROW(z.Read(0, out), EZipException) << name;
    EXPECT_TRUE(out.empty());
  }
}

TEST_F(ZipReaderCorrupt, OverstatedSizeCostsNoMoreMemoryThanTheData) {
  // A stored member of 1 MiB whose central record claims 1000 MiB: within
  // the ratio a deflated member may reach, but the data ends long before.
  {
    TZipFile z;
    z.Open(File("big.zip"), zmWrite);
    TBytes data(1 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<Byte>((i * 2654435761u) >> 13);
    z.Add(data, u"m.bin", zcStored);
    z.Close();
  }
  std::string bytes = ReadRaw("big.zip");
  const size_t cd = CentralRecord(bytes);
  ASSERT_NE(cd, std::string::npos);
  const uint32_t claimed = 1000u << 20;
  for (int k = 0; k < 4; ++k) bytes[cd + 24 + k] = static_cast<char>((claimed >> (8 * k)) & 0xFF);
  WriteRaw("big.zip", bytes);
  TZipFile z;
  try {
    z.Open(File("big.zip"), zmRead);
  } catch (const EZipException&) {
    return;
  }
  struct rusage before {};
  ::getrusage(RUSAGE_SELF, &before);
  TBytes out;
  EXPECT_THROW(z.Read(0, out), EZipException);
  EXPECT_TRUE(out.empty());
  struct rusage after {};
  ::getrusage(RUSAGE_SELF, &after);
  // ru_maxrss is in KiB; the claimed size alone would add 1000 MiB.
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256L * 1024);
}

TEST_F(ZipReaderCorrupt, ShortStatedSizeDoesNotPassAsComplete) {
  MakeSample("a.zip", zcStored);
  std::string bytes = ReadRaw("a.zip");
  const size_t cd = CentralRecord(bytes);
  ASSERT_NE(cd, std::string::npos);
  std::memcpy(&bytes[cd + 24], "\x05\x00\x00\x00", 4);  // claims 5 bytes of a longer member
  WriteRaw("short.zip", bytes);
  TZipFile z;
  try {
    z.Open(File("short.zip"), zmRead);
  } catch (const EZipException&) {
    return;
  }
  TBytes out;
  EXPECT_THROW(z.Read(0, out), EZipException);
}

TEST_F(ZipReaderCorrupt, EachMethodIsHeldToTheGrowthItCanReach) {
  // 20 MiB of zeros: stored, deflated (about 1000 to 1) and in bzip2 (a few
  // dozen bytes).  Each reads back whole; each is refused once its stated
  // size passes what its method can make of its data.
  struct Case {
    const char* name;
    zip_int32_t method;
    uint64_t ratio;
  } cases[] = {{"stored", ZIP_CM_STORE, 1}, {"deflate", ZIP_CM_DEFLATE, 1100}, {"bzip2", ZIP_CM_BZIP2, 2000000}};
  const std::string zeros(20u << 20, '\0');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteOneMember(Path("m.zip"), zeros, c.method);
    const std::string good = ReadRaw("m.zip");
    const size_t cd = CentralRecord(good);
    ASSERT_NE(cd, std::string::npos);
    const uint64_t packed = Get32(good, cd + 20);
    if (c.method == ZIP_CM_BZIP2) {
      EXPECT_LT(packed, 100u);
    }
    {
      TZipFile z;
      z.Open(File("m.zip"), zmRead);
      TBytes out;
      z.Read(0, out);
      EXPECT_EQ(out.size(), zeros.size());
      EXPECT_EQ(std::count(out.begin(), out.end(), Byte{0}), static_cast<std::ptrdiff_t>(zeros.size()));
    }
    const uint64_t tooMuch = packed * c.ratio + (1u << 16) + 1;
    ASSERT_LT(tooMuch, uint64_t{1} << 32);
    std::string bad = good;
    Put32(bad, cd + 24, static_cast<uint32_t>(tooMuch));
    Put32(bad, 22, static_cast<uint32_t>(tooMuch));  // the local header
    WriteRaw("bad.zip", bad);
    TZipFile z;
    z.Open(File("bad.zip"), zmRead);
    TBytes out;
    try {
      z.Read(0, out);
      ADD_FAILURE() << "read";
    } catch (const EZipException& e) {
      EXPECT_NE(StringToUtf8(e.Message()).find("out of proportion"), std::string::npos) << StringToUtf8(e.Message());
    }
    size_t pieces = 0;
    EXPECT_THROW(z.ReadInPieces(0, [&](const Byte*, size_t) { ++pieces; }), EZipException);
    EXPECT_EQ(pieces, 0u);
  }
}

TEST_F(ZipReaderRoundTrip, MembersReadInPiecesAsTheyAreInflated) {
  MakeSample("a.zip");
  MakeSample("s.zip", zcStored);
  for (const char* name : {"a.zip", "s.zip"}) {
    TZipFile z;
    z.Open(File(name), zmRead);
    for (Int32 i = 0; i < z.FileCount(); ++i) {
      for (size_t pieceSize : {size_t{1}, size_t{7}, size_t{4096}, size_t{1} << 20}) {
        TBytes whole, joined;
        z.Read(i, whole);
        size_t calls = 0;
        z.ReadInPieces(
            i,
            [&](const Byte* data, size_t size) {
              EXPECT_GT(size, 0u);
              EXPECT_LE(size, pieceSize);
              joined.insert(joined.end(), data, data + size);
              ++calls;
            },
            pieceSize);
        EXPECT_EQ(joined, whole) << name << " " << i << " " << pieceSize;
        EXPECT_EQ(calls == 0, whole.empty());
      }
    }
    // An exception from the handler ends the read and reaches the caller; the
    // archive stays usable.
    EXPECT_THROW(z.ReadInPieces(0, [](const Byte*, size_t) { throw std::runtime_error("stop"); }, 16),
                 std::runtime_error);
    TBytes again;
    z.Read(0, again);
    EXPECT_FALSE(again.empty());
  }
}

TEST_F(ZipReaderCorrupt, PiecesOfDamagedMembersEndInAnError) {
  // Flipped data, a stated size too large and one too small: each read in
  // pieces raises by the end of the member, never ends quietly.
  MakeSample("a.zip");
  MakeSample("s.zip", zcStored);
  const std::string deflated = ReadRaw("a.zip"), stored = ReadRaw("s.zip");
  std::string flipped = deflated;
  const size_t data = 30 + (static_cast<unsigned char>(flipped[26]) | static_cast<unsigned char>(flipped[27]) << 8);
  for (size_t i = data + 10; i < data + 40; ++i) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
  std::string longer = stored, shorter = stored;
  Put32(longer, CentralRecord(longer) + 24, Get32(stored, CentralRecord(stored) + 24) + 100);
  Put32(shorter, CentralRecord(shorter) + 24, 5);
  for (const auto& [name, bytes] : {std::pair{"flipped", flipped}, {"longer", longer}, {"shorter", shorter}}) {
    WriteRaw("bad.zip", bytes);
    TZipFile z;
    try {
      z.Open(File("bad.zip"), zmRead);
    } catch (const EZipException&) {
      continue;
    }
    size_t got = 0;
    EXPECT_THROW(z.ReadInPieces(0, [&](const Byte*, size_t size) { got += size; }, 64), EZipException) << name;
    EXPECT_LE(got, static_cast<size_t>(z.FileInfo(0).UncompressedSize)) << name;
  }
}

}  // namespace sk

namespace sk {
namespace {

void Put64(std::string& bytes, size_t at, uint64_t v) {
  for (int k = 0; k < 8; ++k) bytes[at + static_cast<size_t>(k)] = static_cast<char>(v >> (8 * k) & 0xFF);
}

}  // namespace

// The CRC-32 of the zip format, going on from crc.
uint32_t Crc32(const std::string& bytes, uLong crc = 0) {
  return static_cast<uint32_t>(
      ::crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

void PutLE32(std::string& bytes, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) bytes[at + static_cast<size_t>(k)] = static_cast<char>(v >> (8 * k) & 0xFF);
}

TEST_F(ZipReaderUsage, AnArchiveIsRefusedOnlyBesideItsOwnJournal) {
  // A shared folder, as /tmp is: anyone may put a file in it.
  ASSERT_EQ(::chmod(fDir.c_str(), 01777), 0);
  MakeSample("a.zip");
  const std::string archive = ReadRaw("a.zip");
  struct stat st {};
  ASSERT_EQ(::stat(Path("a.zip").c_str(), &st), 0);
  // The journal an update of the archive from byte 100 on writes, when the
  // archive's old bytes from there were tail: the archive holds them now
  // when tail is its own (its update was put back), else it is half-written.
  const size_t restorePoint = 100;
  auto journal = [&](uint64_t inode, const std::string& tail) {
    std::string head(static_cast<size_t>(ZipJournalHeaderSize), '\0');
    head.replace(0, 8, ZipJournalHeaderSignature, 8);
    Put64(head, 8, static_cast<uint64_t>(st.st_dev));
    Put64(head, 16, inode);
    Put64(head, 24, restorePoint + tail.size());
    Put64(head, 32, restorePoint);
    PutLE32(head, 48, Crc32(archive.substr(0, restorePoint)));
    PutLE32(head, 52, Crc32(head.substr(0, 52)));
    std::string record(static_cast<size_t>(ZipJournalRecordSize), '\0');
    record.replace(0, 8, ZipJournalRecordSignature, 8);
    Put64(record, 8, restorePoint + tail.size());
    Put64(record, 16, restorePoint);
    Put64(record, 24, tail.size());
    PutLE32(record, 32, Crc32(record.substr(8, 24), Crc32(head + tail)));
    return head + tail + record;
  };
  const std::string oldTail = archive.substr(restorePoint, archive.size() - restorePoint - 1) + "!";
  const std::string ours = journal(static_cast<uint64_t>(st.st_ino), oldTail);
  struct Case {
    const char* what;
    std::string journal;
    Cardinal mode;
    bool otherUser;  // planted by another user (when the test runs as root)
    bool refused;
    const char* name = "a.zip-journal";  // beside another name of the file, which its attribute names
  } cases[] = {
      {"complete", ours, 0644, false, true},
      {"complete, the archive put back already",
       journal(static_cast<uint64_t>(st.st_ino), archive.substr(restorePoint)), 0644, false, false},
      {"cut by one byte", ours.substr(0, ours.size() - 1), 0644, false, true},
      {"of another file", journal(static_cast<uint64_t>(st.st_ino) + 1, oldTail), 0644, false, false},
      {"a user's text", "notes\n", 0644, false, false},
      {"writable by others", ours, 0666, false, false},
      {"planted by another user", ours, 0644, true, false},
      {"beside another name", ours, 0644, false, true, "h.zip-journal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.otherUser && ::geteuid() != 0) continue;
    const std::string at = c.name, named = Path(at);
    if (at != "a.zip-journal" &&
        ::setxattr(Path("a.zip").c_str(), ZipJournalPointerName, named.data(), named.size(), 0) != 0)
      continue;
    WriteRaw(at, c.journal);
    ASSERT_EQ(::chmod(named.c_str(), c.mode), 0);
    ASSERT_TRUE(!c.otherUser || ::chown(named.c_str(), 65534, 65534) == 0);
    TZipFile z;
    bool refused = false;
    try {
      z.Open(File("a.zip"), zmRead);
      EXPECT_EQ(z.FileCount(), 3);
    } catch (const EZipException&) {
      refused = true;
    }
    EXPECT_EQ(refused, c.refused);
    EXPECT_EQ(ReadRaw(at), c.journal);
    ::unlink(Path(at).c_str());
    ::removexattr(Path("a.zip").c_str(), ZipJournalPointerName);
  }
  // A pipe at the journal's name is not waited on.
  ASSERT_EQ(::mkfifo(Path("a.zip-journal").c_str(), 0600), 0);
  TZipFile z;
  z.Open(File("a.zip"), zmRead);
  EXPECT_EQ(z.FileCount(), 3);
}

namespace {

// Another process's work on an archive that a reader holds open.
class ZipReaderOthers : public ZipTestBase {
 protected:
  // Member i's text (version 1 for the one another process changed): 20,000
  // letters that deflate to about two thirds, so that the archive is larger
  // than any buffer its reader keeps.
  static std::string Member(int i, int version) {
    std::string s(20000, ' ');
    uint64_t x = static_cast<uint64_t>(i * 7 + version) * 2654435761u + 1;
    for (char& c : s) c = static_cast<char>('a' + ((x = x * 6364136223846793005ull + 1) >> 33) % 26);
    return s;
  }
  // An archive of 8 members, member `changed` (-1: none) in version 1.
  std::string ArchiveBytes(int changed) {
    TZipFile z;
    z.Open(File("build.zip"), zmWrite);
    for (int i = 0; i < 8; ++i) {
      const std::string m = Member(i, i == changed ? 1 : 0);
      z.Add(TBytes(m.begin(), m.end()), Utf8ToString("m" + std::to_string(i) + ".txt"));
    }
    z.Close();
    return ReadRaw("build.zip");
  }
  // "=" and the member's bytes, or "!" and the error's text.
  static std::string Outcome(TZipFile& z, Int32 i) {
    try {
      TBytes b;
      z.Read(i, b);
      return "=" + std::string(b.begin(), b.end());
    } catch (const EZipException& e) {
      return "!" + StringToUtf8(e.Message());
    }
  }
};

}  // namespace

TEST_F(ZipReaderOthers, AReaderOpenedBeforeAnotherWriterReadsWhatIsUnchanged) {
  const std::string before = ArchiveBytes(-1), after = ArchiveBytes(3);
  struct Case {
    const char* what;
    std::function<void()> change;  // by another process, after the reader opened
    std::set<int> changed;         // the members no longer what they were
  } cases[] = {
      {"rewritten in place (its inode kept)", [&] { WriteRaw("a.zip", after); }, {3}},
      {"replaced by another file",
       [&] {
         WriteRaw("b.zip", after);
         ASSERT_EQ(::rename(Path("b.zip").c_str(), Path("a.zip").c_str()), 0);
       },
       {3}},
      {"rewritten with the same bytes", [&] { WriteRaw("a.zip", before); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteRaw("a.zip", before);
    TZipFile z;
    z.Open(File("a.zip"), zmRead);
    c.change();
    for (Int32 i = 0; i < 8; ++i) {
      const std::string outcome = Outcome(z, i);
      EXPECT_TRUE(c.changed.count(i) != 0 ? outcome.find("changed by another process") != std::string::npos
                                         : outcome == "=" + Member(i, 0))
          << i << outcome.substr(0, 200);
    }
    EXPECT_EQ(z.FileName(3), u"m3.txt");  // the names listed stay
  }
}

TEST_F(ZipReaderOthers, AReaderWaitsForAWriterThenGivesUp) {
  WriteRaw("a.zip", ArchiveBytes(-1));
  TZipFile z;
  z.LockWait = 100;
  z.Open(File("a.zip"), zmRead);
  const int writer = ::open(Path("a.zip").c_str(), O_RDWR);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  EXPECT_NE(Outcome(z, 2).find("is being changed by another process"), std::string::npos);
  // A writer that lets go while the reader waits.
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ::flock(writer, LOCK_UN);
  });
  EXPECT_TRUE(Outcome(z, 2) == "=" + Member(2, 0));
  release.join();
  ::close(writer);
}

TEST_F(ZipReaderOthers, AWriterThatTookTheNameMeanwhileIsNeverWrittenOver) {
  // Another process that ignores the lock puts its archive at the name while
  // the zip file is open to be added to (or, new, while it is being made):
  // closing says so, and the other's archive stays as it left it.
  const std::string before = ArchiveBytes(-1), theirs = ArchiveBytes(3);
  struct Case {
    const char* what;
    bool existing;
  } cases[] = {{"replaced by another file", true}, {"made while a new one was", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(Path("a.zip").c_str());
    if (c.existing) WriteRaw("a.zip", before);
    TZipFile z;
    z.Open(File("a.zip"), zmReadWrite);
    z.Add(B("mine"), u"mine.txt");
    WriteRaw("b.zip", theirs);
    ASSERT_EQ(::rename(Path("b.zip").c_str(), Path("a.zip").c_str()), 0);
    try {
      z.Close();
      ADD_FAILURE() << "closed";
    } catch (const EZipException& e) {
      EXPECT_NE(StringToUtf8(e.Message()).find("changed by another process"), std::string::npos);
    }
    EXPECT_TRUE(ReadRaw("a.zip") == theirs);
  }
}

TEST_F(ZipReaderOthers, AWriterWaitingInVainSaysWhetherOthersReadOrChange) {
  WriteRaw("a.zip", ArchiveBytes(-1));
  const std::string before = ReadRaw("a.zip");
  const struct {
    int lock;
    const char* says;
  } cases[] = {{LOCK_SH, "is being read by another process"}, {LOCK_EX, "is being changed by another process"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const int other = ::open(Path("a.zip").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(other, c.lock), 0);
    TZipFile z;
    z.LockWait = 50;
    try {
      z.Open(File("a.zip"), zmReadWrite);
      ADD_FAILURE() << "opened";
    } catch (const EZipException& e) {
      EXPECT_NE(StringToUtf8(e.Message()).find(c.says), std::string::npos) << StringToUtf8(e.Message());
    }
    ::close(other);
    EXPECT_TRUE(ReadRaw("a.zip") == before);
  }
}

TEST_F(ZipReaderOthers, AWriteSessionNeverPartsHardLinkedNames) {
  // Writing the archive anew would leave the other name on the old file:
  // the session is refused, at Open or (a name given meanwhile) at Close,
  // and both names keep the one archive.
  const std::string before = ArchiveBytes(-1);
  const struct {
    const char* what;
    TZipMode mode;
    bool linkFirst;
  } cases[] = {{"added to", zmReadWrite, true}, {"written anew", zmWrite, true}, {"linked while open", zmReadWrite, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(Path("a.zip").c_str());
    ::unlink(Path("b.zip").c_str());
    WriteRaw("a.zip", before);
    if (c.linkFirst) {
      ASSERT_EQ(::link(Path("a.zip").c_str(), Path("b.zip").c_str()), 0);
    }
    std::string error;
    try {
      TZipFile z;
      z.Open(File("a.zip"), c.mode);
      if (!c.linkFirst) {
        ASSERT_EQ(::link(Path("a.zip").c_str(), Path("b.zip").c_str()), 0);
      }
      z.Add(B("mine"), u"mine.txt");
      z.Close();
    } catch (const EZipException& e) {
      error = StringToUtf8(e.Message());
    }
    EXPECT_NE(error.find("more than one name"), std::string::npos) << error;
    struct stat a {}, b {};
    ASSERT_EQ(::stat(Path("a.zip").c_str(), &a), 0);
    ASSERT_EQ(::stat(Path("b.zip").c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino);
    EXPECT_TRUE(ReadRaw("a.zip") == before);
  }
}

TEST(ZipChangeWatch, AWriteInTheSameTickAsTheLastIsNoticed) {
  // Writes that follow the remembered state at once share its tick of the
  // file system's clock: only the directory's bytes (from 800 on) tell them.
  const ScratchFolder dir("sk_watch");
  const std::string path = dir.Path("a.zip");
  struct Case {
    const char* what;
    off_t at;  // where a byte is written (-1: none)
    bool changed;
  } cases[] = {{"nothing", -1, false}, {"a byte of the directory", 900, true}, {"a byte appended", 1000, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_EQ(::write(fd, std::string(1000, 'd').data(), 1000), 1000);
    TZipChangeWatch watch;
    ASSERT_TRUE(watch.Remember(fd, 800));
    ASSERT_TRUE(c.at < 0 || ::pwrite(fd, "Q", 1, c.at) == 1);
    EXPECT_EQ(watch.Changed(fd), c.changed);
    ::close(fd);
  }
}

}  // namespace sk
