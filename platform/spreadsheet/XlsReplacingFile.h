// A file written beside its target and put in the target's place only once
// it is complete, so that a failed save leaves the target as it was.
#pragma once

#include <string>

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TXlsReplacingFile {
 public:
  // Creates a new, empty file in the target's folder (a symbolic link is
  // followed to the file it names).  Raises EXlsError when the target is a
  // folder or no file can be made there.
  explicit TXlsReplacingFile(const String& target);
  // Removes the new file unless it was committed.
  ~TXlsReplacingFile();
  TXlsReplacingFile(const TXlsReplacingFile&) = delete;
  TXlsReplacingFile& operator=(const TXlsReplacingFile&) = delete;

  // Where to write (UTF-8).
  const std::string& Path() const { return fTemp; }
  // Flushes the new file to disk and renames it over the target; an existing
  // target's permissions carry over.  Raises EXlsError on failure (the target
  // untouched, the new file removed).
  void Commit();

 private:
  std::string fTarget;
  std::string fTemp;
  bool fCommitted = false;
};

}  // namespace sk
