#include "zip/ZADirManager.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <vector>

#include "core/UnitCounter.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/OSError.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils_paths.h"

namespace sk {

// ---------------------------------------------------------------------------
// Entry names and extra blocks

bool IsValidUTF8(const Byte* p, size_t n) {
  size_t i = 0;
  while (i < n) {
    const Byte b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

bool HostSeparatesWithBackslash(Word versionMadeBy) {
  switch (versionMadeBy >> 8) {
    case 0:   // MS-DOS and OS/2 (FAT)
    case 6:   // OS/2 HPFS
    case 10:  // Windows NTFS
    case 14:  // VFAT
      return true;
    default:
      return false;
  }
}

String DecodeEntryName(const Byte* bytes, size_t count, Word genPurposeFlag, Word versionMadeBy, bool oemAllowed) {
  if (count == 0) return String();
  bool ascii = true;
  for (size_t i = 0; i < count && ascii; ++i) ascii = bytes[i] < 0x80;
  String name;
  const char* chars = reinterpret_cast<const char*>(bytes);
  if (ascii)
    name.assign(bytes, bytes + count);
  else if ((genPurposeFlag & ZAFlagUTF8Name) != 0 || IsValidUTF8(bytes, count))
    name = Utf8ToString(chars, count);
  else if (oemAllowed && (versionMadeBy >> 8) == 0)
    name = CodePageToUnicode(CP_OEMCP, chars, count);
  else
    name = CodePageToUnicode(CP_ACP, chars, count);
  // Only a host whose names use "\" for folders stores it as a separator.
  if (!HostSeparatesWithBackslash(versionMadeBy)) return WithNameBackslashes(std::move(name));
  return name;
}

RawByteString EncodeEntryName(const String& name, Word& genPurposeFlag) {
  bool ascii = true;
  bool backslash = false;
  for (Char c : name) {
    ascii = ascii && c < 0x80;
    backslash = backslash || c == NameBackslash;
  }
  if (ascii) {
    genPurposeFlag &= static_cast<Word>(~ZAFlagUTF8Name);
    return RawByteString(name.begin(), name.end());
  }
  bool bytes = false;
  bool utf8 = false;
  for (size_t i = 0; i < name.size(); ++i) {
    const bool lone = i == 0 || name[i - 1] < 0xD800 || name[i - 1] > 0xDBFF;
    if (name[i] >= 0xDC80 && name[i] <= 0xDCFF && lone) bytes = true;
    else if (name[i] >= 0x80 && !(name[i] == NameBackslash && lone)) utf8 = true;
  }
  // A backslash that is part of the name is stored as its byte; beside it
  // the name is as it would be without it.
  if (bytes || !utf8) {
    genPurposeFlag &= static_cast<Word>(~ZAFlagUTF8Name);
    return StringToSystemName(name);
  }
  genPurposeFlag |= ZAFlagUTF8Name;
  return backslash ? StringToSystemName(name) : StringToUtf8(name);
}

bool EntryNameHasSystemBytes(const String& name) {
  for (size_t i = 0; i < name.size(); ++i)
    if (((name[i] >= 0xDC80 && name[i] <= 0xDCFF) || name[i] == NameBackslash) &&
        (i == 0 || name[i - 1] < 0xD800 || name[i - 1] > 0xDBFF))
      return true;
  return false;
}

void ReadExtraBlocks(const Byte* p, size_t length, bool zipForm, TDirItem& item, String& name) {
  item.bHugeFile = false;
  item.ExtraFields.clear();
  // The blocks are counted first, so that the entry's list is allocated once.
  size_t blocks = 0;
  for (size_t k = 0; k + 4 <= length; k += 4 + std::min<size_t>(GetLE16(p + k + 2), length - k - 4)) ++blocks;
  item.ExtraFields.reserve(blocks);
  size_t c = 0;
  while (c + 4 <= length) {
    const Word id = GetLE16(p + c);
    size_t size = GetLE16(p + c + 2);
    c += 4;
    if (size > length - c) size = length - c;
    const Byte* data = p + c;
    c += size;
    if (id == Zip64ExtraFieldHeaderID) {
      const TZAZipCentralDir& cd = item.CentralDir;
      size_t k = 0;
      auto take64 = [&](UInt64& out) {
        if (k + 8 <= size) {
          out = GetLE64(data + k);
          k += 8;
        }
      };
      if (cd.unCompSize == 0xFFFFFFFFu) take64(item.Zip64ExtInfo.uncompSize);
      if (cd.compSize == 0xFFFFFFFFu) take64(item.Zip64ExtInfo.compSize);
      if (cd.relOffsetLH == 0xFFFFFFFFu) take64(item.Zip64ExtInfo.relOffsetLH);
      if (cd.diskNumberStart == 0xFFFF && k + 4 <= size) item.Zip64ExtInfo.diskNumberStart = GetLE32(data + k);
      item.bHugeFile = true;
      continue;
    }
    TZAExtraFieldDataBlock block;
    block.headerID = id;
    block.dataSize = static_cast<Word>(size);
    block.pData.assign(data, data + size);
    if (id == UnicodeExtraFieldHeaderID) {
      if (size >= 8 && data[0] == 'N' && data[1] == 'U' && data[2] == 'C' && data[3] == 'X') {
        const auto units = static_cast<Int32>(GetLE32(data + 4));
        if (units >= 0 && static_cast<size_t>(units) <= (size - 8) / 2) {
          String text(static_cast<size_t>(units), Char(0));
          for (Int32 u = 0; u < units; ++u) text[static_cast<size_t>(u)] = GetLE16(data + 8 + 2 * u);
          name = std::move(text);
        }
      }
    } else if (id == AesExtraFieldHeaderID && zipForm && size >= 7) {
      switch (data[4]) {
        case 1: item.ZAEncryptionAlgorithm = caAES_128; break;
        case 2: item.ZAEncryptionAlgorithm = caAES_192; break;
        case 3: item.ZAEncryptionAlgorithm = caAES_256; break;
        default: break;
      }
      item.CompressionMethod = GetLE16(data + 5);
    }
    item.ExtraFields.push_back(std::move(block));
  }
}

Int64 Zip64BlockBytes(const Byte* p, size_t length) {
  for (size_t c = 0; c + 4 <= length;) {
    const size_t size = std::min<size_t>(GetLE16(p + c + 2), length - c - 4);
    if (GetLE16(p + c) == Zip64ExtraFieldHeaderID) return static_cast<Int64>(size);
    c += 4 + size;
  }
  return -1;
}

namespace {

// Reads exactly count bytes at position; the stream's read error when they
// are not there.
void ReadAt(TStream* s, Int64 position, void* buffer, Int64 count) {
  s->Seek(position, soBeginning);
  s->ReadBuffer(buffer, count);
}

UInt64 SaturatingAdd(UInt64 a, UInt64 b) {
  return a > std::numeric_limits<UInt64>::max() - b ? std::numeric_limits<UInt64>::max() : a + b;
}

UInt64 EntryCompSize(const TDirItem& item) {
  return item.CentralDir.compSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.compSize : item.CentralDir.compSize;
}

Word ClipWord(Int64 v) { return v >= 0xFFFF ? Word(0xFFFF) : static_cast<Word>(v < 0 ? 0 : v); }
Cardinal ClipCardinal(Int64 v) { return v >= 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<Cardinal>(v < 0 ? 0 : v); }

}  // namespace

// ---------------------------------------------------------------------------
// TZADirManager

TZADirManager::TZADirManager(TStream* stream, bool create, TZAArchiverLink* arc)
    : FCompressedStream(stream),
      FCreate(create),
      FIsCustomStream(stream != arc->FCompressedStream),
      FArc(arc),
      RBCDir(std::make_unique<TZADirArray>()),
      CDir(std::make_unique<TZADirArray>()) {
  InitCentralDirEnd();
  if (create) {
    FArc->FVolumeNumberInfo.SetFirstVolume(true);
    if (!FArc->FSFXStub.empty()) SaveSFXStub();
  }
}

TZADirManager::~TZADirManager() = default;

void TZADirManager::InitCentralDirEnd() {
  CDir->Clear();
  CentralDirEnd = TZAZipCentralDirEnd();
  CentralDirEnd.signature = CentralDirEndSignatureOf(FArc->isZIPFormat);
}

[[noreturn]] void TZADirManager::Damaged() const { throw EZAException(57, FArc); }

bool TZADirManager::OemNamesAllowed() const {
  return FArc->FOptions.FOEMFileNames && fFoundEndSignature == ZipCentralDirEndSignature;
}

bool TZADirManager::GetCentralDirEnd(TZAZipCentralDirEnd& rec, Int64& position, Cardinal signature) {
  position = -1;
  ArchiveComment.clear();
  rec = TZAZipCentralDirEnd();
  const Int64 size = FCompressedStream->Size();
  const Int64 n = std::min<Int64>(65600, size);
  if (n < TZAZipCentralDirEnd::Size) return false;
  const Int64 saved = FCompressedStream->Position();
  TBytes buf(static_cast<size_t>(n));
  ReadAt(FCompressedStream, size - n, buf.data(), n);
  FCompressedStream->Seek(saved, soBeginning);

  const Byte s0 = static_cast<Byte>(signature), s1 = static_cast<Byte>(signature >> 8),
             s2 = static_cast<Byte>(signature >> 16), s3 = static_cast<Byte>(signature >> 24);
  for (Int64 i = n - 1; i >= 3; --i) {
    const Byte* q = buf.data() + i - 3;
    if (q[3] != s3 || q[2] != s2 || q[1] != s1 || q[0] != s0) continue;
    const Int64 at = i - 3;  // in the buffer
    const Int64 P = size - n + at;
    if (size - P < TZAZipCentralDirEnd::Size) continue;
    TZAZipCentralDirEnd c;
    c.ReadFrom(q);
    const Int64 E = P + TZAZipCentralDirEnd::Size;
    if (c.startDiskNumber > c.diskNumber || c.entriesOnDisk > c.entriesCentralDir) continue;
    // The directory lies wholly before the record only when it starts on the
    // record's own volume; on a multi-volume archive its earlier part is on
    // earlier volumes.
    const bool oneVolume = c.startDiskNumber == c.diskNumber;
    if (oneVolume && c.centralDirSize != 0xFFFFFFFFu && static_cast<Int64>(c.centralDirSize) >= E) continue;
    if (oneVolume && c.offsetStartDir != 0xFFFFFFFFu &&
        !(static_cast<Int64>(c.offsetStartDir) < E - static_cast<Int64>(c.centralDirSize)))
      continue;
    if (static_cast<Int64>(c.commentLength) > size - E) continue;
    rec = c;
    position = P;
    if (c.commentLength > 0)
      ArchiveComment.assign(reinterpret_cast<const char*>(q + TZAZipCentralDirEnd::Size), c.commentLength);
    return true;
  }
  return false;
}

bool TZADirManager::HasCentralDirEnd() {
  Int64 position;
  TZAZipCentralDirEnd rec;
  const bool found = GetCentralDirEnd(rec, position, CentralDirEndSignatureOf(FArc->isZIPFormat));
  if (found) CentralDirEnd = rec;
  return found || FArc->FOpenCorruptedArchives;
}

void TZADirManager::OpenVolume(TZAVolumeNumberInfo& volume) {
  if (FIsCustomStream) return;
  FArc->OpenVolume(volume);
  FCompressedStream = FArc->FCompressedStream;
}

bool TZADirManager::IsEncrypted() const {
  return CDir->Count() > 0 && (CDir->FItems[0].CentralDir.genPurposeFlag & ZAFlagEncrypted) != 0;
}

bool TZADirManager::IsSFXArchive() const { return CDir->Count() > 0 && CDir->FItems[0].CentralDir.relOffsetLH != 0; }

// ---------------------------------------------------------------------------
// Loading

size_t TZADirManager::ParseCentralRecord(Int32 index, const Byte* p, size_t available) {
  if (available < static_cast<size_t>(TZAZipCentralDir::Size)) Damaged();
  TDirItem& item = CDir->FItems[static_cast<size_t>(index)];
  TZAZipCentralDir& cd = item.CentralDir;
  cd.ReadFrom(p);
  if (cd.signature != ZipCentralDirSignature && cd.signature != ZA2CentralDirSignature) Damaged();
  const size_t need = static_cast<size_t>(TZAZipCentralDir::Size) + cd.nameLength + cd.extraLength + cd.commentLength;
  if (need > available) Damaged();
  const bool zipForm = cd.extractVersion < ZA2MinExtractVersion;
  if (zipForm && (cd.genPurposeFlag & ZAFlagEncrypted) != 0) item.ZAEncryptionAlgorithm = caPkzipClassic;
  item.CompressionMethod = cd.compMethod;
  const Byte* v = p + TZAZipCentralDir::Size;
  String name = DecodeEntryName(v, cd.nameLength, cd.genPurposeFlag, cd.versionMadeBy, OemNamesAllowed());
  v += cd.nameLength;
  if (cd.extraLength > 0) ReadExtraBlocks(v, cd.extraLength, zipForm, item, name);
  // A record that leaves a size or its offset to the zip64 block must have
  // one: without it the entry's data can be neither found nor measured.
  const bool zip64Needed =
      cd.unCompSize == 0xFFFFFFFFu || cd.compSize == 0xFFFFFFFFu || cd.relOffsetLH == 0xFFFFFFFFu;
  if (zip64Needed && Zip64BlockBytes(v, cd.extraLength) < 0) throw EZAException(79, {name}, FArc);
  v += cd.extraLength;
  item.Comment.assign(reinterpret_cast<const char*>(v), cd.commentLength);
  CDir->SetItemName(index, std::move(name));
  return need;
}

void TZADirManager::ReadDirectoryBuffer(const TBytes& dir, Int64 count) {
  CDir->SetCount(static_cast<Int32>(count));
  CDir->FItemNamesList->SetCapacity(static_cast<Int32>(count));
  size_t offset = 0;
  for (Int32 i = 0; i < static_cast<Int32>(count); ++i)
    offset += ParseCentralRecord(i, dir.data() + offset, dir.size() - offset);
}

void TZADirManager::ReadDirectorySpanned(Int64 count, TZAVolumeNumberInfo& walk) {
  TBytes record;
  for (Int64 i = 0; i < count; ++i) {
    if (i >= std::numeric_limits<Int32>::max()) Damaged();
    if (FCompressedStream->Remaining() < TZAZipCentralDir::Size) {
      walk.SetVolumeNumber(walk.FVolumeNumber + 1);
      OpenVolume(walk);
      FCompressedStream->Seek(0, soBeginning);
    }
    if (i == 0) CentralDirOffset = FCompressedStream->Position();
    Byte head[TZAZipCentralDir::Size];
    FCompressedStream->ReadBuffer(head, TZAZipCentralDir::Size);
    const Int64 rest = Int64(GetLE16(head + 28)) + GetLE16(head + 30) + GetLE16(head + 32);
    if (rest > FCompressedStream->Remaining()) Damaged();
    record.assign(head, head + TZAZipCentralDir::Size);
    record.resize(static_cast<size_t>(TZAZipCentralDir::Size + rest));
    FCompressedStream->ReadBuffer(record.data() + TZAZipCentralDir::Size, rest);
    CDir->SetCount(static_cast<Int32>(i + 1));
    ParseCentralRecord(static_cast<Int32>(i), record.data(), record.size());
  }
}

void TZADirManager::LoadDir() {
  TZAVolumeNumberInfo walk;
  InitCentralDirEnd();
  StubSize = 0;
  FZip64 = false;
  fFoundEndSignature = 0;

  TZAZipCentralDirEnd found;
  Int64 endPos = -1;
  bool has;
  if (FArc->isZIPFormat) {
    has = GetCentralDirEnd(found, endPos, ZipCentralDirEndSignature);
  } else {
    has = GetCentralDirEnd(found, endPos, ZA2CentralDirEndSignature) ||
          GetCentralDirEnd(found, endPos, ZipCentralDirEndSignature);
  }
  if (has) fFoundEndSignature = found.signature;
  if (!has || ForceBuildCentralDir) {
    RebuildCentralDir();
    return;
  }
  CentralDirEnd = found;

  // Zip64: a locator just before the end record points at the zip64 end
  // record. Where its offset does not lead to one (data was put in front of
  // the archive), the record just before the locator is taken.
  if (endPos > TZAZip64CentralDirEndLocator::Size) {
    Byte loc[TZAZip64CentralDirEndLocator::Size];
    ReadAt(FCompressedStream, endPos - TZAZip64CentralDirEndLocator::Size, loc, sizeof loc);
    if (GetLE32(loc) == Zip64CentralDirEndLocatorSignature) {
      FZip64 = true;
      Zip64CentralDirEndLocator.ReadFrom(loc);
      endPos -= TZAZip64CentralDirEndLocator::Size;
      const Int64 recSize = TZAZip64CentralDirEnd::Size;
      Int64 recPos = -1;
      Byte rec[TZAZip64CentralDirEnd::Size];
      if (endPos >= recSize) {
        const UInt64 given = Zip64CentralDirEndLocator.offsetStartDirEnd;
        for (Int64 candidate : {given <= static_cast<UInt64>(endPos - recSize) ? static_cast<Int64>(given) : Int64(-1),
                                endPos - recSize}) {
          if (candidate < 0) continue;
          ReadAt(FCompressedStream, candidate, rec, recSize);
          if (GetLE32(rec) == Zip64CentralDirEndSignature) {
            recPos = candidate;
            break;
          }
        }
      }
      if (recPos < 0) throw EZAException(40, FArc);
      Zip64CentralDirEnd.ReadFrom(rec);
      endPos = recPos;
    }
  }

  if (!FZip64 && CentralDirEnd.entriesCentralDir == 0xFFFF) {
    RebuildCentralDir();
    return;
  }

  const Int64 startVolume = CentralDirEnd.startDiskNumber != 0xFFFF ? CentralDirEnd.startDiskNumber
                            : FZip64                                 ? Zip64CentralDirEnd.startDiskNumber
                                                                     : 0;
  const Int64 lastVolume = CentralDirEnd.diskNumber != 0xFFFF
                               ? CentralDirEnd.diskNumber
                               : (FZip64 ? Int64(Zip64CentralDirEndLocator.totalNumberOfDisks) - 1 : 0);
  walk.FLastVolumeNumber = static_cast<Int32>(std::clamp<Int64>(lastVolume, -1, std::numeric_limits<Int32>::max()));
  walk.SetVolumeNumber(static_cast<Int32>(std::min<Int64>(startVolume, std::numeric_limits<Int32>::max())));
  const bool spanned = FArc->FSpanningMode != smNone;
  if (spanned) OpenVolume(walk);

  const UInt64 dirSize = FZip64 ? Zip64CentralDirEnd.centralDirSize : CentralDirEnd.centralDirSize;
  const UInt64 count = FZip64 ? Zip64CentralDirEnd.entriesCentralDir : CentralDirEnd.entriesCentralDir;
  const UInt64 dirOffset = FZip64 ? Zip64CentralDirEnd.offsetStartDir : CentralDirEnd.offsetStartDir;
  try {
    if (!spanned) {
      // The directory lies just before the end records; every record takes at
      // least 46 bytes, so the count is held to the size before anything is
      // allocated.
      if (dirSize > static_cast<UInt64>(endPos) || count > dirSize / TZAZipCentralDir::Size) Damaged();
      CentralDirOffset = endPos - static_cast<Int64>(dirSize);
      TBytes dir(static_cast<size_t>(dirSize));
      ReadAt(FCompressedStream, CentralDirOffset, dir.data(), static_cast<Int64>(dirSize));
      ReadDirectoryBuffer(dir, static_cast<Int64>(count));
    } else {
      if (dirOffset > static_cast<UInt64>(FCompressedStream->Size()) || count > dirSize / TZAZipCentralDir::Size)
        Damaged();
      FCompressedStream->Seek(static_cast<Int64>(dirOffset), soBeginning);
      ReadDirectorySpanned(static_cast<Int64>(count), walk);
    }
  } catch (const Exception&) {
    if (!FArc->FOpenCorruptedArchives) throw;
    RebuildCentralDir();
    return;
  }

  if (!FArc->FOpenCorruptedArchives && !spanned) {
    UInt64 total = 0;
    for (Int32 i = 0; i < CDir->Count(); ++i) total = SaturatingAdd(total, EntryCompSize(CDir->FItems[static_cast<size_t>(i)]));
    if (total > static_cast<UInt64>(FCompressedStream->Size())) throw EZAException(57, FArc);
  }

  if (lastVolume == 0) {
    CalculateStubSize(endPos);
    bool placed = true;
    for (Int32 i = 0; i < CDir->Count(); ++i) {
      const TZAZipCentralDir& cd = CDir->FItems[static_cast<size_t>(i)].CentralDir;
      if (cd.compSize == 0) continue;
      placed = static_cast<UInt64>(cd.relOffsetLH) >= static_cast<UInt64>(StubSize);
      break;
    }
    if (!placed) ApplyStubOffset();
  }
}

// ---------------------------------------------------------------------------
// Saving

namespace {

// The bytes of one entry's central record, ready to write.
struct TEncodedEntry {
  RawByteString name;
  TBytes extra;  // zip64 block, then the other blocks
};

}  // namespace

void TZADirManager::SaveDir(bool writeAtEnd, TStream* stream) {
  if (stream != nullptr) FCompressedStream = stream;
  const AnsiString comment = ArchiveComment;

  // Everything that must fit a 16-bit length is checked, and every record
  // prepared, before the stream is touched: a name or comment that cannot be
  // stored leaves the archive as it was.
  const Int32 count = CDir->Count();
  if (comment.size() > 0xFFFF) throw EZAException(46, FArc);
  std::vector<TEncodedEntry> encoded(static_cast<size_t>(count));
  for (Int32 i = 0; i < count; ++i) {
    TDirItem& item = CDir->FItems[static_cast<size_t>(i)];
    TZAZipCentralDir& cd = item.CentralDir;
    TEncodedEntry& e = encoded[static_cast<size_t>(i)];
    e.name = EncodeEntryName(item.Name, cd.genPurposeFlag);
    if (e.name.size() > 0xFFFF) throw EZAException(61, {item.Name}, FArc);
    // Readers take names from an MS-DOS host (made-by high byte 0) for OEM
    // text even with bit 11, and a backslash from any host that separates
    // folders with it for a separator; a UTF-8 name, and one stored as the
    // bytes the system gave, go out as from the engine's own host (11),
    // whose attributes mean the same.
    const bool systemBytes = EntryNameHasSystemBytes(item.Name);
    if (systemBytes ? HostSeparatesWithBackslash(cd.versionMadeBy)
                    : (cd.genPurposeFlag & ZAFlagUTF8Name) != 0 && (cd.versionMadeBy >> 8) == 0)
      cd.versionMadeBy = static_cast<Word>(0x0B00 | (cd.versionMadeBy & 0xFF));
    size_t zip64 = 0;
    if (cd.unCompSize == 0xFFFFFFFFu) zip64 += 8;
    if (cd.compSize == 0xFFFFFFFFu) zip64 += 8;
    if (cd.relOffsetLH == 0xFFFFFFFFu) zip64 += 8;
    if (cd.diskNumberStart == 0xFFFF) zip64 += 4;
    size_t extraSize = zip64 > 0 ? zip64 + 4 : 0;
    for (const auto& block : item.ExtraFields) extraSize += 4 + block.pData.size();
    if (extraSize > 0xFFFF || item.Comment.size() > 0xFFFF) throw EZAException(46, FArc);
    e.extra.resize(extraSize);
    Byte* x = e.extra.data();
    if (zip64 > 0) {
      PutLE16(x, Zip64ExtraFieldHeaderID);
      PutLE16(x + 2, static_cast<Word>(zip64));
      x += 4;
      auto put64 = [&x](UInt64 v) {
        PutLE64(x, v);
        x += 8;
      };
      if (cd.unCompSize == 0xFFFFFFFFu) put64(item.Zip64ExtInfo.uncompSize);
      if (cd.compSize == 0xFFFFFFFFu) put64(item.Zip64ExtInfo.compSize);
      if (cd.relOffsetLH == 0xFFFFFFFFu) put64(item.Zip64ExtInfo.relOffsetLH);
      if (cd.diskNumberStart == 0xFFFF) {
        PutLE32(x, item.Zip64ExtInfo.diskNumberStart);
        x += 4;
      }
    }
    for (const auto& block : item.ExtraFields) {
      PutLE16(x, block.headerID);
      PutLE16(x + 2, static_cast<Word>(block.pData.size()));
      x += 4;
      if (!block.pData.empty()) std::copy(block.pData.begin(), block.pData.end(), x);
      x += block.pData.size();
    }
  }

  Int64 position = FCompressedStream->Size();
  if (!writeAtEnd) {
    TZAZipCentralDirEnd existing;
    Int64 at = -1;
    bool has = GetCentralDirEnd(existing, at, ZipCentralDirEndSignature);
    if (!has && !FArc->isZIPFormat) has = GetCentralDirEnd(existing, at, ZA2CentralDirEndSignature);
    if (has) {
      // Behind the directory of an archive with zip64 end records come 76
      // bytes of zip64 record and locator that the 32-bit size does not
      // count: where the directory began was noted when it was loaded.
      position = FZip64 ? CentralDirOffset : at - static_cast<Int64>(CentralDirEnd.centralDirSize);
      if (position < 0 || position > at) position = at;
    }
  }
  ArchiveComment = comment;
  FCompressedStream->SetSize(position);
  FCompressedStream->Seek(position, soBeginning);
  const Int64 D = position;

  const Int32 currentVolume = std::max<Int32>(FArc->FVolumeNumberInfo.FVolumeNumber, 0);
  const Int32 startVolume = currentVolume;
  CentralDirEnd.startDiskNumber = ClipWord(currentVolume);
  CentralDirOffset = D;

  const Cardinal centralSignature = CentralDirSignatureOf(FArc->isZIPFormat);
  TMemoryStream pending;
  auto flushPending = [&]() {
    if (pending.Size() > 0) {
      FCompressedStream->WriteBuffer(pending.Memory(), pending.Size());
      pending.Clear();
    }
  };
  // The directory's size is what its records take, on however many volumes.
  Int64 written = 0;
  try {
    Byte record[TZAZipCentralDir::Size];
    for (Int32 i = 0; i < count; ++i) {
      TDirItem& item = CDir->FItems[static_cast<size_t>(i)];
      TZAZipCentralDir& cd = item.CentralDir;
      const TEncodedEntry& e = encoded[static_cast<size_t>(i)];
      cd.signature = centralSignature;
      cd.nameLength = static_cast<Word>(e.name.size());
      cd.extraLength = static_cast<Word>(e.extra.size());
      cd.commentLength = static_cast<Word>(item.Comment.size());
      cd.WriteTo(record);
      FArc->WriteBufferToStream(record, TZAZipCentralDir::Size, FCompressedStream, FArc->FVolumeNumberInfo,
                                cd.nameLength + cd.extraLength + cd.commentLength, &pending);
      FArc->WriteBufferToStream(e.name.data(), static_cast<Int64>(e.name.size()), FCompressedStream,
                                FArc->FVolumeNumberInfo, -1, &pending);
      FArc->WriteBufferToStream(e.extra.data(), static_cast<Int64>(e.extra.size()), FCompressedStream,
                                FArc->FVolumeNumberInfo, -1, &pending);
      FArc->WriteBufferToStream(item.Comment.data(), static_cast<Int64>(item.Comment.size()), FCompressedStream,
                                FArc->FVolumeNumberInfo, -1, &pending);
      written += TZAZipCentralDir::Size + static_cast<Int64>(e.name.size() + e.extra.size() + item.Comment.size());
    }
    // The end records stay whole on the volume that takes them: the room for
    // them (with zip64 records and the comment) is kept, or the next volume
    // begun, before they are written.
    FArc->WriteBufferToStream(nullptr, 0, FCompressedStream, FArc->FVolumeNumberInfo,
                              TZAZipCentralDirEnd::Size + TZAZip64CentralDirEnd::Size +
                                  TZAZip64CentralDirEndLocator::Size + static_cast<Int32>(ArchiveComment.size()),
                              &pending);
  } catch (...) {
    flushPending();
    throw;
  }
  flushPending();

  const Int32 volumeNow = std::max<Int32>(FArc->FVolumeNumberInfo.FVolumeNumber, 0);
  const Int64 end = FCompressedStream->Position();
  const Int64 dirSize = written;
  CentralDirEnd.signature = CentralDirEndSignatureOf(FArc->isZIPFormat);
  CentralDirEnd.entriesOnDisk = ClipWord(count);
  CentralDirEnd.entriesCentralDir = ClipWord(count);
  CentralDirEnd.centralDirSize = ClipCardinal(dirSize);
  CentralDirEnd.offsetStartDir = ClipCardinal(D);
  CentralDirEnd.commentLength = static_cast<Word>(ArchiveComment.size());
  CentralDirEnd.diskNumber = ClipWord(volumeNow);

  FZip64 = end >= 0xFFFFFFFFLL || count >= 0xFFFF || volumeNow >= 0xFFFF || startVolume >= 0xFFFF;
  if (FZip64) {
    Zip64CentralDirEnd = TZAZip64CentralDirEnd();
    Zip64CentralDirEnd.signature = Zip64CentralDirEndSignature;
    Zip64CentralDirEnd.centralDirEndSize = 44;
    Zip64CentralDirEnd.versionMadeBy = 45;
    Zip64CentralDirEnd.versionNeededToExtract = 45;
    Zip64CentralDirEnd.diskNumber = static_cast<Cardinal>(volumeNow);
    Zip64CentralDirEnd.startDiskNumber = static_cast<Cardinal>(startVolume);
    Zip64CentralDirEnd.entriesOnDisk = static_cast<UInt64>(count);
    Zip64CentralDirEnd.entriesCentralDir = static_cast<UInt64>(count);
    Zip64CentralDirEnd.centralDirSize = static_cast<UInt64>(dirSize);
    Zip64CentralDirEnd.offsetStartDir = static_cast<UInt64>(D);
    Zip64CentralDirEndLocator = TZAZip64CentralDirEndLocator();
    Zip64CentralDirEndLocator.signature = Zip64CentralDirEndLocatorSignature;
    Zip64CentralDirEndLocator.startDiskNumber = static_cast<Cardinal>(volumeNow);
    Zip64CentralDirEndLocator.offsetStartDirEnd = static_cast<UInt64>(FCompressedStream->Position());
    Zip64CentralDirEndLocator.totalNumberOfDisks = static_cast<Cardinal>(volumeNow) + 1;
    FCompressedStream->WriteBuffer(Zip64CentralDirEnd.ToBytes());
    FCompressedStream->WriteBuffer(Zip64CentralDirEndLocator.ToBytes());
  }
  FCompressedStream->WriteBuffer(CentralDirEnd.ToBytes());
  if (!ArchiveComment.empty())
    FCompressedStream->WriteBuffer(ArchiveComment.data(), static_cast<Int64>(ArchiveComment.size()));

  if (FArc->FSpanningMode != smNone) {
    FArc->PlaceLastVolume();
    FCompressedStream = FArc->FCompressedStream;
  }
}

SK_COUNTER_ONLY_UNIT(ZADirManager)

}  // namespace sk
