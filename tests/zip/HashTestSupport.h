// Helpers of the hash tests: the registry started as the library starts it,
// bytes from hexadecimal, and a SHA-1 descriptor that counts its calls.
#pragma once

#include <array>
#include <string>

#include "platform/runtime/RtlTypes.h"
#include "zip/ZAHash.h"
#include "zip/ZAsha1.h"

namespace sk {

// The registry cleared and SHA-1 registered (once per process, as the unit
// table does it).
inline void StartHashRegistry() {
  ZAHash_initialization();
  ZAsha1_initialization();
}

inline TBytes Hex(const std::string& hex) {
  TBytes r;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) r.push_back(static_cast<Byte>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return r;
}

inline std::string ToHex(const Byte* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}

template <size_t N>
std::string ToHex(const std::array<Byte, N>& b, size_t n) {
  return ToHex(b.data(), n);
}

// A copy of the SHA-1 descriptor whose entry points count how often they run.
struct CountingSHA1 {
  static inline int inits = 0;
  static inline int finals = 0;
  static inline int updates = 0;
  static void Init(THashContext& c) {
    ++inits;
    SHA1Init(c);
  }
  static void Final(THashContext& c, THashDigest& d) {
    ++finals;
    SHA1FinalEx(c, d);
  }
  static void Update(THashContext& c, const void* m, Int32 n) {
    ++updates;
    SHA1UpdateXL(c, m, n);
  }
  static THashDesc Descriptor() {
    THashDesc d = *SHA1_Descriptor();
    d.HInit = Init;
    d.HFinal = Final;
    d.HUpdateXL = Update;
    return d;
  }
  static void Reset() { inits = finals = updates = 0; }
};

// Registers a descriptor for SHA-1 for one scope and puts the real one back.
class ScopedSHA1Descriptor {
 public:
  explicit ScopedSHA1Descriptor(const THashDesc& d) {
    StartHashRegistry();
    fDesc = d;
    RegisterHash(_SHA1, &fDesc);
  }
  ~ScopedSHA1Descriptor() { RegisterHash(_SHA1, SHA1_Descriptor()); }
  ScopedSHA1Descriptor(const ScopedSHA1Descriptor&) = delete;
  ScopedSHA1Descriptor& operator=(const ScopedSHA1Descriptor&) = delete;
  // The registered record, which a test may spoil after registering it.
  THashDesc& Desc() { return fDesc; }

 private:
  static inline THashDesc fDesc{};
};

// A registry in which no SHA-1 descriptor passes the lookup check.
class ScopedNoSHA1 : public ScopedSHA1Descriptor {
 public:
  ScopedNoSHA1() : ScopedSHA1Descriptor(*SHA1_Descriptor()) { Desc().HSig = 0; }
};

}  // namespace sk
