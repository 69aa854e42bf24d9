// The directory manager's recovery and placement work: the rebuild of the
// directory from the local headers, the forward searches it needs, and the
// detection, correction and placement of a stub.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

namespace sk {

namespace {

constexpr Int64 kLocalSearchBlock = 65535;

void ReadAt(TStream* s, Int64 position, void* buffer, Int64 count) {
  s->Seek(position, soBeginning);
  s->ReadBuffer(buffer, count);
}

// Puts the stream's position back however the scope is left.
class TKeepPosition {
 public:
  explicit TKeepPosition(TStream* s) : fStream(s), fPosition(s->Position()) {}
  // A seek that fails here must not leave the destructor: the stream's own
  // error already reaches the caller through the read that failed.
  ~TKeepPosition() {
    try {
      fStream->Seek(fPosition, soBeginning);
    } catch (...) {
    }
  }
  TKeepPosition(const TKeepPosition&) = delete;
  TKeepPosition& operator=(const TKeepPosition&) = delete;

 private:
  TStream* fStream;
  Int64 fPosition;
};

}  // namespace

// The first place at or after start where the 4-byte signature lies; -1
// when there is none, or when fewer than `following` bytes (the signature
// included) follow it. Blocks of 64 KiB are read once and kept, so a walk
// forward through the stream reads each byte about once.
Int64 TZADirManager::ScanForSignature(Int64 start, Cardinal signature, Int64 following) {
  const Int64 size = FCompressedStream->Size();
  Byte sig[4];
  PutLE32(sig, signature);
  Int64 pos = std::max<Int64>(start, 0);
  while (pos + 4 <= size) {
    const bool cached = fCacheStart >= 0 && pos >= fCacheStart &&
                        pos + 4 <= fCacheStart + static_cast<Int64>(fCache.size());
    if (!cached) {
      const Int64 n = std::min(kLocalSearchBlock, size - pos);
      fCache.resize(static_cast<size_t>(n));
      ReadAt(FCompressedStream, pos, fCache.data(), n);
      fCacheStart = pos;
    }
    const Byte* base = fCache.data();
    const size_t len = fCache.size();
    size_t i = static_cast<size_t>(pos - fCacheStart);
    while (i + 4 <= len) {
      const void* hit = std::memchr(base + i, sig[0], len - 3 - i);
      if (hit == nullptr) break;
      i = static_cast<size_t>(static_cast<const Byte*>(hit) - base);
      if (std::memcmp(base + i, sig, 4) == 0) {
        const Int64 q = fCacheStart + static_cast<Int64>(i);
        return q + following <= size ? q : -1;
      }
      ++i;
    }
    if (fCacheStart + static_cast<Int64>(len) >= size) break;
    pos = fCacheStart + static_cast<Int64>(len) - 3;
  }
  return -1;
}

bool TZADirManager::FindSignature(TStream* stream, Int64& position, const Byte* signature, Int32 length) {
  constexpr Int64 kBlock = 10000;
  if (length <= 0 || length > kBlock || position < 0) return false;
  TKeepPosition keep(stream);
  const Int64 size = stream->Size();
  TBytes block(static_cast<size_t>(kBlock));
  Int64 start = position;
  while (start + length <= size) {
    const Int64 n = std::min(kBlock, size - start);
    ReadAt(stream, start, block.data(), n);
    for (Int64 i = 0; i + length <= n; ++i) {
      if (std::memcmp(block.data() + i, signature, static_cast<size_t>(length)) == 0) {
        position = start + i;
        return true;
      }
    }
    if (start + n >= size) break;
    start += kBlock - length;
  }
  return false;
}

Int64 TZADirManager::FindLocalFileHeader(Int64 start) {
  TKeepPosition keep(FCompressedStream);
  fCacheStart = -1;
  const Int64 r =
      ScanForSignature(start, LocalFileHeaderSignatureOf(FArc->isZIPFormat), TZAZipFileHeader::Size);
  fCacheStart = -1;
  return r;
}

bool TZADirManager::FindDataDescriptor(Int64 start, TZAZipDataDescriptor& descriptor) {
  TKeepPosition keep(FCompressedStream);
  fCacheStart = -1;
  const Int64 q = ScanForSignature(start, ZipDataDescriptorSignature, TZAZipDataDescriptor::Size);
  fCacheStart = -1;
  if (q < 0) return false;
  Byte b[TZAZipDataDescriptor::Size];
  ReadAt(FCompressedStream, q, b, sizeof b);
  descriptor.ReadFrom(b);
  return true;
}

// ---------------------------------------------------------------------------
// Rebuild from the local headers

namespace {

// The data descriptors of a stream, keyed by where their entry's data must
// have begun (the descriptor's position less the compressed size it gives),
// in the 16-byte form and, for zip64 entries, the 24-byte form. A descriptor
// counts for an entry only where that start is the entry's data start.
struct TDescriptorIndex {
  bool built = false;
  std::unordered_map<Int64, Int64> by32;  // data start -> first descriptor
  std::unordered_map<Int64, Int64> by64;
};

}  // namespace

void TZADirManager::RebuildCentralDir() {
  CDir->Clear();
  if (FArc->FSpanningMode != smNone) throw EZAException(44, FArc);
  TKeepPosition keep(FCompressedStream);
  fCacheStart = -1;
  const Int64 size = FCompressedStream->Size();
  const bool zipFormArchive = FArc->isZIPFormat;
  const Cardinal localSig = LocalFileHeaderSignatureOf(zipFormArchive);

  Int64 p = ScanForSignature(0, localSig, TZAZipFileHeader::Size);
  if (p < 0) throw EZAException(35, FArc);

  TDescriptorIndex descriptors;
  auto buildDescriptors = [&]() {
    descriptors.built = true;
    Int64 from = 0;
    for (;;) {
      const Int64 q = ScanForSignature(from, ZipDataDescriptorSignature, TZAZipDataDescriptor::Size);
      if (q < 0) break;
      Byte b[24];
      const Int64 n = std::min<Int64>(24, size - q);
      ReadAt(FCompressedStream, q, b, n);
      descriptors.by32.try_emplace(q - static_cast<Int64>(GetLE32(b + 8)), q);
      if (n == 24) {
        const UInt64 cs = GetLE64(b + 8);
        if (cs <= static_cast<UInt64>(q)) descriptors.by64.try_emplace(q - static_cast<Int64>(cs), q);
      }
      from = q + 1;
    }
  };

  TBytes variable;
  while (p >= 0) {
    Int64 next = p + 4;
    Byte h[TZAZipFileHeader::Size];
    ReadAt(FCompressedStream, p, h, sizeof h);
    TZAZipFileHeader lh;
    lh.ReadFrom(h);
    const Int64 nameAt = p + TZAZipFileHeader::Size;
    const bool nameFits = nameAt + lh.nameLength <= size;

    TDirItem item;
    TZAZipCentralDir& cd = item.CentralDir;
    cd.signature = CentralDirSignatureOf(zipFormArchive);
    cd.versionMadeBy = lh.extractVersion;
    cd.extractVersion = lh.extractVersion;
    cd.genPurposeFlag = lh.genPurposeFlag;
    cd.compMethod = lh.compMethod;
    cd.lastModTime = lh.lastModTime;
    cd.lastModDate = lh.lastModDate;
    cd.crc32 = lh.crc32;
    cd.compSize = lh.compSize;
    cd.unCompSize = lh.unCompSize;
    cd.nameLength = lh.nameLength;
    cd.extraLength = lh.extraLength;
    cd.relOffsetLH = p >= 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<Cardinal>(p);
    item.CompressionMethod = lh.compMethod;
    const bool zipForm = lh.extractVersion < ZA2MinExtractVersion;
    if (zipForm && (lh.genPurposeFlag & ZAFlagEncrypted) != 0) item.ZAEncryptionAlgorithm = caPkzipClassic;

    String name;
    const Int64 extraAt = nameAt + lh.nameLength;
    if (nameFits) {
      const Int64 extraAvail = std::clamp<Int64>(size - extraAt, 0, lh.extraLength);
      variable.resize(static_cast<size_t>(lh.nameLength + extraAvail));
      if (!variable.empty()) ReadAt(FCompressedStream, nameAt, variable.data(), static_cast<Int64>(variable.size()));
      name = DecodeEntryName(variable.data(), lh.nameLength, lh.genPurposeFlag, cd.versionMadeBy, OemNamesAllowed());
      if (extraAvail > 0)
        ReadExtraBlocks(variable.data() + lh.nameLength, static_cast<size_t>(extraAvail), zipForm, item, name);
      // Sizes that the header leaves to a zip64 block that is not there are
      // unknown, unless a data descriptor gives them.
      if ((lh.genPurposeFlag & ZAFlagDataDescriptor) == 0 &&
          (lh.unCompSize == 0xFFFFFFFFu || lh.compSize == 0xFFFFFFFFu) &&
          Zip64BlockBytes(variable.data() + lh.nameLength, static_cast<size_t>(extraAvail)) < 0)
        throw EZAException(79, {name}, FArc);
    }
    if (cd.relOffsetLH == 0xFFFFFFFFu) {
      item.bHugeFile = true;
      item.Zip64ExtInfo.relOffsetLH = static_cast<UInt64>(p);
    }
    const UInt64 compSize = cd.compSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.compSize : cd.compSize;

    // A header whose data cannot lie in the stream, or whose name runs past
    // its end, is no entry.
    if (compSize < static_cast<UInt64>(size) && nameFits) {
      const Int64 dataStart = extraAt + lh.extraLength;
      bool sizesKnown = (lh.genPurposeFlag & ZAFlagDataDescriptor) == 0;
      Int64 dataEnd = dataStart + static_cast<Int64>(compSize);
      if (!sizesKnown) {
        if (!descriptors.built) buildDescriptors();
        Byte b[24];
        auto found32 = descriptors.by32.find(dataStart);
        auto found64 = item.bHugeFile ? descriptors.by64.find(dataStart) : descriptors.by64.end();
        if (found32 != descriptors.by32.end() &&
            (found64 == descriptors.by64.end() || found32->second <= found64->second)) {
          ReadAt(FCompressedStream, found32->second, b, TZAZipDataDescriptor::Size);
          TZAZipDataDescriptor dd;
          dd.ReadFrom(b);
          cd.crc32 = dd.crc32;
          cd.compSize = dd.compressedSize;
          cd.unCompSize = dd.uncompressedSize;
          dataEnd = found32->second + TZAZipDataDescriptor::Size;
          sizesKnown = true;
        } else if (found64 != descriptors.by64.end()) {
          ReadAt(FCompressedStream, found64->second, b, 24);
          cd.crc32 = GetLE32(b + 4);
          cd.compSize = 0xFFFFFFFFu;
          cd.unCompSize = 0xFFFFFFFFu;
          item.Zip64ExtInfo.compSize = GetLE64(b + 8);
          item.Zip64ExtInfo.uncompSize = GetLE64(b + 16);
          item.bHugeFile = true;
          dataEnd = found64->second + 24;
          sizesKnown = true;
        }
      }
      // A folder is a name that ends in "/"; an empty file stays a file.
      cd.externalAttr = (!name.empty() && name.back() == u'/') ? 0x10u : 0x20u;
      const Int32 index = CDir->Count();
      CDir->SetCount(index + 1);
      CDir->FItems[static_cast<size_t>(index)] = std::move(item);
      CDir->SetItemName(index, name);
      // With its sizes known, the next header lies after the entry's data:
      // data that holds local headers of its own (a stored archive) is not
      // searched.
      if (sizesKnown && dataEnd > p && dataEnd <= size) next = dataEnd;
    }
    p = ScanForSignature(next, localSig, TZAZipFileHeader::Size);
  }
  CentralDirOffset = size;
  fCacheStart = -1;
  fCache.clear();
  fCache.shrink_to_fit();
}

// ---------------------------------------------------------------------------
// Stubs

void TZADirManager::CalculateStubSize(Int64 endPosition) {
  if (CDir->Count() == 0) {
    StubSize = endPosition;
    return;
  }
  const TDirItem& first = CDir->FItems[0];
  const TZAZipCentralDir& expected = first.CentralDir;
  // Entries with a data descriptor may carry zero CRC and sizes in their
  // local header.
  const bool descriptor = (expected.genPurposeFlag & ZAFlagDataDescriptor) != 0;
  const UInt64 offset = expected.relOffsetLH == 0xFFFFFFFFu ? first.Zip64ExtInfo.relOffsetLH : expected.relOffsetLH;
  TKeepPosition keep(FCompressedStream);
  const Int64 size = FCompressedStream->Size();
  if (offset >= static_cast<UInt64>(size)) return;
  fCacheStart = -1;
  const Cardinal localSig = LocalFileHeaderSignatureOf(FArc->isZIPFormat);
  Int64 pos = static_cast<Int64>(offset);
  while (pos < size) {
    const Int64 q = ScanForSignature(pos, localSig, 0);
    if (q < 0) break;
    pos = q + 1;
    if (q + TZAZipFileHeader::Size > size) break;
    Byte h[TZAZipFileHeader::Size];
    ReadAt(FCompressedStream, q, h, sizeof h);
    TZAZipFileHeader lh;
    lh.ReadFrom(h);
    if (lh.signature != ZipLocalFileHeaderSignature && lh.signature != ZA2LocalFileHeaderSignature) continue;
    if (q + TZAZipFileHeader::Size + lh.nameLength > size) continue;
    if (q != 0) {
      auto same = [descriptor](Cardinal local, Cardinal central) {
        return local == central || (descriptor && local == 0);
      };
      if (!same(lh.crc32, expected.crc32) || lh.extractVersion != expected.extractVersion ||
          lh.compMethod != expected.compMethod || lh.lastModTime != expected.lastModTime ||
          lh.lastModDate != expected.lastModDate || !same(lh.compSize, expected.compSize) ||
          !same(lh.unCompSize, expected.unCompSize))
        continue;
    }
    StubSize = q;
    break;
  }
  fCacheStart = -1;
  fCache.clear();
}

void TZADirManager::ApplyStubOffset() {
  const UInt64 stub = static_cast<UInt64>(std::max<Int64>(StubSize, 0));
  for (Int32 i = 0; i < CDir->Count(); ++i) {
    TDirItem& item = CDir->FItems[static_cast<size_t>(i)];
    TZAZipCentralDir& cd = item.CentralDir;
    if (cd.relOffsetLH == 0xFFFFFFFFu) {
      item.Zip64ExtInfo.relOffsetLH += stub;
      continue;
    }
    const UInt64 moved = static_cast<UInt64>(cd.relOffsetLH) + stub;
    if (moved >= 0xFFFFFFFFull) {
      item.bHugeFile = true;
      cd.relOffsetLH = 0xFFFFFFFFu;
      item.Zip64ExtInfo.relOffsetLH = moved;
    } else {
      cd.relOffsetLH = static_cast<Cardinal>(moved);
    }
  }
}

void TZADirManager::SaveSFXStub() {
  TFileStream stub(FArc->FSFXStub, fmOpenRead | fmShareDenyNone);
  const Int64 stubSize = stub.Size();
  if (FArc->FSpanningMode != smNone) {
    TZAVolumeNumberInfo first;
    first.SetFirstVolume(true);
    const Int64 limit = FArc->FSpanningOptions.GetVolumeSize(first);
    if (limit != -1 && limit < stubSize) throw EZAException(47, FArc);
  }
  FCompressedStream->SetSize(0);
  FCompressedStream->Seek(0, soBeginning);
  TBytes buffer(static_cast<size_t>(std::min<Int64>(stubSize, 1048576)));
  stub.Seek(0, soBeginning);
  Int64 left = stubSize;
  while (left > 0) {
    const Int64 n = std::min<Int64>(left, static_cast<Int64>(buffer.size()));
    stub.ReadBuffer(buffer.data(), n);
    FCompressedStream->WriteBuffer(buffer.data(), n);
    left -= n;
  }
  StubSize = stubSize;
}

}  // namespace sk
