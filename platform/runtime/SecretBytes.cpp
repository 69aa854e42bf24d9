#include "platform/runtime/SecretBytes.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

namespace sk {

void FillSecretBytes(void* buffer, std::size_t count) {
  auto* p = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    // The kernel returns at most 32 MiB per call and may return fewer bytes
    // than asked when a signal arrives.
    const ssize_t got = ::getrandom(p, count, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Exception(u"Secret random bytes unavailable: " + Utf8ToString(std::strerror(errno)));
    }
    p += got;
    count -= static_cast<std::size_t>(got);
  }
}

TBytes SecretBytes(std::size_t count) {
  TBytes bytes(count);
  if (count > 0) FillSecretBytes(bytes.data(), count);
  return bytes;
}

}  // namespace sk
