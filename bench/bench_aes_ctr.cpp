// AES-256 in counter mode over 64 MiB: the cipher class (as the AES entry
// encryption of zip archives uses it) beside OpenSSL's own aes-256-ctr, in one
// run, in place and from one buffer into another. Throughput is per byte
// encrypted; the ratio of the two is the cost of the class layer. Further runs
// feed the class in 16 KiB pieces, the way the zip engine hands it compressed
// data.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <vector>

#include "zip/ZACipher.h"

namespace {

constexpr size_t kBytes = size_t(64) << 20;

std::vector<sk::Byte>& Buffer() {
  static std::vector<sk::Byte> buffer = [] {
    std::vector<sk::Byte> b(kBytes);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<sk::Byte>(i * 131 + 7);
    return b;
  }();
  return buffer;
}

// The destination of the runs out of place (written once before timing, so
// that no page is first touched inside a measurement).
std::vector<sk::Byte>& Destination() {
  static std::vector<sk::Byte> buffer(kBytes, 0);
  return buffer;
}

sk::TBytes Key() {
  sk::TBytes key(32);
  for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<sk::Byte>(i * 7 + 1);
  return key;
}

void BM_ClassEncodeBuffer(benchmark::State& state) {
  auto& data = Buffer();
  sk::TBytes key = Key();
  auto cipher = sk::TCipher_Rijndael::Create(key, 32);
  cipher->SetMode(sk::cmCTR);
  const size_t piece = state.range(0) == 0 ? kBytes : static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    for (size_t i = 0; i < kBytes; i += piece)
      cipher->EncodeBuffer(data.data() + i, data.data() + i, static_cast<sk::Int32>(piece));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}
BENCHMARK(BM_ClassEncodeBuffer)->Arg(0)->Arg(16384)->Unit(benchmark::kMillisecond);

void BM_ClassEncodeBufferOutOfPlace(benchmark::State& state) {
  auto& data = Buffer();
  auto& dest = Destination();
  sk::TBytes key = Key();
  auto cipher = sk::TCipher_Rijndael::Create(key, 32);
  cipher->SetMode(sk::cmCTR);
  const size_t piece = state.range(0) == 0 ? kBytes : static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    for (size_t i = 0; i < kBytes; i += piece)
      cipher->EncodeBuffer(data.data() + i, dest.data() + i, static_cast<sk::Int32>(piece));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}
BENCHMARK(BM_ClassEncodeBufferOutOfPlace)->Arg(0)->Arg(16384)->Unit(benchmark::kMillisecond);

// OpenSSL's EVP over the buffer, into out (the buffer itself: in place).
void OpenSSLAes256Ctr(benchmark::State& state, unsigned char* out) {
  auto& data = Buffer();
  const sk::TBytes key = Key();
  unsigned char iv[16] = {1};
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CIPHER* ctr = EVP_CIPHER_fetch(nullptr, "AES-256-CTR", nullptr);
  EVP_EncryptInit_ex2(ctx, ctr, key.data(), iv, nullptr);
  for (auto _ : state) {
    int written = 0;
    EVP_EncryptUpdate(ctx, out, &written, data.data(), static_cast<int>(kBytes));
    benchmark::DoNotOptimize(written);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
  EVP_CIPHER_free(ctr);
  EVP_CIPHER_CTX_free(ctx);
}

void BM_OpenSSLAes256Ctr(benchmark::State& state) { OpenSSLAes256Ctr(state, Buffer().data()); }
BENCHMARK(BM_OpenSSLAes256Ctr)->Unit(benchmark::kMillisecond);

void BM_OpenSSLAes256CtrOutOfPlace(benchmark::State& state) { OpenSSLAes256Ctr(state, Destination().data()); }
BENCHMARK(BM_OpenSSLAes256CtrOutOfPlace)->Unit(benchmark::kMillisecond);

}  // namespace
