// The on-disk records of a zip archive: signatures, the local header, the
// central record, the end records (with zip64), the data descriptor and the
// extra blocks. Every record is read and written field by field in
// little-endian order at its stored size; the structs here are the in-memory
// form and are never copied to or from a file as a whole.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// ---------------------------------------------------------------------------
// Signatures. The zip form follows the published zip format; the engine's
// second form (the temporary archive of a repair) has its own local, central
// and end signatures.

inline constexpr Cardinal ZipLocalFileHeaderSignature = 0x04034B50;
inline constexpr Cardinal ZipCentralDirSignature = 0x02014B50;
inline constexpr Cardinal ZipCentralDirEndSignature = 0x06054B50;
inline constexpr Cardinal ZA2LocalFileHeaderSignature = 0x05045C61;
inline constexpr Cardinal ZA2CentralDirSignature = 0x03025C61;
inline constexpr Cardinal ZA2CentralDirEndSignature = 0x06054141;
inline constexpr Cardinal Zip64CentralDirEndSignature = 0x06064B50;
inline constexpr Cardinal Zip64CentralDirEndLocatorSignature = 0x07064B50;
inline constexpr Cardinal ZipDataDescriptorSignature = 0x08074B50;

inline Cardinal LocalFileHeaderSignatureOf(bool isZIPFormat) {
  return isZIPFormat ? ZipLocalFileHeaderSignature : ZA2LocalFileHeaderSignature;
}
inline Cardinal CentralDirSignatureOf(bool isZIPFormat) {
  return isZIPFormat ? ZipCentralDirSignature : ZA2CentralDirSignature;
}
inline Cardinal CentralDirEndSignatureOf(bool isZIPFormat) {
  return isZIPFormat ? ZipCentralDirEndSignature : ZA2CentralDirEndSignature;
}

// An entry whose extract version is below this is a zip-form entry.
inline constexpr Word ZA2MinExtractVersion = 0x4114;

// General-purpose flag bits.
inline constexpr Word ZAFlagEncrypted = 0x0001;
inline constexpr Word ZAFlagDataDescriptor = 0x0008;
inline constexpr Word ZAFlagUTF8Name = 0x0800;

// Extra blocks the engine knows.
inline constexpr Word Zip64ExtraFieldHeaderID = 0x0001;
inline constexpr Word UnicodeExtraFieldHeaderID = 0x554E;
inline constexpr Word AesExtraFieldHeaderID = 0x9901;

// ---------------------------------------------------------------------------
// Little-endian fields in byte buffers.

inline Word GetLE16(const Byte* p) { return static_cast<Word>(p[0] | (p[1] << 8)); }
inline Cardinal GetLE32(const Byte* p) {
  return static_cast<Cardinal>(p[0]) | (static_cast<Cardinal>(p[1]) << 8) | (static_cast<Cardinal>(p[2]) << 16) |
         (static_cast<Cardinal>(p[3]) << 24);
}
inline UInt64 GetLE64(const Byte* p) {
  return static_cast<UInt64>(GetLE32(p)) | (static_cast<UInt64>(GetLE32(p + 4)) << 32);
}
inline void PutLE16(Byte* p, Word v) {
  p[0] = static_cast<Byte>(v);
  p[1] = static_cast<Byte>(v >> 8);
}
inline void PutLE32(Byte* p, Cardinal v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<Byte>(v >> (8 * i));
}
inline void PutLE64(Byte* p, UInt64 v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<Byte>(v >> (8 * i));
}

// ---------------------------------------------------------------------------
// Records

// The local file header: 30 bytes, then the name, the extra blocks and the data.
struct TZAZipFileHeader {
  static constexpr Int32 Size = 30;
  Cardinal signature = 0;
  Word extractVersion = 0;
  Word genPurposeFlag = 0;
  Word compMethod = 0;
  Word lastModTime = 0;
  Word lastModDate = 0;
  Cardinal crc32 = 0;
  Cardinal compSize = 0;    // 0xFFFFFFFF: in the zip64 block
  Cardinal unCompSize = 0;  // 0xFFFFFFFF: in the zip64 block
  Word nameLength = 0;
  Word extraLength = 0;

  void ReadFrom(const Byte* p);
  void WriteTo(Byte* p) const;
  TBytes ToBytes() const;
};

// The central directory record: 46 bytes, then the name, the extra blocks and
// the comment.
struct TZAZipCentralDir {
  static constexpr Int32 Size = 46;
  Cardinal signature = 0;
  Word versionMadeBy = 0;
  Word extractVersion = 0;
  Word genPurposeFlag = 0;
  Word compMethod = 0;
  Word lastModTime = 0;
  Word lastModDate = 0;
  Cardinal crc32 = 0;
  Cardinal compSize = 0;    // 0xFFFFFFFF: in the zip64 block
  Cardinal unCompSize = 0;  // 0xFFFFFFFF: in the zip64 block
  Word nameLength = 0;
  Word extraLength = 0;
  Word commentLength = 0;
  Word diskNumberStart = 0;  // 0xFFFF: in the zip64 block
  Word internalAttr = 0;
  Cardinal externalAttr = 0;  // the platform's file attributes; 0x10 marks a folder
  Cardinal relOffsetLH = 0;   // 0xFFFFFFFF: in the zip64 block

  void ReadFrom(const Byte* p);
  void WriteTo(Byte* p) const;
  TBytes ToBytes() const;
};

// The end of central directory record: 22 bytes, then the archive comment.
struct TZAZipCentralDirEnd {
  static constexpr Int32 Size = 22;
  Cardinal signature = 0;
  Word diskNumber = 0;
  Word startDiskNumber = 0;
  Word entriesOnDisk = 0;
  Word entriesCentralDir = 0;
  Cardinal centralDirSize = 0;
  Cardinal offsetStartDir = 0;
  Word commentLength = 0;

  void ReadFrom(const Byte* p);
  void WriteTo(Byte* p) const;
  TBytes ToBytes() const;
};

// The zip64 end of central directory record: 56 bytes.
struct TZAZip64CentralDirEnd {
  static constexpr Int32 Size = 56;
  Cardinal signature = 0;
  UInt64 centralDirEndSize = 0;  // written 44
  Word versionMadeBy = 0;        // written 45
  Word versionNeededToExtract = 0;
  Cardinal diskNumber = 0;
  Cardinal startDiskNumber = 0;
  UInt64 entriesOnDisk = 0;
  UInt64 entriesCentralDir = 0;
  UInt64 centralDirSize = 0;
  UInt64 offsetStartDir = 0;

  void ReadFrom(const Byte* p);
  void WriteTo(Byte* p) const;
  TBytes ToBytes() const;
};

// The zip64 end locator: 20 bytes.
struct TZAZip64CentralDirEndLocator {
  static constexpr Int32 Size = 20;
  Cardinal signature = 0;
  Cardinal startDiskNumber = 0;
  UInt64 offsetStartDirEnd = 0;  // position of the zip64 end record
  Cardinal totalNumberOfDisks = 0;

  void ReadFrom(const Byte* p);
  void WriteTo(Byte* p) const;
  TBytes ToBytes() const;
};

// The data descriptor: 16 bytes.
struct TZAZipDataDescriptor {
  static constexpr Int32 Size = 16;
  Cardinal Signature = 0;
  Cardinal crc32 = 0;
  Cardinal compressedSize = 0;
  Cardinal uncompressedSize = 0;

  void ReadFrom(const Byte* p);
  void WriteTo(Byte* p) const;
  TBytes ToBytes() const;
};

// The values of an entry's zip64 block.
struct TZAZip64ExtendedInfo {
  UInt64 uncompSize = 0;
  UInt64 compSize = 0;
  UInt64 relOffsetLH = 0;
  Cardinal diskNumberStart = 0;
};

// One extra block other than zip64, owning its data (dataSize bytes).
struct TZAExtraFieldDataBlock {
  Word headerID = 0;
  Word dataSize = 0;
  TBytes pData;
};

// Unit start and stop (the unit has no work of its own).
void ZARecords_initialization();
void ZARecords_Finalization();

}  // namespace sk
