// Which program the desktop opens a file with, by the freedesktop.org rules:
// the file's MIME type from the shared MIME database's glob patterns, then
// the default application for that type from the mimeapps.list files (and the
// desktop-file cache), then the program its desktop file runs.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The MIME type that the name's glob patterns give ("text/plain"); "" when no
// pattern matches.  Only the name is looked at.
String MimeTypeOfFilename(const String& fileName);
// The desktop file id ("org.example.Viewer.desktop") of the default
// application for the MIME type; "" when none is set or installed.
String DefaultDesktopFileForMimeType(const String& mimeType);
// The full name of the program that opens the file by default (the first word
// of its desktop file's Exec line, found in PATH when it is not a full name);
// "" when the file does not exist or no program is registered for it.
String FindExecutableForFile(const String& fileName);

}  // namespace sk
