#include "zip/ZADirManager_single.h"

#include "zip/ZAExcept.h"

namespace sk {

TZASingleVolumeArchiver::TZASingleVolumeArchiver(TStream* stream) { FCompressedStream = stream; }

TZASingleVolumeArchiver::TZASingleVolumeArchiver(const String& fileName, Word mode) : FileOpenMode(mode) {
  FFileName = fileName;
}

TZASingleVolumeArchiver::~TZASingleVolumeArchiver() = default;

void TZASingleVolumeArchiver::OpenVolume(TZAVolumeNumberInfo& volume) {
  if (FSpanningMode != smNone) throw EZAException(45, this);
  if (FCompressedStream == nullptr) ReopenFileStream(FFileName, FileOpenMode);
  FVolumeNumberInfo.FVolumeNumber = volume.FVolumeNumber;
  FVolumeNumberInfo.FVolumeKind = volume.FVolumeKind;
}

void TZASingleVolumeArchiver::WriteBufferToStream(const void* buffer, Int64 count, TStream*& stream,
                                                  TZAVolumeNumberInfo&, Int32, TStream* pending) {
  TStream* target = pending != nullptr ? pending : stream;
  if (count <= 0) return;
  if (target == nullptr || target->Write(buffer, count) != count) throw EZAException(46, this);
}

String TZASingleVolumeArchiver::MakeDefaultVolumeName(const String& archiveName, Int32, bool) {
  return archiveName;
}

void TZASingleVolumeArchiver::ReopenFileStream(const String& fileName, Word mode) {
  CloseCompressedStream();
  fOwnedStream = std::make_unique<TFileStream>(fileName, mode);
  FCompressedStream = fOwnedStream.get();
  VolumeFileName = fileName;
}

void TZASingleVolumeArchiver::CloseCompressedStream() {
  FCompressedStream = nullptr;
  fOwnedStream.reset();
}

}  // namespace sk
