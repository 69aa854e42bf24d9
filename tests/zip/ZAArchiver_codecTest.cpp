// The entry codec: stored and deflated entries, traditional and AES
// encryption, zip64 sizes, ranges, cancelling, the password event, damaged
// data and bombs, and entries written by other tools.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "ArchiverTestSupport.h"
#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "ZipTestSupport.h"
#include "zip/ZAUtils.h"

namespace sk {
namespace {

class ZAArchiver_codec : public ScratchFolderTest {
 protected:
  ZAArchiver_codec() : ScratchFolderTest("sk_archiver_codec") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
  TZipArchiver zip;
};

// Text that deflate shrinks, without long repeats.
std::string TextBytes(size_t n, unsigned seed = 1) {
  static const char* words[] = {"the ", "archive ", "holds ", "words ", "of ", "many ", "texts ", "and ", "lists\n"};
  std::mt19937 rng(seed);
  std::string s;
  s.reserve(n + 16);
  while (s.size() < n) s += words[rng() % 9];
  s.resize(n);
  return s;
}

struct TEntry {
  TDirItem item;
  std::string data;  // the stored data (encryption header, compressed bytes, code)
};

TEntry Compress(TZABaseArchiver& arc, const std::string& plain, Word method, Byte mode, const AnsiString& password = {},
                TZACryptoAlgorithm algorithm = caPkzipClassic) {
  TEntry e;
  e.item.Name = u"dir/file.txt";
  e.item.SrcFileName = u"/src/dir/file.txt";
  e.item.CompressionMethod = method;
  e.item.CompressionMode = mode;
  e.item.Password = password;
  TZAZipCentralDir& cd = e.item.CentralDir;
  cd.versionMadeBy = cd.extractVersion = 20;
  cd.compMethod = method;
  cd.genPurposeFlag = password.empty() ? 0 : ZAFlagEncrypted;
  cd.lastModTime = 0x6000;
  arc.FZACryptoAlgorithm = algorithm;
  TBytesStream source(B(plain));
  TMemoryStream dest;
  EXPECT_TRUE(arc.InternalCompressFile(&source, &dest, e.item, static_cast<Int64>(plain.size())));
  e.data.assign(reinterpret_cast<const char*>(dest.Bytes()), static_cast<size_t>(dest.Size()));
  return e;
}

// A local header for the entry, its name, then the stored data.
std::string LocalRecord(const TDirItem& item, const std::string& data) {
  const TZAZipCentralDir& cd = item.CentralDir;
  TZAZipFileHeader lh;
  lh.signature = ZipLocalFileHeaderSignature;
  lh.extractVersion = cd.extractVersion;
  lh.genPurposeFlag = cd.genPurposeFlag;
  lh.compMethod = cd.compMethod;
  lh.lastModTime = cd.lastModTime;
  lh.crc32 = cd.crc32;
  lh.compSize = cd.compSize;
  lh.unCompSize = cd.unCompSize;
  lh.nameLength = 12;
  return AsString(lh.ToBytes()) + "dir/file.txt" + data;
}

struct TExtracted {
  bool ok = false;
  std::string bytes;
  Int64 position = 0;
};

TExtracted Extract(TZABaseArchiver& arc, TDirItem item, const std::string& record, Int32 count = 0, Int64 offset = 0) {
  TBytesStream source(B(record));
  TMemoryStream dest;
  TExtracted r;
  r.ok = arc.InternalDecompressFile(&source, &dest, item, count, offset);
  r.bytes.assign(reinterpret_cast<const char*>(dest.Bytes()), static_cast<size_t>(dest.Size()));
  r.position = dest.Position();
  return r;
}

TEST_F(ZAArchiver_codec, AnEmptyFileIsStoredEvenAtMode9) {
  TEntry e = Compress(zip, "", 8, 9);
  EXPECT_EQ(e.item.CentralDir.compMethod, 0);
  EXPECT_EQ(e.item.CompressionMethod, 0);
  EXPECT_EQ(e.item.CentralDir.crc32, 0u);
  EXPECT_EQ(e.item.CentralDir.compSize, 0u);
  EXPECT_EQ(e.item.CentralDir.unCompSize, 0u);
  EXPECT_TRUE(e.data.empty());
  TExtracted x = Extract(zip, e.item, LocalRecord(e.item, e.data));
  EXPECT_TRUE(x.ok);
  EXPECT_TRUE(x.bytes.empty());
}

TEST_F(ZAArchiver_codec, DeflatedDataAreRawAndInflateElsewhere) {
  SK_NEED_PROGRAM(kPython);
  const std::string plain = TextBytes(300000);
  TEntry e = Compress(zip, plain, 8, 6);
  ASSERT_FALSE(e.data.empty());
  EXPECT_NE(static_cast<Byte>(e.data[0]), 0x78) << "no zlib header";
  EXPECT_EQ(e.item.CentralDir.crc32, Crc32Of(plain));
  EXPECT_EQ(e.item.CentralDir.compSize, e.data.size());
  EXPECT_EQ(e.item.CentralDir.unCompSize, plain.size());
  WriteRaw("raw.bin", e.data);
  WriteRaw("plain.bin", plain);
  // Python's raw inflater must take every byte (no Adler-32 trailer left over).
  const std::string check = std::string(kPython) +
                            " -c \"import zlib,sys; d=zlib.decompressobj(-15); o=d.decompress(open(sys.argv[1],'rb')."
                            "read()); sys.exit(0 if d.eof and not d.unused_data and o==open(sys.argv[2],'rb').read() "
                            "else 1)\" " +
                            ShellQuote(Path("raw.bin")) + " " + ShellQuote(Path("plain.bin"));
  EXPECT_EQ(RunCommand(check), 0);
  TExtracted x = Extract(zip, e.item, LocalRecord(e.item, e.data));
  EXPECT_TRUE(x.ok);
  EXPECT_TRUE(x.bytes == plain);
}

TEST_F(ZAArchiver_codec, TraditionalHeaderEndsWithTheCrc) {
  const std::string plain = TextBytes(5000);
  const TEntry open = Compress(zip, plain, 8, 6);
  const TEntry a = Compress(zip, plain, 8, 6, "secret");
  const TEntry b = Compress(zip, plain, 8, 6, "secret");
  EXPECT_EQ(a.item.CentralDir.compSize, open.item.CentralDir.compSize + 12);
  const Cardinal crc = Crc32Of(plain);
  EXPECT_EQ(a.item.CentralDir.crc32, crc);
  TZipKey keys;
  TZipKeyHeader header;
  std::copy(a.data.begin(), a.data.begin() + 12, header.begin());
  ZipKeyInit("secret", keys, header);
  EXPECT_EQ(header[10], static_cast<Byte>(crc >> 16));
  EXPECT_EQ(header[11], static_cast<Byte>(crc >> 24));
  EXPECT_NE(a.data.substr(0, 10), b.data.substr(0, 10)) << "ten secret random bytes";

  // The check byte is the time's high byte when a data descriptor follows.
  TBytesStream s(B(a.data.substr(0, 12)));
  EXPECT_TRUE(TZABaseArchiver::ZipInitPassword(&s, "secret", 0, 0, crc, keys));
  s.Seek(0, soBeginning);
  EXPECT_FALSE(TZABaseArchiver::ZipInitPassword(&s, "secret", 0, 0, crc ^ 0x01000000u, keys));
  s.Seek(0, soBeginning);
  EXPECT_EQ(TZABaseArchiver::ZipInitPassword(&s, "secret", ZAFlagDataDescriptor, static_cast<Word>(crc >> 16), 0, keys),
            true);
  TBytesStream shortHeader(B("12345"));
  EXPECT_FALSE(TZABaseArchiver::ZipInitPassword(&shortHeader, "secret", 0, 0, crc, keys));
}

TEST_F(ZAArchiver_codec, RoundTripsOfEveryMethodAndEncryption) {
  struct TMethod {
    Word method;
    Byte mode;
  };
  const TMethod methods[] = {{0, 0}, {8, 1}, {8, 6}, {8, 9}};
  struct TCrypt {
    AnsiString password;
    TZACryptoAlgorithm algorithm;
  };
  const TCrypt crypts[] = {
      {"", caPkzipClassic}, {"pw", caPkzipClassic}, {"pw", caAES_128}, {"pw", caAES_192}, {"pw", caAES_256}};
  for (size_t size : {size_t(1), size_t(70000), size_t(1600000)}) {
    const std::string plain = TextBytes(size, static_cast<unsigned>(size));
    for (const TMethod& m : methods) {
      for (const TCrypt& c : crypts) {
        if (size > 70000 && m.mode > 1 && c.algorithm != caAES_256) continue;
        SCOPED_TRACE(testing::Message() << size << " method " << m.method << " mode " << int(m.mode) << " alg "
                                        << int(c.algorithm) << " pw " << c.password);
        TEntry e = Compress(zip, plain, m.method, m.mode, c.password, c.algorithm);
        const bool aes = !c.password.empty() && c.algorithm != caPkzipClassic;
        EXPECT_EQ(e.item.CentralDir.compMethod, aes ? 99 : m.method);
        EXPECT_EQ(e.item.CentralDir.crc32, aes ? 0u : Crc32Of(plain));
        EXPECT_EQ(e.item.CentralDir.compSize, e.data.size());
        zip.SetPassword(c.password);
        TExtracted x = Extract(zip, e.item, LocalRecord(e.item, e.data));
        EXPECT_TRUE(x.ok);
        EXPECT_TRUE(x.bytes == plain);
      }
    }
  }
}

TEST_F(ZAArchiver_codec, Zip64AlwaysPutsTheSizesInTheZip64Values) {
  zip.SetZip64Mode(zmAlways);
  const std::string plain = TextBytes(1000);
  TEntry e = Compress(zip, plain, 8, 6);
  EXPECT_TRUE(e.item.bHugeFile);
  EXPECT_EQ(e.item.CentralDir.compSize, 0xFFFFFFFFu);
  EXPECT_EQ(e.item.CentralDir.unCompSize, 0xFFFFFFFFu);
  EXPECT_EQ(e.item.Zip64ExtInfo.compSize, e.data.size());
  EXPECT_EQ(e.item.Zip64ExtInfo.uncompSize, 1000u);
  TExtracted x = Extract(zip, e.item, LocalRecord(e.item, e.data));
  EXPECT_TRUE(x.ok);
  EXPECT_TRUE(x.bytes == plain);
}

TEST_F(ZAArchiver_codec, MethodNineRaises55AndOthersFail) {
  TEntry e = Compress(zip, "abc", 0, 0);
  zip.Name = u"Zip1";
  e.item.CentralDir.compMethod = 9;
  try {
    Extract(zip, e.item, LocalRecord(e.item, e.data));
    ADD_FAILURE() << "no error";
  } catch (const EZAException& x) {
    EXPECT_EQ(x.NativeError, 55);
    EXPECT_EQ(x.Message(), u"Deflate64 compression method is not supported - Native error: 00055");
  }
  for (Word method : {Word(12), Word(14), Word(99), Word(0xFFFF)}) {
    e.item.CentralDir.compMethod = method;
    TExtracted x = Extract(zip, e.item, LocalRecord(e.item, e.data));
    EXPECT_FALSE(x.ok) << method;
    EXPECT_TRUE(x.bytes.empty());
  }
}

TEST_F(ZAArchiver_codec, ARangeLeavesTheDestinationAtItsFirstByte) {
  const std::string plain = TextBytes(5 * 1024 * 1024, 9);
  const struct {
    Word method;
    Byte mode;
    TZACryptoAlgorithm algorithm;
    AnsiString password;
  } cases[] = {{8, 6, caPkzipClassic, ""}, {0, 0, caPkzipClassic, ""}, {8, 1, caAES_256, "pw"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    TEntry e = Compress(zip, plain, c.method, c.mode, c.password, c.algorithm);
    zip.SetPassword(c.password);
    const std::string record = LocalRecord(e.item, e.data);
    TExtracted x = Extract(zip, e.item, record, 100, 2000000);
    ASSERT_TRUE(x.ok);
    ASSERT_LE(x.position + 100, static_cast<Int64>(x.bytes.size()));
    EXPECT_EQ(x.bytes.substr(static_cast<size_t>(x.position), 100), plain.substr(2000000, 100));
    EXPECT_LT(x.bytes.size(), 3u * 1024 * 1024) << "the bytes before the range are not kept";
    // From the start.
    x = Extract(zip, e.item, record, 10, 0);
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(x.bytes.substr(0, 10), plain.substr(0, 10));
  }
  // An AES range still authenticates every stored byte: damage after the
  // range is found.
  TEntry e = Compress(zip, plain, 8, 1, "pw", caAES_128);
  zip.SetPassword("pw");
  std::string record = LocalRecord(e.item, e.data);
  record[record.size() - 20] ^= 0x01;
  EXPECT_FALSE(Extract(zip, e.item, record, 100, 2000000).ok);
}

TEST_F(ZAArchiver_codec, ACancelReturnsFalseWithoutRaising) {
  const std::string plain = TextBytes(3000000);
  zip.FProgressEnabled = true;
  Int32 calls = 0;
  zip.OnFileProgress = [&](TObject*, const String& name, Double, TZAProcessOperation, TZAProgressPhase, bool& cancel) {
    EXPECT_EQ(name.find(u'/'), String::npos);
    cancel = ++calls == 2;
  };
  TDirItem item;
  item.CompressionMethod = 8;
  item.CompressionMode = 1;
  item.SrcFileName = u"/src/a.txt";
  TBytesStream source(B(plain));
  TMemoryStream dest;
  EXPECT_FALSE(zip.InternalCompressFile(&source, &dest, item, static_cast<Int64>(plain.size())));
  EXPECT_EQ(calls, 2);

  zip.FProgressCancel = false;
  zip.FProgressEnabled = false;
  TEntry e = Compress(zip, plain, 8, 6);
  zip.FProgressEnabled = true;
  calls = 0;
  EXPECT_FALSE(Extract(zip, e.item, LocalRecord(e.item, e.data)).ok);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(zip.FProgressCancel);
}

TEST_F(ZAArchiver_codec, ProgressOfACompression) {
  const std::string plain = TextBytes(2000000);
  zip.FProgressEnabled = true;
  zip.FProcessedFilesTotalSize = 4000000;
  zip.FProcessedFilesSize = 2000000;
  std::vector<Double> file, overall;
  zip.OnFileProgress = [&](TObject*, const String&, Double p, TZAProcessOperation, TZAProgressPhase, bool&) {
    file.push_back(p);
  };
  zip.OnOverallProgress = [&](TObject*, Double p, TZAProcessOperation, TZAProgressPhase, bool&) {
    overall.push_back(p);
  };
  Compress(zip, plain, 8, 1);  // 512 KiB chunks: four of them
  const std::vector<Double> expected = {0, 26.2144, 52.4288, 78.6432};
  ASSERT_EQ(file.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(file[i], expected[i], 1e-9);
  ASSERT_EQ(overall.size(), 4u);
  EXPECT_DOUBLE_EQ(overall[0], 50.0);
  EXPECT_EQ(zip.FProcessedFilesSize, 4000000);
}

TEST_F(ZAArchiver_codec, ThePasswordEventDecides) {
  const std::string plain = TextBytes(2000);
  for (TZACryptoAlgorithm algorithm : {caPkzipClassic, caAES_192}) {
    SCOPED_TRACE(int(algorithm));
    TEntry e = Compress(zip, plain, 8, 6, "right", algorithm);
    // The traditional header checks one byte, so one wrong password in 256
    // passes it; the entry is made again until the wrong ones here do not.
    auto passesCheck = [&](const AnsiString& password) {
      TBytesStream header(B(e.data.substr(0, 12)));
      TZipKey keys;
      return TZABaseArchiver::ZipInitPassword(&header, password, 0, 0, e.item.CentralDir.crc32, keys);
    };
    while (algorithm == caPkzipClassic && (passesCheck("wrong") || passesCheck("still wrong")))
      e = Compress(zip, plain, 8, 6, "right", algorithm);
    const std::string record = LocalRecord(e.item, e.data);
    // Skipped.
    zip.SetPassword("");
    std::vector<String> asked;
    zip.OnPassword = [&](TObject*, const String& name, AnsiString&, bool& skip) {
      asked.push_back(name);
      skip = true;
    };
    EXPECT_FALSE(Extract(zip, e.item, record).ok);
    EXPECT_EQ(asked, (std::vector<String>{u"dir/file.txt"}));
    // A wrong password, then the right one.
    zip.SetPassword("wrong");
    Int32 asks = 0;
    zip.OnPassword = [&](TObject*, const String&, AnsiString& password, bool& skip) {
      ++asks;
      password = "right";
      skip = false;
    };
    TExtracted x = Extract(zip, e.item, record);
    EXPECT_TRUE(x.ok);
    EXPECT_TRUE(x.bytes == plain);
    EXPECT_EQ(asks, 1);
    EXPECT_EQ(zip.Password(), "right");
    // A handler that keeps answering wrong is not asked for ever.
    zip.SetPassword("wrong");
    asks = 0;
    zip.OnPassword = [&](TObject*, const String&, AnsiString& password, bool&) {
      ++asks;
      password = "still wrong";
    };
    EXPECT_FALSE(Extract(zip, e.item, record).ok);
    EXPECT_EQ(asks, 19);
    // Suppressed: one try, no event.
    asks = 0;
    zip.FSuppressPasswordEvent = true;
    EXPECT_FALSE(Extract(zip, e.item, record).ok);
    EXPECT_EQ(asks, 0);
    zip.FSuppressPasswordEvent = false;
    zip.OnPassword = nullptr;
  }
  // Without a handler the password dialog asks; Cancel skips the entry.
  TEntry e = Compress(zip, plain, 8, 6, "right");
  zip.SetPassword("");
  PressingHook cancelling(u"Cancel");
  ScopedModalHook hook(cancelling.Hook());
  EXPECT_FALSE(Extract(zip, e.item, LocalRecord(e.item, e.data)).ok);
  EXPECT_TRUE(zip.FSkipFile);
  EXPECT_EQ(cancelling.Shown(), 1);
}

// Raw deflate data of `zeros` zero bytes, made a piece at a time.
std::string DeflatedZeros(size_t zeros) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string out;
  std::vector<Byte> in(1 << 20, 0), buf(1 << 16);
  for (size_t left = zeros; left > 0 || z.avail_in > 0;) {
    const size_t n = std::min(left, in.size());
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(n);
    left -= n;
    do {
      z.next_out = buf.data();
      z.avail_out = static_cast<uInt>(buf.size());
      deflate(&z, left == 0 ? Z_FINISH : Z_NO_FLUSH);
      out.append(reinterpret_cast<const char*>(buf.data()), buf.size() - z.avail_out);
    } while (z.avail_out == 0);
    if (left == 0) break;
  }
  deflateEnd(&z);
  return out;
}

TEST_F(ZAArchiver_codec, ABombFailsFastInBoundedMemory) {
  const std::string bomb = DeflatedZeros(size_t(32) << 20);  // 32 MiB of zeros
  TDirItem item;
  TZAZipCentralDir& cd = item.CentralDir;
  cd.versionMadeBy = cd.extractVersion = 20;
  cd.compMethod = 8;
  cd.compSize = static_cast<Cardinal>(bomb.size());
  cd.crc32 = 0;
  const std::string record = [&] {
    TZAZipFileHeader lh;
    lh.signature = ZipLocalFileHeaderSignature;
    lh.compMethod = 8;
    lh.nameLength = 12;
    return AsString(lh.ToBytes()) + "dir/file.txt" + bomb;
  }();
  // A declared size that deflate cannot reach from these bytes: refused
  // before anything is written.
  cd.unCompSize = 0xFFFFFFF0u;
  TExtracted x = Extract(zip, item, record);
  EXPECT_FALSE(x.ok);
  EXPECT_TRUE(x.bytes.empty());
  // A small declared size: the output stops as soon as it would pass it.
  for (Cardinal declared : {0u, 1000u, 3000000u}) {
    cd.unCompSize = declared;
    x = Extract(zip, item, record);
    EXPECT_FALSE(x.ok) << declared;
    EXPECT_LE(x.bytes.size(), declared);
  }
  // Stored data must be as long as the file.
  TEntry e = Compress(zip, "0123456789", 0, 0);
  e.item.CentralDir.unCompSize = 11;
  EXPECT_FALSE(Extract(zip, e.item, LocalRecord(e.item, e.data)).ok);
}

TEST_F(ZAArchiver_codec, DamagedDataFailWithoutACrash) {
  const std::string plain = TextBytes(100000);
  const struct {
    Word method;
    TZACryptoAlgorithm algorithm;
    AnsiString password;
  } kinds[] = {{8, caPkzipClassic, ""}, {0, caPkzipClassic, ""}, {8, caPkzipClassic, "pw"}, {8, caAES_128, "pw"}};
  for (const auto& k : kinds) {
    SCOPED_TRACE(testing::Message() << k.method << " " << int(k.algorithm) << " " << k.password);
    TEntry e = Compress(zip, plain, k.method, 6, k.password, k.algorithm);
    zip.SetPassword(k.password);
    const std::string record = LocalRecord(e.item, e.data);
    ASSERT_TRUE(Extract(zip, e.item, record).ok);
    // Cut at many lengths, the header included.
    for (size_t cut :
         {size_t(0), size_t(10), size_t(29), size_t(41), size_t(50), record.size() / 2, record.size() - 1}) {
      EXPECT_FALSE(Extract(zip, e.item, record.substr(0, cut)).ok) << cut;
    }
    // Flipped bytes after the header.
    for (size_t at : {size_t(42 + 12), record.size() / 3, record.size() - 5}) {
      std::string bad = record;
      bad[at] = static_cast<char>(bad[at] ^ 0x5A);
      EXPECT_FALSE(Extract(zip, e.item, bad).ok) << at;
    }
  }
  // A local header that is not one, a CRC that does not match.
  TEntry e = Compress(zip, plain, 8, 6);
  std::string record = LocalRecord(e.item, e.data);
  record[0] = 'Q';
  EXPECT_FALSE(Extract(zip, e.item, record).ok);
  TDirItem wrongCrc = e.item;
  wrongCrc.CentralDir.crc32 ^= 1;
  EXPECT_FALSE(Extract(zip, wrongCrc, LocalRecord(e.item, e.data)).ok);
  // An encrypted entry shorter than its encryption header.
  TEntry tiny = Compress(zip, "x", 0, 0, "pw");
  tiny.item.CentralDir.compSize = 5;
  zip.SetPassword("pw");
  EXPECT_FALSE(Extract(zip, tiny.item, LocalRecord(tiny.item, tiny.data)).ok);
}

TEST_F(ZAArchiver_codec, TheSecondFormWritesNothing) {
  TZABaseArchiver base;
  EXPECT_EQ(EngineErrorOf([&] {
              TDirItem item;
              TBytesStream source(B("abc"));
              TMemoryStream dest;
              base.InternalCompressFile(&source, &dest, item, 3);
            }),
            34);
}

// Extracts every entry of an archive made by another tool and compares it
// with the file it was made from.
void ExpectEntriesOf(const std::string& archive, const AnsiString& password, const std::string& plain) {
  TZipArchiver zip;
  zip.FFileName = Utf8ToString(archive);
  zip.SetActive(true);
  zip.SetPassword(password);
  ASSERT_GE(zip.DMHandle->CDir->Count(), 1);
  for (Int32 i = 0; i < zip.DMHandle->CDir->Count(); ++i) {
    TDirItem& item = zip.DMHandle->CDir->FItems[static_cast<size_t>(i)];
    EXPECT_NE(item.CentralDir.genPurposeFlag & ZAFlagEncrypted, 0) << "made encrypted";
    zip.FCompressedStream->Seek(item.CentralDir.relOffsetLH, soBeginning);
    TMemoryStream out;
    EXPECT_TRUE(zip.InternalDecompressFile(zip.FCompressedStream, &out, item, 0, 0)) << StringToUtf8(item.Name);
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(out.Bytes()), static_cast<size_t>(out.Size())) == plain);
  }
}

TEST_F(ZAArchiver_codec, EntriesOfOtherToolsDecode) {
  const std::string plain = TextBytes(150000, 4);
  WriteRaw("text.txt", plain);
  const std::string in = "cd " + ShellQuote(fDir) + " && ";
  struct TPeer {
    const char* program;
    std::string command;
    const char* archive;
  };
  const TPeer peers[] = {
      {"/usr/bin/zip", "/usr/bin/zip -q -P secret zip-p.zip text.txt", "zip-p.zip"},
      {"/usr/bin/7zz", "/usr/bin/7zz a -tzip -psecret -mem=AES256 7z-aes.zip text.txt", "7z-aes.zip"},
      {"/usr/bin/7zz", "/usr/bin/7zz a -tzip -psecret -mem=AES128 -mx=0 7z-aes128-stored.zip text.txt",
       "7z-aes128-stored.zip"},
      {"/usr/bin/bsdtar",
       "/usr/bin/bsdtar --format zip --options zip:encryption=aes256 --passphrase secret -cf bsdtar-aes256.zip "
       "text.txt",
       "bsdtar-aes256.zip"},
      {"/usr/bin/bsdtar",
       "/usr/bin/bsdtar --format zip --options zip:encryption=aes128 --passphrase secret -cf bsdtar-aes128.zip "
       "text.txt",
       "bsdtar-aes128.zip"},
  };
  for (const TPeer& p : peers) {
    SCOPED_TRACE(p.archive);
    if (!HasProgram(p.program)) continue;
    ASSERT_EQ(RunCommand(in + p.command), 0);
    ExpectEntriesOf(Path(p.archive), "secret", plain);
  }
}

}  // namespace
}  // namespace sk
