// Fuzz target: the entry codec's extraction of one entry: the local header,
// the traditional encryption header, the AES start block, verifier and
// authentication code, and stored or inflated data, whole or as a range.
// Every input must end in true or false (or engine error 55), never a crash,
// a hang, or output past the size the entry declares.
//
// Input: 19 bytes of settings, then the bytes the source stream holds (a
// local header, its name and the entry's data):
//   0      bits 0-1 encryption (0 none, 1 traditional, 2 AES), bits 2-3 the
//          AES strength (1 to 3), bit 4 deflate (else stored), bit 5 a range
//   1-4    the declared uncompressed size     5-8   the declared CRC-32
//   9-12   the declared compressed size       13-15 range offset   16-18 count
// The password is "pw". Seeds: entries written by the codec itself
// (InternalCompressFile) with these settings in front.
//
// Build by hand with the zip layer and the layers it uses (the archiver's
// prompts are the visual layer's dialogs), for example:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Dconstinit= -fPIC -I. \
//     $(pkg-config --cflags Qt6Widgets) tests/fuzz/zip_entry_codec.cpp zip/*.cpp platform/runtime/*.cpp \
//     platform/visual/*.cpp core/My_file_extensionsu.cpp ... \
//     $(pkg-config --libs Qt6Widgets) -licuuc -licui18n -lz -lcrypto -lzip -o /tmp/zip_entry_codec
//   /tmp/zip_entry_codec -max_total_time=120 tests/fuzz/corpus/zip_entry_codec
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/runtime/Streams.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAHash.h"
#include "zip/ZAsha1.h"

namespace {

sk::Cardinal LE32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (sk::Cardinal(p[3]) << 24); }
sk::Cardinal LE24(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16); }

const bool kStarted = [] {
  sk::ZAHash_initialization();
  sk::ZAsha1_initialization();
  return true;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)kStarted;
  if (size < 19) return 0;
  const uint8_t flags = data[0];
  const int encryption = flags & 3;
  const int strength = (flags >> 2) & 3;
  const bool deflate = (flags & 0x10) != 0;
  const bool range = (flags & 0x20) != 0;

  sk::TDirItem item;
  sk::TZAZipCentralDir& cd = item.CentralDir;
  cd.versionMadeBy = cd.extractVersion = 20;
  cd.unCompSize = LE32(data + 1);
  cd.crc32 = LE32(data + 5);
  cd.compSize = LE32(data + 9);
  item.CompressionMethod = deflate ? 8 : 0;
  cd.compMethod = item.CompressionMethod;
  if (encryption != 0) cd.genPurposeFlag = sk::ZAFlagEncrypted;
  if (encryption == 2) {
    cd.compMethod = 99;
    item.ZAEncryptionAlgorithm = strength == 1 ? sk::caAES_128 : strength == 2 ? sk::caAES_192 : sk::caAES_256;
  }
  const sk::Int64 offset = range ? LE24(data + 13) : 0;
  const sk::Int32 count = range ? static_cast<sk::Int32>(LE24(data + 16)) : 0;

  sk::TBytesStream source(sk::TBytes(data + 19, data + size));
  sk::TMemoryStream dest;
  sk::TZipArchiver zip;
  zip.SetPassword("pw");
  zip.FSuppressPasswordEvent = true;
  try {
    zip.InternalDecompressFile(&source, &dest, item, count, offset);
  } catch (const sk::EZAException& e) {
    if (e.NativeError != 55) std::abort();
  }
  // Nothing is written past the declared size.
  if (static_cast<sk::UInt64>(dest.Size()) > cd.unCompSize) std::abort();
  return 0;
}
