// Fuzz target: the AES entry blocks read from an archive: the salt and the
// password verifier of the start block, the encrypted data in pieces of any
// size, and the authentication code of the end block. Whatever the bytes, the
// transform answers (a short block raises the stream's read error, and data
// without a code never authenticate); never a crash.
//
// Input: byte 0 chooses the key strength (1 to 3, from its low two bits; 0 is
// taken as 3) and byte 1 the size of the pieces the data are decrypted in;
// then the start block, the data and the ten-byte code. The password is "pw".
// Seeds: entries encrypted by the transform itself.
//
// Build by hand as tests/fuzz/zip_entry_codec.cpp says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/runtime/Streams.h"
#include "zip/ZACryptoTransform.h"
#include "zip/ZAHash.h"
#include "zip/ZAsha1.h"

namespace {
const bool kStarted = [] {
  sk::ZAHash_initialization();
  sk::ZAsha1_initialization();
  return true;
}();
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)kStarted;
  if (size < 2) return 0;
  const int strength = (data[0] & 3) == 0 ? 3 : (data[0] & 3);
  const size_t piece = data[1] == 0 ? 1 : data[1];
  sk::TAESCryptoTransform t(64 + 64 * strength, 2, 8);
  t.Initialize(sk::Decryption, sk::TDirItem());
  t.GenerateKey("pw");
  const size_t start = t.GetFileStorageStartBlockSize();
  const size_t end = t.GetFileStorageEndBlockSize();
  sk::TBytesStream stream(sk::TBytes(data + 2, data + size));
  try {
    t.LoadFileStorageStartBlock(&stream, 0);
  } catch (const sk::EReadError&) {
    if (size - 2 >= start) std::abort();
    return 0;
  }
  const bool fits = t.CheckPassword("pw", sk::TDirItem());
  const size_t rest = size - 2 - start;
  const size_t dataBytes = rest >= end ? rest - end : rest;
  sk::TBytes buffer(data + 2 + start, data + 2 + start + dataBytes);
  for (size_t at = 0; at < dataBytes; at += piece) {
    const size_t n = std::min(piece, dataBytes - at);
    t.DecryptBuffer(buffer.data(), static_cast<sk::Int64>(at), static_cast<sk::Int32>(n), buffer.data(),
                    static_cast<sk::Int64>(at));
  }
  stream.Seek(static_cast<sk::Int64>(start + dataBytes), sk::soBeginning);
  try {
    t.LoadFileStorageEndBlock(&stream, 0);
  } catch (const sk::EReadError&) {
    if (rest >= end) std::abort();
    if (!t.IsDirItemCorrupted(sk::TDirItem(), 0)) std::abort();  // no code, no trust
    return 0;
  }
  const bool corrupted = t.IsDirItemCorrupted(sk::TDirItem(), 0);
  (void)fits;
  (void)corrupted;
  return 0;
}
