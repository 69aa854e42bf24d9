// The zlib binding: result checks, whole-buffer compression and decompression,
// corrupt input, and streams exchanged with other zlib and zip writers.
#include <gtest/gtest.h>
#include <malloc.h>
#include <zlib.h>

#include <cstring>
#include <string>

#include "TestSupport.h"
#include "zip/ZAZLib.h"

namespace sk {
namespace {

const std::string kData = std::string(SK_SOURCE_DIR) + "/tests/zip/data/zlib/";

TBytes FixtureBytes(const std::string& name) {
  const std::string s = ReadFileBytes(kData + name);
  return TBytes(s.begin(), s.end());
}

// Bytes that do not compress, the same on every run.
TBytes NoiseBytes(size_t n) {
  TBytes r(n);
  UInt64 x = 0x9E3779B97F4A7C15ULL;
  for (auto& b : r) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    b = static_cast<Byte>(x >> 32);
  }
  return r;
}

TBytes Compress(const TBytes& in, Byte level) {
  TBytes out;
  Int32 outBytes = -1;
  ZLIBCompressBuf(in.data(), static_cast<Int32>(in.size()), out, outBytes, level);
  EXPECT_EQ(outBytes, static_cast<Int32>(out.size()));
  return out;
}

// Inflates raw deflate data (no zlib header or trailer) with zlib directly.
bool InflateRaw(const Byte* in, size_t n, TBytes& out, size_t expected) {
  z_stream zs{};
  if (inflateInit2(&zs, -15) != Z_OK) return false;
  out.assign(expected + 1, 0);
  zs.next_in = const_cast<Byte*>(in);
  zs.avail_in = static_cast<uInt>(n);
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  return rc == Z_STREAM_END;
}

TEST(ZAZLibChecks, NonNegativeCodesPassNegativeOnesRaise) {
  EXPECT_EQ(CCheck(0), 0);
  EXPECT_EQ(CCheck(1), 1);  // stream end is not an error
  EXPECT_EQ(CCheck(2), 2);
  EXPECT_EQ(DCheck(0), 0);
  EXPECT_EQ(DCheck(1), 1);
  try {
    CCheck(-3);
    FAIL() << "no exception";
  } catch (const ECompressionError& e) {
    EXPECT_EQ(e.Message(), u"error -3");
  }
  try {
    DCheck(-3);
    FAIL() << "no exception";
  } catch (const EDecompressionError& e) {
    EXPECT_EQ(e.Message(), u"error");
  }
  EXPECT_THROW(CCheck(-2), EZLibError);
  EXPECT_THROW(DCheck(-5), EZLibError);
}

TEST(ZAZLibAlloc, ZeroFilledAndRefusesAnOverflowingProduct) {
  auto* p = static_cast<Byte*>(zcAlloc(nullptr, 7, 9));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 63; ++i) EXPECT_EQ(p[i], 0) << i;
  zcFree(nullptr, p);
#if !defined(SK_UNDER_ASAN)
  // 0x10001 * 0x10000 is past 32 bits: a short block would be a heap overrun
  // waiting to happen; a whole block or none is fine. (Left out under the
  // address sanitizer, which would poison half a gigabyte of shadow for it.)
  void* big = zcAlloc(nullptr, 0x10001, 0x10000);
  if (big != nullptr) {
    EXPECT_GE(malloc_usable_size(big), size_t{0x10001} * 0x10000);
  }
  zcFree(nullptr, big);
#endif
}

TEST(ZAZLibCompress, EmptyInputGivesTheStandardEmptyStreams) {
  const struct {
    Byte level;
    TBytes expected;
  } cases[] = {
      {0, B({0x78, 0x01, 0x01, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x01})},
      {1, B({0x78, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01})},
      {6, B({0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01})},
      {9, B({0x78, 0xda, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01})},
  };
  for (const auto& c : cases) {
    TBytes out;
    Int32 outBytes = -1;
    ZLIBCompressBuf(nullptr, 0, out, outBytes, c.level);
    EXPECT_EQ(out, c.expected) << int(c.level);
    EXPECT_EQ(outBytes, static_cast<Int32>(c.expected.size()));
  }
}

TEST(ZAZLibCompress, TextAndNoiseRoundTripAtEveryLevel) {
  const TBytes inputs[] = {FixtureBytes("sample.txt"), NoiseBytes(20000), TBytes(1, 'x'), TBytes(100000, 0)};
  for (const TBytes& in : inputs) {
    ASSERT_FALSE(in.empty());
    for (Byte level = 0; level <= 9; ++level) {
      const TBytes z = Compress(in, level);
      TBytes back;
      Int32 backBytes = -1;
      ASSERT_TRUE(ZLIBDecompressBuf(z.data(), static_cast<Int32>(z.size()), 0, back, backBytes))
          << in.size() << " at level " << int(level);
      EXPECT_EQ(back, in);
      EXPECT_EQ(backBytes, static_cast<Int32>(in.size()));
    }
  }
}

TEST(ZAZLibCompress, BadLevelOrInputRaisesAndLeavesNothing) {
  const TBytes in(1000, 'a');
  TBytes out = B({1, 2, 3});
  Int32 outBytes = 3;
  try {
    ZLIBCompressBuf(in.data(), 1000, out, outBytes, 10);
    FAIL() << "no exception";
  } catch (const ECompressionError& e) {
    EXPECT_EQ(e.Message(), u"error -2");  // the first failure, zlib's refusal of the level
  }
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(outBytes, 0);
  EXPECT_THROW(ZLIBCompressBuf(in.data(), -1, out, outBytes, 6), ECompressionError);
  EXPECT_THROW(ZLIBCompressBuf(nullptr, 5, out, outBytes, 6), ECompressionError);
}

TEST(ZAZLibDecompress, EstimatesAreOnlyAFirstSize) {
  const TBytes in = FixtureBytes("sample.txt");
  const TBytes z = Compress(in, 6);
  const Int32 exact = static_cast<Int32>(in.size());
  for (Int32 estimate : {0, exact, 1, exact - 1, exact + 1, 10 * exact, -7, 0x7FFFFFFF}) {
    TBytes back;
    Int32 backBytes = -1;
    ASSERT_TRUE(ZLIBDecompressBuf(z.data(), static_cast<Int32>(z.size()), estimate, back, backBytes)) << estimate;
    EXPECT_EQ(back, in) << estimate;
    EXPECT_EQ(backBytes, exact);
  }
}

TEST(ZAZLibDecompress, HighlyCompressedStreamsGrowTheirBlock) {
  // Megabytes from a kilobyte: far past the first size of the input rounded up.
  TBytes in(3 << 20, 0);
  for (size_t i = 0; i < in.size(); i += 4096) in[i] = static_cast<Byte>(i >> 12);
  const TBytes z = Compress(in, 9);
  ASSERT_LT(z.size(), in.size() / 200);
  TBytes back;
  Int32 backBytes = 0;
  ASSERT_TRUE(ZLIBDecompressBuf(z.data(), static_cast<Int32>(z.size()), 0, back, backBytes));
  EXPECT_EQ(back, in);
}

TEST(ZAZLibDecompress, CorruptInputGivesFalseAndEmpty) {
  const TBytes text = FixtureBytes("sample.txt");
  const TBytes z = Compress(text, 6);
  const auto expectFalse = [](const TBytes& bad, const char* what) {
    TBytes out = B({9});
    Int32 outBytes = 9;
    EXPECT_FALSE(ZLIBDecompressBuf(bad.data(), static_cast<Int32>(bad.size()), 0, out, outBytes)) << what;
    EXPECT_TRUE(out.empty()) << what;
    EXPECT_EQ(outBytes, 0) << what;
  };
  for (size_t n = 0; n < z.size(); ++n) {
    const TBytes cut(z.begin(), z.begin() + static_cast<ptrdiff_t>(n));
    expectFalse(cut, ("truncated to " + std::to_string(n)).c_str());
  }
  TBytes badHeader = z;
  badHeader[1] ^= 0x01;  // header check fails
  expectFalse(badHeader, "header");
  TBytes badMethod = z;
  badMethod[0] = 0x77;  // not deflate
  expectFalse(badMethod, "method");
  TBytes badTrailer = z;
  badTrailer.back() ^= 0xFF;
  expectFalse(badTrailer, "Adler-32");
  TBytes badBlock = z;
  badBlock[2] |= 0x06;  // block type 3 does not exist
  expectFalse(badBlock, "block type");
  expectFalse(text, "plain text");
  expectFalse(NoiseBytes(5000), "noise");

  TBytes out;
  Int32 outBytes = 0;
  EXPECT_FALSE(ZLIBDecompressBuf(nullptr, 10, 0, out, outBytes));
  EXPECT_FALSE(ZLIBDecompressBuf(z.data(), -1, 0, out, outBytes));
  EXPECT_FALSE(ZLIBDecompressBuf(z.data(), 0, 0, out, outBytes));
}

TEST(ZAZLibDecompress, StreamThatNeedsADictionaryIsRefused) {
  // A stream made with a preset dictionary cannot be read without one; it
  // must not make the output block grow while zlib keeps asking.
  const char dict[] = "corpus concordance collocate";
  const char text[] = "concordance of a corpus";
  z_stream zs{};
  ASSERT_EQ(deflateInit(&zs, 6), Z_OK);
  ASSERT_EQ(deflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(dict), sizeof dict - 1), Z_OK);
  Byte buf[256];
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text));
  zs.avail_in = sizeof text - 1;
  zs.next_out = buf;
  zs.avail_out = sizeof buf;
  ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  const Int32 n = static_cast<Int32>(zs.total_out);
  deflateEnd(&zs);
  TBytes out;
  Int32 outBytes = -1;
  EXPECT_FALSE(ZLIBDecompressBuf(buf, n, 0, out, outBytes));
  EXPECT_TRUE(out.empty());
}

TEST(ZAZLibInterop, ReadsStreamsOfAnotherWriterAtEveryLevel) {
  const TBytes text = FixtureBytes("sample.txt");
  ASSERT_EQ(text.size(), 1636u);
  for (int level = 0; level <= 9; ++level) {
    const TBytes z = FixtureBytes("sample.level" + std::to_string(level) + ".zlib");
    ASSERT_FALSE(z.empty()) << level;
    TBytes back;
    Int32 backBytes = 0;
    ASSERT_TRUE(ZLIBDecompressBuf(z.data(), static_cast<Int32>(z.size()), 0, back, backBytes)) << level;
    EXPECT_EQ(back, text) << level;
  }
}

Cardinal LittleEndian(const TBytes& b, size_t at, int n) {
  Cardinal v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<size_t>(i)];
  return v;
}

TEST(ZAZLibInterop, ReadsAZipMembersDeflateDataWrappedInAZlibFrame) {
  const TBytes zip = FixtureBytes("sample.zip");
  const TBytes text = FixtureBytes("sample.txt");
  ASSERT_GE(zip.size(), 30u);
  ASSERT_EQ(LittleEndian(zip, 0, 4), 0x04034B50u);  // local header
  ASSERT_EQ(LittleEndian(zip, 8, 2), 8u);           // deflated
  const Cardinal crc = LittleEndian(zip, 14, 4);
  const size_t packed = LittleEndian(zip, 18, 4);
  const size_t start = 30 + LittleEndian(zip, 26, 2) + LittleEndian(zip, 28, 2);
  ASSERT_LE(start + packed, zip.size());

  // The entry codec's framing: header bytes 78 01 in front, Adler-32 of the
  // plain data behind, big-endian.
  TBytes framed = B({0x78, 0x01});
  framed.insert(framed.end(), zip.begin() + static_cast<ptrdiff_t>(start),
                zip.begin() + static_cast<ptrdiff_t>(start + packed));
  const uLong adler = adler32(adler32(0, nullptr, 0), text.data(), static_cast<uInt>(text.size()));
  for (int shift = 24; shift >= 0; shift -= 8) framed.push_back(static_cast<Byte>(adler >> shift));

  TBytes back;
  Int32 backBytes = 0;
  ASSERT_TRUE(ZLIBDecompressBuf(framed.data(), static_cast<Int32>(framed.size()), 0, back, backBytes));
  EXPECT_EQ(back, text);
  EXPECT_EQ(crc32(crc32(0, nullptr, 0), back.data(), static_cast<uInt>(back.size())), crc);
}

TEST(ZAZLibInterop, OutputWithoutItsFrameIsRawDeflate) {
  const TBytes inputs[] = {FixtureBytes("sample.txt"), NoiseBytes(3000), TBytes()};
  for (const TBytes& in : inputs) {
    for (Byte level = 0; level <= 9; ++level) {
      const TBytes z = Compress(in, level);
      ASSERT_GE(z.size(), 6u);
      TBytes raw;
      ASSERT_TRUE(InflateRaw(z.data() + 2, z.size() - 6, raw, in.size())) << in.size() << " " << int(level);
      EXPECT_EQ(raw, in);
    }
  }
}

}  // namespace
}  // namespace sk
