// Helpers of the tests of reading members within bounds: an archive whose one
// deflated member is far larger than the archive (made in no time), and the
// peak memory that a piece of work takes, measured in a child process.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <string>

#include "ZipTestSupport.h"

namespace sk {

// An archive of one deflated member `name`: `prefix`, then `megabytes` MiB
// of zeros. The prefix and one mebibyte of zeros are each deflated with a
// full flush (which leaves the compressor as it started), the mebibyte's
// block is repeated and the final empty block ends the data: a gibibyte
// costs about a megabyte.
inline std::string ZerosArchive(const std::string& name, Int64 megabytes, const std::string& prefix = {}) {
  const std::string zeros(1 << 20, '\0');
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  auto deflated = [&zs](const std::string& in, int flush) {
    std::string out(in.size() + 4096, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, flush);
    out.resize(out.size() - zs.avail_out);
    return out;
  };
  std::string data = deflated(prefix, Z_FULL_FLUSH);
  const std::string block = deflated(zeros, Z_FULL_FLUSH), tail = deflated({}, Z_FINISH);
  deflateEnd(&zs);
  const uLong one = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), 1 << 20);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(prefix.data()), static_cast<uInt>(prefix.size()));
  for (Int64 i = 0; i < megabytes; ++i, crc = crc32_combine(crc, one, 1 << 20)) data += block;
  TZAZipCentralDir cd = DefaultCentral();
  cd.compMethod = 8;
  cd.crc32 = static_cast<Cardinal>(crc);
  cd.compSize = static_cast<Cardinal>(data.size() + tail.size());
  cd.unCompSize = static_cast<Cardinal>(prefix.size() + (static_cast<UInt64>(megabytes) << 20));
  TRawEntry e(cd, name, {}, {}, data + tail);
  e.keepSizes = true;
  return WriteRawArchive({e});
}

// What work run in a forked child came to: its peak resident memory above
// what the child held when the work started (-1 where the system keeps no
// resettable record of the peak), and the text of the exception that ended
// it (empty when none did).
struct TPeakOutcome {
  Int64 peakBytes = -1;
  std::string error;
};

// A bound on peak memory as it stands in a build with the address sanitizer,
// whose allocations carry shadow memory and red zones.
inline Int64 PeakBound(Int64 bytes) {
#if defined(__SANITIZE_ADDRESS__)
  return bytes + bytes / 4 + (Int64{16} << 20);
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return bytes + bytes / 4 + (Int64{16} << 20);
#endif
#endif
  return bytes;
}

inline TPeakOutcome PeakMemoryOf(const std::function<void()>& work) {
  auto kib = [](const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind(field, 0) == 0) return std::stoll(line.substr(field.size()));
    return -1LL;
  };
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t child = InChild([&] {
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the record of the peak
    const long long before = kib("VmRSS:"), reset = kib("VmHWM:");
    std::string error;
    try {
      work();
    } catch (const std::exception& e) {
      error = e.what();
    }
    const long long peak = reset > before + 1024 ? -1 : (kib("VmHWM:") - before) * 1024;
    const std::string report = std::to_string(peak) + "\n" + error;
    return ::write(fds[1], report.data(), report.size()) < 0;
  });
  ::close(fds[1]);
  std::string report;
  char buf[4096];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  EndOf(child);
  const size_t nl = report.find('\n');
  if (nl == std::string::npos) return {};
  return {std::stoll(report.substr(0, nl)), report.substr(nl + 1)};
}

}  // namespace sk
