// The entry codec: one source stream into an entry's stored data (deflated or
// stored, with its CRC-32, optionally encrypted) and back.
//
// Deflate and inflate work on raw deflate data (no zlib header or trailer),
// which is what a zip entry stores. Everything moves in bounded chunks; what
// is read from an archive is never trusted: sizes are checked against each
// other before anything is sized from them, and extraction stops as soon as
// the output passes the size the entry declares.
#include <zlib.h>

#include <algorithm>
#include <limits>

#include "core/Basic_processes.h"
#include "platform/runtime/SecretBytes.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils.h"
#include "zip/ZAZLib.h"

namespace sk {

namespace {

constexpr Int64 kInflateChunk = 1048576;
constexpr Int64 kStoredBlock = 65535;
// The codec's loops count a tick of the host's yield per this many bytes.
constexpr Int64 kYieldTickBytes = 65536;
// Deflate never expands data by more than this factor: a declared size
// beyond it cannot be the entry's.
constexpr UInt64 kMaxDeflateRatio = 1032;
// A password handler that keeps giving wrong passwords is asked this often.
constexpr Int32 kMaxPasswordAsks = 20;

Int64 RoundUp(Int64 n, Int64 multiple) { return multiple <= 0 ? n : (n + multiple - 1) / multiple * multiple; }

// Ends a deflate or inflate stream on every way out.
class TZStreamEnd {
 public:
  TZStreamEnd(z_stream& z, bool inflating) : fZ(z), fInflating(inflating) {}
  ~TZStreamEnd() { End(); }
  TZStreamEnd(const TZStreamEnd&) = delete;
  TZStreamEnd& operator=(const TZStreamEnd&) = delete;
  void Arm() { fArmed = true; }
  // Ends the stream now; answers zlib's result (Z_OK when not started).
  int End() {
    if (!fArmed) return Z_OK;
    fArmed = false;
    return fInflating ? inflateEnd(&fZ) : deflateEnd(&fZ);
  }

 private:
  z_stream& fZ;
  bool fInflating;
  bool fArmed = false;
};

}  // namespace

// A block of an entry's data done, each 64 KiB of it a tick: yields to the
// host by time; a Stop cancels the entry as a cancel from a progress event
// does.
bool TZABaseArchiver::CodecStopped(TTimedYield& yield, Int64 bytes) {
  if (!yield.Tick(static_cast<size_t>(std::max<Int64>(bytes, 0) / kYieldTickBytes + 1))) return false;
  fCodecStopped = true;
  FProgressCancel = true;
  return true;
}

// ---------------------------------------------------------------------------
// Compression

bool TZABaseArchiver::InternalCompressFile(TStream* source, TStream* dest, TDirItem& item, Int64 size) {
  fCodecStopped = false;
  TZAZipCentralDir rec = item.CentralDir;
  Int64 bytesRead = 0;
  UInt64 compSize = 0;
  Cardinal crc = 0xFFFFFFFFu;
  const Int64 bufferSize = std::max<Int64>(1, std::min<Int64>(CompressionModeToBufferSize(item.CompressionMode), size));
  const bool encrypted = !item.Password.empty();
  const bool deflating = item.CompressionMethod != 0;

  std::unique_ptr<TAESCryptoTransform> aes;
  if (encrypted && isZIPFormat && AESKeyBitsOf(FZACryptoAlgorithm) > 0) {
    aes = TAESCryptoTransform::CreateAESEncryption(AESKeyBitsOf(FZACryptoAlgorithm), 2, item.CompressionMethod);
    rec.compMethod = 99;
    item.ZAEncryptionAlgorithm = FZACryptoAlgorithm;
  }

  z_stream zs{};
  zs.zalloc = zcAlloc;
  zs.zfree = zcFree;
  TZStreamEnd zend(zs, false);
  TZipKey keys{};
  bool crcDone = false;
  bool writeFailed = false;
  TTimedYield yield;

  auto put = [&](Byte* data, Int64 n) -> bool {
    if (n <= 0) return true;
    if (aes)
      aes->EncryptBuffer(data, 0, static_cast<Int32>(n), data, 0);
    else if (encrypted)
      ZipEncryptBuffer(n, 0, data, keys);
    if (!WriteToStreamWithOnDiskFull(dest, data, n)) return false;
    compSize += static_cast<UInt64>(n);
    return true;
  };

  if (isZIPFormat) {
    if (deflating) {
      CCheck(deflateInit2_(&zs, item.CompressionMode, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, ZLIB_VERSION,
                           static_cast<int>(sizeof(z_stream))));
      zend.Arm();
    }
    FProgressMax = size;
    TBytes in(static_cast<size_t>(bufferSize));

    if (encrypted && !aes) {
      // The header ends with the CRC of the whole source, so the source is
      // read once for it first.
      source->Seek(0, soBeginning);
      for (Int64 done = 0; done < size;) {
        if (CodecStopped(yield, bufferSize)) break;
        const Int64 want = std::min<Int64>(bufferSize, size - done);
        const Int64 got = source->Read(in.data(), want);
        // A failed read is not the end of the source: a CRC of part of it
        // would be stored as the whole's.
        if (got < want && source->LastReadError() != 0) throw EZAException(34, {size, done + got}, this);
        if (got > 0) ZACRC32UpdateVar(crc, in.data(), got);
        done += got;
        if (got < want) break;
      }
      crcDone = true;
      const Cardinal finalCrc = ~crc;
      ZipEncryptKeyInit(item.Password, keys);
      TZipKeyHeader header{};
      FillSecretBytes(header.data(), 10);
      header[10] = static_cast<Byte>(finalCrc >> 16);
      header[11] = static_cast<Byte>(finalCrc >> 24);
      for (Byte& b : header) b = ZipEncryptByte(b, keys);
      if (WriteToStreamWithOnDiskFull(dest, header.data(), 12))
        compSize += 12;
      else
        writeFailed = true;
    } else if (aes) {
      aes->Initialize(Encryption, item);
      aes->GenerateKey(item.Password);
      const TBytes start = aes->GetFileStorageStartBlock();
      if (WriteToStreamWithOnDiskFull(dest, start.data(), static_cast<Int64>(start.size())))
        compSize += start.size();
      else
        writeFailed = true;
    }

    source->Seek(0, soBeginning);
    TBytes out;
    while (!writeFailed && bytesRead < size && !FProgressCancel) {
      if (CodecStopped(yield, bufferSize)) break;
      FProgress = bytesRead;
      if (FProgressEnabled) {
        DoOnFileProgress(item.SrcFileName, static_cast<Double>(FProgress) / static_cast<Double>(FProgressMax) * 100.0,
                         item.Operation, ppProcess, FProgressCancel);
        if (FProgressCancel) break;
        const Double overall = FProcessedFilesTotalSize > 0 ? static_cast<Double>(FProcessedFilesSize + FProgress) /
                                                                  static_cast<Double>(FProcessedFilesTotalSize) * 100.0
                                                            : 50.0;
        DoOnOverallProgress(overall, item.Operation, ppProcess, FProgressCancel);
        if (FProgressCancel) break;
      }
      const Int64 want = std::min<Int64>(bufferSize, size - bytesRead);
      if (source->Read(in.data(), want) < want) break;
      if (!crcDone) ZACRC32UpdateVar(crc, in.data(), want);
      const bool last = bytesRead + want >= size;

      if (deflating) {
        const Int64 outSize = RoundUp(want + want / 10 + 12, 256);
        out.resize(static_cast<size_t>(outSize));
        zs.next_in = in.data();
        zs.avail_in = static_cast<uInt>(want);
        const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
        // deflate runs until the chunk is consumed (and, at the end, the
        // stream finished), whatever room each output buffer has.
        for (;;) {
          zs.next_out = out.data();
          zs.avail_out = static_cast<uInt>(outSize);
          const int r = deflate(&zs, flush);
          if (r != Z_BUF_ERROR) CCheck(r);
          const Int64 produced = outSize - static_cast<Int64>(zs.avail_out);
          if (!put(out.data(), produced)) {
            writeFailed = true;
            break;
          }
          if (last ? r == Z_STREAM_END : (zs.avail_in == 0 && zs.avail_out != 0)) break;
          if (r == Z_BUF_ERROR && zs.avail_in == 0 && !last) break;
        }
      } else {
        if (!put(in.data(), want)) writeFailed = true;
      }
      if (writeFailed) break;
      bytesRead += want;
    }

    FProcessedFilesSize += size;
    if (aes && !writeFailed && !FProgressCancel && bytesRead == size) {
      const TBytes end = aes->GetFileStorageEndBlock();
      if (WriteToStreamWithOnDiskFull(dest, end.data(), static_cast<Int64>(end.size())))
        compSize += end.size();
      else
        writeFailed = true;
    }
    const int endResult = zend.End();
    if (!FProgressCancel && !writeFailed && bytesRead == size) CCheck(endResult);
  }

  // The 32-bit fields; the zip64 rule below replaces what does not fit.
  rec.compSize = static_cast<Cardinal>(compSize);
  rec.unCompSize = static_cast<Cardinal>(size);
  // An AES entry keeps its authentication code in place of a CRC: storing
  // the CRC of the plain text would tell something about it.
  rec.crc32 = aes ? 0 : ~crc;

  const bool complete = size < 0 ? static_cast<Cardinal>(bytesRead) == static_cast<Cardinal>(size) : bytesRead == size;
  auto writeBack = [&]() { item.CentralDir = rec; };
  if (!complete) {
    writeBack();
    if (FProgressCancel) return false;
    throw EZAException(34, {size, bytesRead}, this);
  }

  bool huge = false;
  if (compSize >= 0xFFFFFFFFu || FZip64Mode == zmAlways) {
    huge = true;
    rec.compSize = 0xFFFFFFFFu;
    item.Zip64ExtInfo.compSize = compSize;
  }
  if (static_cast<UInt64>(size) >= 0xFFFFFFFFu || FZip64Mode == zmAlways) {
    huge = true;
    rec.unCompSize = 0xFFFFFFFFu;
    item.Zip64ExtInfo.uncompSize = static_cast<UInt64>(size);
  }
  if (huge) {
    item.bHugeFile = true;
    if (FZip64Mode == zmDisabled) {
      writeBack();
      throw EZAException(41, {item.SrcFileName}, this);
    }
  }

  if (size == 0 && isZIPFormat) {
    // Nothing to compress: stored. An AES entry keeps its method word 99, as
    // its encryption still holds the (empty) data.
    if (!aes) rec.compMethod = 0;
    item.CompressionMethod = 0;
  }
  writeBack();
  return true;
}

// ---------------------------------------------------------------------------
// Decompression

bool TZABaseArchiver::ZipInitPassword(TStream* stream, const AnsiString& password, Word flags, Word lastModTime,
                                      Cardinal crc, TZipKey& keys) {
  TZipKeyHeader header{};
  if (stream->Read(header.data(), static_cast<Int64>(header.size())) != static_cast<Int64>(header.size())) return false;
  ZipKeyInit(password, keys, header);
  const Byte check =
      (flags & ZAFlagDataDescriptor) != 0 ? static_cast<Byte>(lastModTime >> 8) : static_cast<Byte>(crc >> 24);
  return header[11] == check;
}

bool TZABaseArchiver::InternalDecompressFile(TStream* source, TStream* dest, TDirItem& item, Int32 count,
                                             Int64 offset) {
  fCodecStopped = false;
  fCodecWriteFailed = false;
  const TZAZipCentralDir& cd = item.CentralDir;
  const bool zipForm = cd.extractVersion < ZA2MinExtractVersion;
  const bool encrypted = (cd.genPurposeFlag & ZAFlagEncrypted) != 0;

  std::unique_ptr<TAESCryptoTransform> aes;
  if (encrypted && zipForm && AESKeyBitsOf(item.ZAEncryptionAlgorithm) > 0) {
    aes = TAESCryptoTransform::CreateAESEncryption(AESKeyBitsOf(item.ZAEncryptionAlgorithm), AESVendorVersionOf(item),
                                                   FCompressionMethod);
    aes->Initialize(Decryption, item);
    aes->GenerateKey(FPassword);
  }

  // The volume that holds the entry, and the last one: a read that runs off
  // the end of one volume goes on at the start of the next.
  TZAVolumeNumberInfo volume;
  {
    Int64 start = cd.diskNumberStart;
    if (cd.diskNumberStart == 0xFFFF) start = DMHandle && DMHandle->FZip64 ? item.Zip64ExtInfo.diskNumberStart : 0;
    Int64 last = 0;
    if (DMHandle) {
      last = DMHandle->CentralDirEnd.diskNumber;
      if (last == 0xFFFF)
        last = DMHandle->FZip64 ? Int64(DMHandle->Zip64CentralDirEndLocator.totalNumberOfDisks) - 1 : 0;
    }
    volume.FLastVolumeNumber = static_cast<Int32>(std::clamp<Int64>(last, -1, std::numeric_limits<Int32>::max()));
    volume.SetVolumeNumber(static_cast<Int32>(std::min<Int64>(start, std::numeric_limits<Int32>::max())));
  }
  TStream* src = source;
  auto readSome = [&](Byte* buffer, Int64 n) -> Int64 {
    Int64 got = 0;
    while (got < n) {
      const Int64 r = src->Read(buffer + got, n - got);
      if (r > 0) {
        got += r;
        continue;
      }
      // A read the system failed is an error, never the end of a volume: the
      // entry ends short and fails.
      if (src->LastReadError() != 0) break;
      if (FSpanningMode == smNone || src != FCompressedStream) break;
      if (volume.FLastVolumeNumber >= 0 && volume.FVolumeNumber >= volume.FLastVolumeNumber) break;
      volume.SetVolumeNumber(volume.FVolumeNumber + 1);
      if (volume.FVolumeNumber == volume.FLastVolumeNumber) volume.FVolumeKind = vnkLast;
      OpenVolume(volume);
      src = FCompressedStream;
      src->Seek(0, soBeginning);
      if (src->Size() == 0) break;
    }
    return got;
  };
  auto skip = [&](Int64 n) -> bool {
    Byte scratch[4096];
    while (n > 0) {
      const Int64 step = std::min<Int64>(n, static_cast<Int64>(sizeof scratch));
      if (readSome(scratch, step) != step) return false;
      n -= step;
    }
    return true;
  };

  Byte headBytes[TZAZipFileHeader::Size];
  if (readSome(headBytes, TZAZipFileHeader::Size) != TZAZipFileHeader::Size) return false;
  TZAZipFileHeader lh;
  lh.ReadFrom(headBytes);
  if (lh.signature != ZipLocalFileHeaderSignature && lh.signature != ZA2LocalFileHeaderSignature) return false;
  if (!skip(Int64(lh.nameLength) + lh.extraLength)) return false;

  UInt64 compSize = cd.compSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.compSize : cd.compSize;
  const UInt64 uncompSize = cd.unCompSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.uncompSize : cd.unCompSize;
  if (FSpanningMode == smNone && DMHandle && src == DMHandle->FCompressedStream && DMHandle->CentralDirOffset > 0) {
    const Int64 dataStart = src->Position();
    const Int64 room = std::max<Int64>(0, DMHandle->CentralDirOffset - dataStart);
    if (compSize > static_cast<UInt64>(room)) compSize = static_cast<UInt64>(room);
  }

  FProgressMax = Int64(count) + offset != 0
                     ? Int64(count) + offset
                     : static_cast<Int64>(std::min<UInt64>(uncompSize, std::numeric_limits<Int64>::max()));
  if (FProgressMax == 0) FProgressMax = 2;
  FSkipFile = false;

  const Word method = cd.compMethod == 99 && aes ? item.CompressionMethod : cd.compMethod;
  if (method == 9) throw EZAException(55);
  if (method != 0 && method != 8) return false;

  // ---- password ----
  TZipKey keys{};
  if (encrypted) {
    const UInt64 overhead = aes ? UInt64(aes->GetFileStorageStartBlockSize()) + aes->GetFileStorageEndBlockSize() : 12;
    if (compSize < overhead) return false;
    compSize -= overhead;
    TBytes head(aes ? aes->GetFileStorageStartBlockSize() : 12);
    if (readSome(head.data(), static_cast<Int64>(head.size())) != static_cast<Int64>(head.size())) return false;
    for (Int32 ask = 0;; ++ask) {
      TBytesStream headStream(head);
      bool fits;
      if (aes) {
        aes->LoadFileStorageStartBlock(&headStream, 0);
        fits = aes->CheckPassword(FPassword, item);
      } else {
        fits = !FPassword.empty() &&
               ZipInitPassword(&headStream, FPassword, lh.genPurposeFlag, lh.lastModTime, lh.crc32, keys);
      }
      if (fits) break;
      if (FSuppressPasswordEvent || ask + 1 >= kMaxPasswordAsks) return false;
      const AnsiString tried = FPassword;
      const Cardinal reads = fDirectoryReads;
      DoOnPassword(item.Name, FPassword, FSkipFile);
      if (FSkipFile) return false;
      // While the question was open another process changed the archive,
      // and its directory was read again: the entry (item is no longer
      // its record) is read from where it is now, with the password given.
      if (reads != fDirectoryReads) {
        fEntryMoved = true;
        return false;
      }
      if (aes && FPassword != tried) aes->GenerateKey(FPassword);
    }
  }

  // Sizes that cannot belong together are refused before anything is sized
  // from them: stored data are as long as the file, and deflate does not
  // expand past its limit.
  if (method == 0 ? uncompSize != compSize
                  : compSize <= std::numeric_limits<UInt64>::max() / kMaxDeflateRatio &&
                        uncompSize > compSize * kMaxDeflateRatio)
    return false;

  z_stream zs{};
  zs.zalloc = zcAlloc;
  zs.zfree = zcFree;
  TZStreamEnd zend(zs, true);
  if (method == 8) {
    if (inflateInit2_(&zs, -MAX_WBITS, ZLIB_VERSION, static_cast<int>(sizeof(z_stream))) != Z_OK) return false;
    zend.Arm();
  }

  TBytes in(static_cast<size_t>(std::max<UInt64>(1, std::min<UInt64>(kInflateChunk, compSize))));
  // The output buffer need not outgrow the entry: many small entries each
  // get a small one (a byte more than the entry shows a stream that runs on).
  TBytes out(method == 8 ? static_cast<size_t>(uncompSize >= static_cast<UInt64>(kInflateChunk) ? kInflateChunk : uncompSize + 1) : 0);
  UInt64 compRead = 0;
  UInt64 total = 0;
  Cardinal crc = 0xFFFFFFFFu;
  const bool ranged = count != 0 || offset != 0;
  bool rangeStarted = false;
  bool stop = false;
  bool failed = false;
  bool ended = false;
  Int64 mark = 0;
  UInt64 chunkBase = 0;
  TTimedYield yield;

  auto raiseProgress = [&](UInt64 produced) {
    if (!FProgressEnabled) return;
    FProgress = static_cast<Int64>(chunkBase + produced);
    const Double part = static_cast<Double>(FProgress) / static_cast<Double>(FProgressMax);
    DoOnFileProgress(item.Name, part * 100.0, item.Operation, ppProcess, FProgressCancel);
    if (FProgressCancel) return;
    const Double files = FProcessedFileCount > 0 ? FProcessedFileCount : 1;
    DoOnOverallProgress((FProcessedFileNo + part) / files * 100.0, item.Operation, ppProcess, FProgressCancel);
  };
  // Writes extracted bytes: CRC, the declared-size bound and the range rule.
  auto emit = [&](const Byte* p, Int64 n) -> bool {
    if (n <= 0) return true;
    if (total + static_cast<UInt64>(n) > uncompSize) return false;
    if (dest->Write(p, n) != n) {
      fCodecWriteFailed = true;
      return false;
    }
    ZACRC32UpdateVar(crc, p, n);
    total += static_cast<UInt64>(n);
    if (ranged && !rangeStarted) {
      if (static_cast<Int64>(total) < offset) {
        dest->Seek(0, soBeginning);
      } else {
        rangeStarted = true;
        mark = dest->Position() - (static_cast<Int64>(total) - offset);
      }
    }
    if (count > 0 && rangeStarted && static_cast<Int64>(total) >= offset + count) stop = true;
    return true;
  };

  while (compRead < compSize && !stop && !ended && !FProgressCancel) {
    const Int64 n = static_cast<Int64>(std::min<UInt64>(kInflateChunk, compSize - compRead));
    if (readSome(in.data(), n) != n) {
      failed = true;
      break;
    }
    chunkBase = compRead;
    compRead += static_cast<UInt64>(n);
    if (aes)
      aes->DecryptBuffer(in.data(), 0, static_cast<Int32>(n), in.data(), 0);
    else if (encrypted)
      ZipDecryptBuffer(in.data(), n, keys);

    if (method == 0) {
      for (Int64 at = 0; at < n && !stop; at += kStoredBlock) {
        const Int64 len = std::min<Int64>(kStoredBlock, n - at);
        raiseProgress(static_cast<UInt64>(at + len));
        if (FProgressCancel || CodecStopped(yield, len)) break;
        if (!emit(in.data() + at, len)) {
          failed = true;
          break;
        }
      }
    } else {
      zs.next_in = in.data();
      zs.avail_in = static_cast<uInt>(n);
      UInt64 produced = 0;
      for (;;) {
        raiseProgress(produced);
        if (FProgressCancel || CodecStopped(yield, static_cast<Int64>(out.size()))) break;
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        const int r = inflate(&zs, Z_NO_FLUSH);
        if (r == Z_NEED_DICT || (r < 0 && !(r == Z_BUF_ERROR && zs.avail_in == 0))) {
          failed = true;
          break;
        }
        const Int64 got = static_cast<Int64>(out.size()) - static_cast<Int64>(zs.avail_out);
        produced += static_cast<UInt64>(got);
        if (!emit(out.data(), got)) {
          failed = true;
          break;
        }
        if (r == Z_STREAM_END) {
          ended = true;
          break;
        }
        if (stop || (zs.avail_out != 0 && zs.avail_in == 0) || r == Z_BUF_ERROR) break;
      }
    }
    if (failed) break;
  }
  zend.End();
  if (failed || FProgressCancel) return false;

  // The authentication code covers every stored byte, also those after a
  // range that ended early.
  if (aes) {
    while (compRead < compSize) {
      if (CodecStopped(yield, kInflateChunk)) return false;
      const Int64 n = static_cast<Int64>(std::min<UInt64>(kInflateChunk, compSize - compRead));
      if (readSome(in.data(), n) != n) return false;
      aes->DecryptBuffer(in.data(), 0, static_cast<Int32>(n), in.data(), 0);
      compRead += static_cast<UInt64>(n);
    }
  }

  if (count == 0 && total != uncompSize) return false;
  if (zipForm) {
    if (aes) {
      TBytes endBlock(aes->GetFileStorageEndBlockSize());
      if (readSome(endBlock.data(), static_cast<Int64>(endBlock.size())) != static_cast<Int64>(endBlock.size()))
        return false;
      TBytesStream endStream(endBlock);
      aes->LoadFileStorageEndBlock(&endStream, 0);
      if (aes->IsDirItemCorrupted(item, count == 0 ? ~crc : cd.crc32)) return false;
    } else if (count == 0 && cd.crc32 != ~crc) {
      return false;
    }
  }
  if (ranged && offset > 0 && rangeStarted) dest->Seek(mark, soBeginning);
  return true;
}

}  // namespace sk
