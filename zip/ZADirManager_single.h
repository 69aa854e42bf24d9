// The archiver link of an archive held in one stream or one file, without
// volumes: what the directory manager uses when no archiver component
// stands behind it (tools that only list or rewrite a directory, and tests).
#pragma once

#include <memory>

#include "zip/ZADirManager.h"

namespace sk {

class TZASingleVolumeArchiver : public TZAArchiverLink {
 public:
  // An archive in the caller's stream, which stays the caller's.
  explicit TZASingleVolumeArchiver(TStream* stream);
  // An archive in a file, opened on the first OpenVolume (or ReopenFileStream)
  // with mode and freed with the link.
  TZASingleVolumeArchiver(const String& fileName, Word mode);
  ~TZASingleVolumeArchiver() override;

  // Opens the archive file when no stream is open and records the volume
  // as the current one; a spanned or split archive raises engine error 45.
  void OpenVolume(TZAVolumeNumberInfo& volume) override;
  // One write; fewer bytes written than count raise engine error 46.
  void WriteBufferToStream(const void* buffer, Int64 count, TStream*& stream, TZAVolumeNumberInfo& volume,
                           Int32 reserve, TStream* pending) override;
  // A single volume is the archive itself: the name is returned unchanged.
  String MakeDefaultVolumeName(const String& archiveName, Int32 volumeNumber, bool preferExisting) override;
  void ReopenFileStream(const String& fileName, Word mode) override;
  void CloseCompressedStream() override;

  Word FileOpenMode = fmOpenRead;

 private:
  std::unique_ptr<TStream> fOwnedStream;
};

}  // namespace sk
