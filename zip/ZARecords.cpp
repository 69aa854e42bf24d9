#include "zip/ZARecords.h"

#include "core/UnitCounter.h"

namespace sk {

namespace {

template <class R>
TBytes BytesOf(const R& r) {
  TBytes b(static_cast<size_t>(R::Size));
  r.WriteTo(b.data());
  return b;
}

}  // namespace

void TZAZipFileHeader::ReadFrom(const Byte* p) {
  signature = GetLE32(p);
  extractVersion = GetLE16(p + 4);
  genPurposeFlag = GetLE16(p + 6);
  compMethod = GetLE16(p + 8);
  lastModTime = GetLE16(p + 10);
  lastModDate = GetLE16(p + 12);
  crc32 = GetLE32(p + 14);
  compSize = GetLE32(p + 18);
  unCompSize = GetLE32(p + 22);
  nameLength = GetLE16(p + 26);
  extraLength = GetLE16(p + 28);
}

void TZAZipFileHeader::WriteTo(Byte* p) const {
  PutLE32(p, signature);
  PutLE16(p + 4, extractVersion);
  PutLE16(p + 6, genPurposeFlag);
  PutLE16(p + 8, compMethod);
  PutLE16(p + 10, lastModTime);
  PutLE16(p + 12, lastModDate);
  PutLE32(p + 14, crc32);
  PutLE32(p + 18, compSize);
  PutLE32(p + 22, unCompSize);
  PutLE16(p + 26, nameLength);
  PutLE16(p + 28, extraLength);
}

TBytes TZAZipFileHeader::ToBytes() const { return BytesOf(*this); }

void TZAZipCentralDir::ReadFrom(const Byte* p) {
  signature = GetLE32(p);
  versionMadeBy = GetLE16(p + 4);
  extractVersion = GetLE16(p + 6);
  genPurposeFlag = GetLE16(p + 8);
  compMethod = GetLE16(p + 10);
  lastModTime = GetLE16(p + 12);
  lastModDate = GetLE16(p + 14);
  crc32 = GetLE32(p + 16);
  compSize = GetLE32(p + 20);
  unCompSize = GetLE32(p + 24);
  nameLength = GetLE16(p + 28);
  extraLength = GetLE16(p + 30);
  commentLength = GetLE16(p + 32);
  diskNumberStart = GetLE16(p + 34);
  internalAttr = GetLE16(p + 36);
  externalAttr = GetLE32(p + 38);
  relOffsetLH = GetLE32(p + 42);
}

void TZAZipCentralDir::WriteTo(Byte* p) const {
  PutLE32(p, signature);
  PutLE16(p + 4, versionMadeBy);
  PutLE16(p + 6, extractVersion);
  PutLE16(p + 8, genPurposeFlag);
  PutLE16(p + 10, compMethod);
  PutLE16(p + 12, lastModTime);
  PutLE16(p + 14, lastModDate);
  PutLE32(p + 16, crc32);
  PutLE32(p + 20, compSize);
  PutLE32(p + 24, unCompSize);
  PutLE16(p + 28, nameLength);
  PutLE16(p + 30, extraLength);
  PutLE16(p + 32, commentLength);
  PutLE16(p + 34, diskNumberStart);
  PutLE16(p + 36, internalAttr);
  PutLE32(p + 38, externalAttr);
  PutLE32(p + 42, relOffsetLH);
}

TBytes TZAZipCentralDir::ToBytes() const { return BytesOf(*this); }

void TZAZipCentralDirEnd::ReadFrom(const Byte* p) {
  signature = GetLE32(p);
  diskNumber = GetLE16(p + 4);
  startDiskNumber = GetLE16(p + 6);
  entriesOnDisk = GetLE16(p + 8);
  entriesCentralDir = GetLE16(p + 10);
  centralDirSize = GetLE32(p + 12);
  offsetStartDir = GetLE32(p + 16);
  commentLength = GetLE16(p + 20);
}

void TZAZipCentralDirEnd::WriteTo(Byte* p) const {
  PutLE32(p, signature);
  PutLE16(p + 4, diskNumber);
  PutLE16(p + 6, startDiskNumber);
  PutLE16(p + 8, entriesOnDisk);
  PutLE16(p + 10, entriesCentralDir);
  PutLE32(p + 12, centralDirSize);
  PutLE32(p + 16, offsetStartDir);
  PutLE16(p + 20, commentLength);
}

TBytes TZAZipCentralDirEnd::ToBytes() const { return BytesOf(*this); }

void TZAZip64CentralDirEnd::ReadFrom(const Byte* p) {
  signature = GetLE32(p);
  centralDirEndSize = GetLE64(p + 4);
  versionMadeBy = GetLE16(p + 12);
  versionNeededToExtract = GetLE16(p + 14);
  diskNumber = GetLE32(p + 16);
  startDiskNumber = GetLE32(p + 20);
  entriesOnDisk = GetLE64(p + 24);
  entriesCentralDir = GetLE64(p + 32);
  centralDirSize = GetLE64(p + 40);
  offsetStartDir = GetLE64(p + 48);
}

void TZAZip64CentralDirEnd::WriteTo(Byte* p) const {
  PutLE32(p, signature);
  PutLE64(p + 4, centralDirEndSize);
  PutLE16(p + 12, versionMadeBy);
  PutLE16(p + 14, versionNeededToExtract);
  PutLE32(p + 16, diskNumber);
  PutLE32(p + 20, startDiskNumber);
  PutLE64(p + 24, entriesOnDisk);
  PutLE64(p + 32, entriesCentralDir);
  PutLE64(p + 40, centralDirSize);
  PutLE64(p + 48, offsetStartDir);
}

TBytes TZAZip64CentralDirEnd::ToBytes() const { return BytesOf(*this); }

void TZAZip64CentralDirEndLocator::ReadFrom(const Byte* p) {
  signature = GetLE32(p);
  startDiskNumber = GetLE32(p + 4);
  offsetStartDirEnd = GetLE64(p + 8);
  totalNumberOfDisks = GetLE32(p + 16);
}

void TZAZip64CentralDirEndLocator::WriteTo(Byte* p) const {
  PutLE32(p, signature);
  PutLE32(p + 4, startDiskNumber);
  PutLE64(p + 8, offsetStartDirEnd);
  PutLE32(p + 16, totalNumberOfDisks);
}

TBytes TZAZip64CentralDirEndLocator::ToBytes() const { return BytesOf(*this); }

void TZAZipDataDescriptor::ReadFrom(const Byte* p) {
  Signature = GetLE32(p);
  crc32 = GetLE32(p + 4);
  compressedSize = GetLE32(p + 8);
  uncompressedSize = GetLE32(p + 12);
}

void TZAZipDataDescriptor::WriteTo(Byte* p) const {
  PutLE32(p, Signature);
  PutLE32(p + 4, crc32);
  PutLE32(p + 8, compressedSize);
  PutLE32(p + 12, uncompressedSize);
}

TBytes TZAZipDataDescriptor::ToBytes() const { return BytesOf(*this); }

SK_COUNTER_ONLY_UNIT(ZARecords)

}  // namespace sk
