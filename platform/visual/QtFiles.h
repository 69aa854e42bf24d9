// Files that Qt reads or writes, reached by the name the system listed.
//
// Qt hands a file name to the system as UTF-8, which cannot carry the bytes
// of a name that is not UTF-8 (held here as U+DC00 + byte): such a name
// would reach another file or none. These read and write through the
// library's own file routines, which give the system the name's own bytes,
// and hand Qt the bytes or a name of the file already open.
#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QUrl>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The whole file's bytes; false when it cannot be opened or read, or holds
// more than limit bytes.
bool ReadFileForQt(const String& fileName, QByteArray& bytes, Int64 limit);
// Replaces the file whole with the bytes; false (the file as it was) when
// it cannot be written.
bool SaveFileForQt(const String& fileName, const QByteArray& bytes);
// The format Qt's image readers and writers know the file's extension by,
// in lower case ("png"); empty without an extension.
QByteArray ImageFormatOfName(const String& fileName);
// A file: URL of the name's own bytes.
QUrl LocalFileUrl(const String& fileName);

// A file opened for writing by its system name, that Qt writes to through a
// name of the open file (/proc/self/fd/N): for writers such as the PDF
// printer that take only a name. Closed when it goes.
class TFileOpenForQt {
 public:
  TFileOpenForQt() = default;
  ~TFileOpenForQt();
  TFileOpenForQt(const TFileOpenForQt&) = delete;
  TFileOpenForQt& operator=(const TFileOpenForQt&) = delete;
  // Creates or empties the file; false with the system's error in errno.
  bool OpenForWriting(const String& fileName);
  void Close();
  bool IsOpen() const { return fHandle >= 0; }
  // The name Qt opens the file by.
  QString QtName() const;

 private:
  int fHandle = -1;
};

}  // namespace sk
