// Fuzz target: the traditional encryption header of an entry and the data
// after it. The check byte decides whether the password fits; the data are
// then decrypted in place. Never a crash, whatever the bytes.
//
// Input: the general-purpose flags (2 bytes), the time (2) and the CRC-32 (4)
// of the local header, then the 12-byte header and the data. The password is
// "pw". Seeds: entries written by the entry codec with a password.
//
// Build by hand as tests/fuzz/zip_entry_codec.cpp says.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const sk::Word flags = static_cast<sk::Word>(data[0] | (data[1] << 8));
  const sk::Word time = static_cast<sk::Word>(data[2] | (data[3] << 8));
  const sk::Cardinal crc = data[4] | (data[5] << 8) | (data[6] << 16) | (sk::Cardinal(data[7]) << 24);
  sk::TBytesStream stream(sk::TBytes(data + 8, data + size));
  sk::TZipKey keys{};
  if (sk::TZABaseArchiver::ZipInitPassword(&stream, "pw", flags, time, crc, keys)) {
    sk::TBytes rest(static_cast<size_t>(stream.Remaining()));
    stream.ReadBuffer(rest.data(), static_cast<sk::Int64>(rest.size()));
    sk::ZipDecryptBuffer(rest.data(), static_cast<sk::Int64>(rest.size()), keys);
  }
  return 0;
}
