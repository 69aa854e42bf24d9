// SHA-1 and PBKDF2 of the zip engine beside libcrypto's own in the same run:
// the layer over libcrypto's block function should add almost nothing.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <string>

#include "zip/ZAHash.h"
#include "zip/ZAPBKDF_2.h"
#include "zip/ZAsha1.h"

namespace {

using namespace sk;

constexpr size_t kHashBytes = size_t{64} << 20;

const TBytes& HashInput() {
  static const TBytes data = [] {
    TBytes d(kHashBytes);
    for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<Byte>(i * 31 + (i >> 9));
    return d;
  }();
  return data;
}

void BM_SHA1UpdateXL_64MiB(benchmark::State& state) {
  const TBytes& data = HashInput();
  for (auto _ : state) {
    THashContext c;
    SHA1Init(c);
    SHA1UpdateXL(c, data.data(), static_cast<Int32>(data.size()));
    TSHA1Digest d;
    SHA1Final(c, d);
    benchmark::DoNotOptimize(d);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kHashBytes));
}
BENCHMARK(BM_SHA1UpdateXL_64MiB)->Unit(benchmark::kMillisecond);

void BM_EVP_SHA1_64MiB(benchmark::State& state) {
  const TBytes& data = HashInput();
  for (auto _ : state) {
    unsigned char d[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(data.data(), data.size(), d, &n, EVP_sha1(), nullptr);
    benchmark::DoNotOptimize(d);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kHashBytes));
}
BENCHMARK(BM_EVP_SHA1_64MiB)->Unit(benchmark::kMillisecond);

const std::string kPassword = "correct horse battery staple";
const Byte kSalt[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe, 1, 2, 3, 4, 5, 6, 7, 8};

// A 256-bit entry key: 66 bytes from 1000 iterations, a new generator each
// time, as every encrypted entry builds its own.
void BM_TPBKDF2_GetKeyBytes_1000_66(benchmark::State& state) {
  ZAHash_initialization();
  ZAsha1_initialization();
  for (auto _ : state) {
    TPBKDF2 gen(kPassword, kSalt, sizeof kSalt, 1000);
    TBytes key;
    gen.GetKeyBytes(66, key);
    benchmark::DoNotOptimize(key.data());
  }
  ZAsha1_Finalization();
  ZAHash_Finalization();
}
BENCHMARK(BM_TPBKDF2_GetKeyBytes_1000_66)->Unit(benchmark::kMicrosecond);

void BM_PKCS5_PBKDF2_HMAC_1000_66(benchmark::State& state) {
  for (auto _ : state) {
    unsigned char key[66];
    PKCS5_PBKDF2_HMAC(kPassword.data(), static_cast<int>(kPassword.size()), kSalt, sizeof kSalt, 1000, EVP_sha1(),
                      sizeof key, key);
    benchmark::DoNotOptimize(key);
  }
}
BENCHMARK(BM_PKCS5_PBKDF2_HMAC_1000_66)->Unit(benchmark::kMicrosecond);

}  // namespace
