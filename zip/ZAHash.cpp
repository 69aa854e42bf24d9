#include "zip/ZAHash.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/UnitCounter.h"

namespace sk {

namespace {

constinit TUnitCounter ZAHash_counter;
constinit PHashDesc gHashRegistry[kHashAlgorithmCount] = {};

constexpr Word kErrNoDescriptor = 204;
constexpr Int64 kOwnBufferSize = 64 * 1024;
// read(2) returns at most this much per call; whole blocks are asked for in
// steps no larger, so that a block's length fits HUpdateXL's Int32.
constexpr Int64 kMaxReadBlock = 1 << 30;

bool ValidSig(PHashDesc phash) { return phash != nullptr && phash->HSig == C_HashSig; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

AnsiString UpperAscii(AnsiString s) {
  for (char& c : s) c = UpperAscii(c);
  return s;
}

// The I/O result code of a failed open or read.
Word IOResultOf(int err, bool reading) {
  switch (err) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EISDIR: return 5;
    default: return reading ? 100 : 5;
  }
}

// Reads until the block is full or the file ends; the count read, or -1 with
// errno set.
Int64 ReadBlock(int fd, Byte* buf, Int64 size) {
  Int64 done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buf + done, static_cast<size_t>(size - done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace

THashName MakeHashName(const AnsiString& s) {
  THashName name{};
  name.Length = static_cast<Byte>(std::min<size_t>(s.size(), sizeof name.Chars));
  std::memcpy(name.Chars, s.data(), name.Length);
  return name;
}

AnsiString HashNameToString(const THashName& name) {
  return AnsiString(name.Chars, std::min<size_t>(name.Length, sizeof name.Chars));
}

void RegisterHash(THashAlgorithm AlgId, PHashDesc phash) {
  if (phash == nullptr || static_cast<Int32>(AlgId) >= kHashAlgorithmCount) return;
  if (phash->HAlgNum != static_cast<Int32>(AlgId) || phash->HSig != C_HashSig ||
      phash->HDVersion != C_HashVers || phash->HDSize != sizeof(THashDesc))
    return;
  gHashRegistry[AlgId] = phash;
}

PHashDesc FindHash_by_ID(THashAlgorithm AlgoID) {
  const Int32 slot = static_cast<Int32>(AlgoID);
  if (slot >= kHashAlgorithmCount) return nullptr;
  const PHashDesc phash = gHashRegistry[slot];
  if (!ValidSig(phash) || phash->HAlgNum != slot) return nullptr;
  return phash;
}

PHashDesc FindHash_by_Name(const AnsiString& Name) {
  const AnsiString wanted = UpperAscii(Name.substr(0, sizeof(THashName::Chars)));
  for (Int32 slot = 0; slot < kHashAlgorithmCount; ++slot) {
    const PHashDesc phash = gHashRegistry[slot];
    if (ValidSig(phash) && phash->HAlgNum == slot && UpperAscii(HashNameToString(phash->HName)) == wanted)
      return phash;
  }
  return nullptr;
}

void HashUpdate(PHashDesc phash, THashContext& Context, const void* Msg, Word Len) {
  if (ValidSig(phash)) phash->HUpdateXL(Context, Msg, Len);
}

void HashFullXL(PHashDesc phash, THashDigest& Digest, const void* Msg, Int32 Len) {
  if (!ValidSig(phash)) return;
  THashContext context;
  phash->HInit(context);
  phash->HUpdateXL(context, Msg, Len);
  phash->HFinal(context, Digest);
}

void HashFull(PHashDesc phash, THashDigest& Digest, const void* Msg, Word Len) {
  HashFullXL(phash, Digest, Msg, Len);
}

void HashFile(const String& fname, PHashDesc phash, THashDigest& Digest, void* Buf, Int64 bsize, Word& Err) {
  if (!ValidSig(phash)) {
    Err = kErrNoDescriptor;
    return;
  }
  // A missing or empty buffer would read nothing for ever.
  std::vector<Byte> own;
  if (Buf == nullptr || bsize <= 0) {
    own.resize(kOwnBufferSize);
    Buf = own.data();
    bsize = kOwnBufferSize;
  }
  bsize = std::min(bsize, kMaxReadBlock);

  int fd;
  do {
    fd = ::open(StringToSystemName(fname).c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    Err = IOResultOf(errno, false);
    return;
  }
  Err = 0;
  THashContext context;
  phash->HInit(context);
  for (;;) {
    const Int64 got = ReadBlock(fd, static_cast<Byte*>(Buf), bsize);
    if (got < 0) {
      Err = IOResultOf(errno, true);
      break;
    }
    phash->HUpdateXL(context, Buf, static_cast<Int32>(got));
    if (got < bsize) break;
  }
  ::close(fd);
  phash->HFinal(context, Digest);
}

void ZAHash_initialization() {
  if (!ZAHash_counter.Initialization()) return;
  std::fill(std::begin(gHashRegistry), std::end(gHashRegistry), nullptr);
}

void ZAHash_Finalization() {
  // The registry holds pointers to static descriptors: nothing to free.
  ZAHash_counter.Finalization();
}

}  // namespace sk
