// AES entry encryption over 64 MiB: TAESCryptoTransform.EncryptBuffer (AES-256
// in counter mode with its HMAC-SHA-1 over the encrypted bytes) beside OpenSSL's
// AES-256-CTR followed by HMAC-SHA-1 over the same bytes, in one run, in place
// and from one buffer into another. Both are fed 1 MiB pieces, as the entry
// codec hands over compressed data; the ratio of the two throughputs is the
// cost of the engine's layers.
#include <benchmark/benchmark.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>

#include <vector>

#include "zip/ZACryptoTransform.h"
#include "zip/ZAHash.h"
#include "zip/ZAsha1.h"

namespace {

constexpr size_t kBytes = size_t(64) << 20;
constexpr size_t kPiece = size_t(1) << 20;

std::vector<sk::Byte>& Buffer() {
  static std::vector<sk::Byte> buffer = [] {
    std::vector<sk::Byte> b(kBytes);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<sk::Byte>(i * 131 + 7);
    return b;
  }();
  return buffer;
}

// The destination of the runs out of place, touched before timing.
std::vector<sk::Byte>& Destination() {
  static std::vector<sk::Byte> buffer(kBytes, 0);
  return buffer;
}

// Argument 1: out of place.
void BM_TransformEncryptBuffer(benchmark::State& state) {
  sk::ZAHash_initialization();
  sk::ZAsha1_initialization();
  auto& data = Buffer();
  sk::Byte* out = state.range(0) != 0 ? Destination().data() : data.data();
  for (auto _ : state) {
    state.PauseTiming();
    // One transform per entry; its key derivation is not what is measured.
    sk::TAESCryptoTransform t(256, 2, 8);
    t.Initialize(sk::Encryption, sk::TDirItem());
    t.GenerateKey("benchmark password");
    state.ResumeTiming();
    for (size_t i = 0; i < kBytes; i += kPiece)
      t.EncryptBuffer(data.data(), static_cast<sk::Int64>(i), static_cast<sk::Int32>(kPiece), out,
                      static_cast<sk::Int64>(i));
    const sk::TBytes mac = t.GetFileStorageEndBlock();
    benchmark::DoNotOptimize(mac.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}
BENCHMARK(BM_TransformEncryptBuffer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Argument 1: out of place.
void BM_OpenSSLAes256CtrHmacSha1(benchmark::State& state) {
  auto& data = Buffer();
  sk::Byte* out = state.range(0) != 0 ? Destination().data() : data.data();
  unsigned char key[32], macKey[32], iv[16] = {1};
  for (int i = 0; i < 32; ++i) {
    key[i] = static_cast<unsigned char>(i * 7 + 1);
    macKey[i] = static_cast<unsigned char>(i * 5 + 3);
  }
  EVP_CIPHER* ctr = EVP_CIPHER_fetch(nullptr, "AES-256-CTR", nullptr);
  EVP_MAC* hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  char digest[] = "SHA1";
  OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                         OSSL_PARAM_construct_end()};
  for (auto _ : state) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_MAC_CTX* mac = EVP_MAC_CTX_new(hmac);
    EVP_EncryptInit_ex2(ctx, ctr, key, iv, nullptr);
    EVP_MAC_init(mac, macKey, sizeof macKey, params);
    for (size_t i = 0; i < kBytes; i += kPiece) {
      int written = 0;
      EVP_EncryptUpdate(ctx, out + i, &written, data.data() + i, static_cast<int>(kPiece));
      EVP_MAC_update(mac, out + i, kPiece);
    }
    unsigned char out[20];
    size_t outLength = 0;
    EVP_MAC_final(mac, out, &outLength, sizeof out);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
    EVP_MAC_CTX_free(mac);
    EVP_CIPHER_CTX_free(ctx);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
  EVP_MAC_free(hmac);
  EVP_CIPHER_free(ctr);
}
BENCHMARK(BM_OpenSSLAes256CtrHmacSha1)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
