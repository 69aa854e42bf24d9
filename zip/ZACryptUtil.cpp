#include "zip/ZACryptUtil.h"

#include <openssl/crypto.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <memory>

#include "core/UnitCounter.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "zip/ZACryptConst.h"

namespace sk {

namespace {

constinit TUnitCounter ZACryptUtil_counter;

constexpr Int32 kStreamBlock = 4096;

// Same file when both names exist and stat to one device and inode.
bool IsSameFile(const String& a, const String& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(StringToSystemName(a).c_str(), &sa) != 0) return false;
  if (::stat(StringToSystemName(b).c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// A scratch buffer that is wiped before it is freed (it may hold plain text).
class TWipedBuffer {
 public:
  explicit TWipedBuffer(Int32 size) : fData(new Byte[static_cast<size_t>(size)]), fSize(size) {}
  ~TWipedBuffer() { OPENSSL_cleanse(fData.get(), static_cast<size_t>(fSize)); }
  TWipedBuffer(const TWipedBuffer&) = delete;
  TWipedBuffer& operator=(const TWipedBuffer&) = delete;
  Byte* data() { return fData.get(); }

 private:
  std::unique_ptr<Byte[]> fData;
  Int32 fSize;
};

}  // namespace

constinit const TProtectionClass kProtectionClass{"TProtection", nullptr};

// ---------------------------------------------------------------------------
// Class references

bool TProtectionClass::InheritsFrom(const TProtectionClass* other) const {
  if (!other) return false;
  for (const TProtectionClass* c = this; c; c = c->fParent)
    if (c == other) return true;
  return false;
}

bool IsObject(const TProtection* p, const TProtectionClass* cls) {
  return p && cls && p->ClassType() && p->ClassType()->InheritsFrom(cls);
}

AnsiString GetShortClassName(const TProtectionClass* cls) {
  if (!cls || !cls->ClassName()) return {};
  AnsiString name = cls->ClassName();
  const auto underscore = name.find('_');
  return underscore == AnsiString::npos ? name : name.substr(underscore + 1);
}

// ---------------------------------------------------------------------------
// TProtection

TProtection::TProtection(TProtection* protection) : TProtection(&kProtectionClass, protection, paAllActions) {}

TProtection::TProtection(const TProtectionClass* cls, TProtection* protection, TPActions actions)
    : fActions(actions), fClass(cls ? cls : &kProtectionClass) {
  SetProtection(protection);
}

TProtection::~TProtection() {
  // Drop the link without the circular test (nothing is being linked).
  if (TProtection* old = std::exchange(fProtection, nullptr)) old->Release();
}

const TProtectionClass& TProtection::ClassRef() { return kProtectionClass; }

TProtectionPtr<TProtection> TProtection::Create(TProtection* protection) {
  return MakeProtection<TProtection>(protection);
}

void TProtection::Release() const {
  if (--fRefCount <= 0) delete this;
}

void TProtection::SetProtection(TProtection* p) {
  if (p == fProtection) return;
  for (const TProtection* q = p; q; q = q->fProtection)
    if (q == this) throw EProtection(LoadResString(&_sProtectionCircular));
  if (p) p->AddRef();
  TProtection* old = std::exchange(fProtection, p);
  if (old) old->Release();
}

void TProtection::CodeInit(TPAction action) {
  if (fProtection) fProtection->CodeInit(action);
}

void TProtection::CodeDone(TPAction action) {
  if (fProtection) fProtection->CodeDone(action);
}

void TProtection::CodeBuf(void* buffer, Int32 size, TPAction action) {
  if (fProtection) fProtection->CodeBuf(buffer, size, action);
}

void TProtection::CodeStream(TStream* source, TStream* dest, Int64 size, TPAction action) {
  if (!source) return;
  if (!dest) dest = source;
  if (size < 0) {
    source->SetPosition(0);
    size = source->Size();
  }
  CodeInit(action);
  DoProgress(this, 0, size);
  TWipedBuffer buffer(kStreamBlock);
  Int64 done = 0;
  if (action == paCalc) {
    while (done < size) {
      const Int64 n = source->Read(buffer.data(), std::min<Int64>(kStreamBlock, size - done));
      // A failed read is an error: a digest of part of the stream would be
      // given as the whole's.
      if (n < std::min<Int64>(kStreamBlock, size - done) && source->LastReadError() != 0)
        throw EReadError(u"Stream read error");
      if (n <= 0) break;
      CodeBuf(buffer.data(), static_cast<Int32>(n), action);
      done += n;
      DoProgress(this, done, size);
    }
  } else {
    // Running positions of their own, so that source and destination may be
    // one stream.
    Int64 readPos = source->Position();
    Int64 writePos = dest->Position();
    while (done < size) {
      source->SetPosition(readPos);
      const Int64 n = source->Read(buffer.data(), std::min<Int64>(kStreamBlock, size - done));
      // A failed read is an error, never the end: coding would stop silently
      // with the rest of the data left as it was.
      if (n < std::min<Int64>(kStreamBlock, size - done) && source->LastReadError() != 0)
        throw EReadError(u"Stream read error");
      if (n <= 0) break;
      readPos += n;
      CodeBuf(buffer.data(), static_cast<Int32>(n), action);
      dest->SetPosition(writePos);
      dest->WriteBuffer(buffer.data(), n);
      writePos += n;
      done += n;
      DoProgress(this, done, size);
    }
  }
  DoProgress(this, 0, 0);
  CodeDone(action);
}

void TProtection::CodeFile(const String& source, const String& dest, TPAction action) {
  const bool inPlace = IsSameFile(source, dest) || (Trim(dest).empty() && action != paCalc);
  if (inPlace) {
    TFileStream s(source, fmOpenReadWrite);
    CodeStream(&s, &s, -1, action);
    return;
  }
  TFileStream s(source, fmOpenRead | fmShareDenyNone);
  if (action == paCalc) {
    CodeStream(&s, &s, -1, action);
    return;
  }
  // The coded file replaces the destination whole, so a failure midway
  // leaves the destination as it was.
  ReplaceFileWith(dest, [&](TStream& d) { CodeStream(&s, &d, -1, action); });
}

AnsiString TProtection::CodeString(const AnsiString& source, TPAction action, Int32 format) {
  if (source.empty()) return {};
  AnsiString data = source;
  if (action == paDecode) data = FormatToStr(source.data(), static_cast<Int32>(source.size()), format);
  TMemoryStream m;
  if (!data.empty()) m.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
  m.SetPosition(0);
  CodeStream(&m, nullptr, m.Size(), action);
  AnsiString result(reinterpret_cast<const char*>(m.Bytes()), static_cast<size_t>(m.Size()));
  OPENSSL_cleanse(data.data(), data.size());
  if (action == paDecode) return result;
  return StrToFormat(result.data(), static_cast<Int32>(result.size()), format);
}

Int32 TProtection::CodeBuffer(void* buffer, Int32 size, TPAction action) {
  CodeInit(action);
  CodeBuf(buffer, size, action);
  CodeDone(action);
  return size;
}

Word TProtection::Identity() const {
  const char* name = fClass->ClassName();
  return static_cast<Word>(~CRC16(IdentityBase, name, static_cast<Int32>(std::strlen(name))));
}

// ---------------------------------------------------------------------------
// Helpers

void XORBuffers(const void* a, const void* b, Int32 size, void* dest) {
  const auto* pa = static_cast<const Byte*>(a);
  const auto* pb = static_cast<const Byte*>(b);
  auto* pd = static_cast<Byte*>(dest);
  for (Int32 i = 0; i < size; ++i) pd[i] = static_cast<Byte>(pa[i] ^ pb[i]);
}

Int32 MemCompare(const void* a, const void* b, Int32 size) {
  const auto* pa = static_cast<const Byte*>(a);
  const auto* pb = static_cast<const Byte*>(b);
  for (Int32 i = 0; i < size; ++i)
    if (pa[i] != pb[i]) return static_cast<Int32>(pa[i]) - static_cast<Int32>(pb[i]);
  return 0;
}

Cardinal SwapBits(Cardinal value) {
  Cardinal r = 0;
  for (int i = 0; i < 32; ++i) {
    r = (r << 1) | (value & 1u);
    value >>= 1;
  }
  return r;
}

Int32 LSBit(Cardinal value) { return value == 0 ? 0 : std::countr_zero(value); }

Int32 MSBit(Cardinal value) { return value == 0 ? 0 : 31 - std::countl_zero(value); }

Int32 OneBit(Cardinal value) { return std::has_single_bit(value) ? std::countr_zero(value) : 0; }

Cardinal SwapIntegerBytes(Cardinal value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

void SwapIntegerBufferStub(const void*, void*, Int32) { throw Exception(u"Not implemented 8"); }

AnsiString InsertCR(const AnsiString& text, Int32 width) {
  if (width <= 0 || text.size() <= static_cast<size_t>(width)) return text;
  const size_t w = static_cast<size_t>(width);
  AnsiString r;
  r.reserve(text.size() + (text.size() / w + 1) * 2);
  for (size_t i = 0; i < text.size(); i += w) {
    r.append(text, i, w);
    if (i + w <= text.size()) r.append("\r\n");
  }
  return r;
}

AnsiString DeleteCR(const AnsiString& text) {
  AnsiString r;
  r.reserve(text.size());
  for (char c : text)
    if (c != '\r' && c != '\n') r.push_back(c);
  return r;
}

AnsiString InsertBlocks(const AnsiString& text, const AnsiString& start, const AnsiString& end, Int32 width) {
  if (width <= 0 || text.size() <= static_cast<size_t>(width)) return text;
  const size_t w = static_cast<size_t>(width);
  AnsiString r;
  for (size_t i = 0; i < text.size(); i += w) {
    r += start;
    r.append(text, i, w);
    r += end;
  }
  return r;
}

AnsiString RemoveBlocks(const AnsiString& text, const AnsiString& start, const AnsiString& end) {
  AnsiString r;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t from = pos;
    if (!start.empty()) {
      const size_t s = text.find(start, pos);
      if (s == AnsiString::npos) break;
      from = s + start.size();
    }
    size_t to = end.empty() ? AnsiString::npos : text.find(end, from);
    if (to == AnsiString::npos) {
      r.append(text, from, AnsiString::npos);
      break;
    }
    r.append(text, from, to - from);
    // Always past the end text, so the search moves on even with empty texts.
    pos = to + end.size();
  }
  return r;
}

Int64 PerfCounter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

Int64 PerfFreq() { return 1000000000; }

void DoProgress(TObject* sender, Int64 current, Int64 maximal) {
  if (Progress) Progress(sender, current, maximal);
}

Int32 CPUType() { return 4; }

void RndXORBuffer(Int32, void*, Int32) { throw Exception(u"Not implemented 11"); }

Int32 RndTimeSeed() { throw Exception(u"Not implemented 12"); }

Word CRC16(Word, const void*, Int32) { throw Exception(u"Not implemented 13"); }

const void* GetTestVector() { throw Exception(u"Not implemented 14"); }

// ---------------------------------------------------------------------------
// Unit start and stop

void ZACryptUtil_initialization() {
  if (!ZACryptUtil_counter.Initialization()) return;
  // Processor type 4: the byte-swap routine and the buffer stub.
  SwapInteger = &SwapIntegerBytes;
  SwapIntegerBuffer = &SwapIntegerBufferStub;
  const TStringFormatClass formats[] = {
      &TStringFormat::ClassRef(),        &TStringFormat_HEX::ClassRef(), &TStringFormat_HEXL::ClassRef(),
      &TStringFormat_MIME64::ClassRef(), &TStringFormat_UU::ClassRef(),  &TStringFormat_XX::ClassRef(),
  };
  RegisterStringFormats(formats, static_cast<Int32>(std::size(formats)));
}

void ZACryptUtil_Finalization() {
  if (!ZACryptUtil_counter.Finalization()) return;
  FreeStringFormats();
}

}  // namespace sk
