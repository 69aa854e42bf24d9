// The suite's zip glue: naming rules for archives and for members of
// archives, reading saved results and texts out of archives, listing what an
// archive holds, and zipping a series of exported files.
//
// A member of an archive is named by a path: the archive's path, a separator
// ("/" or "\"), then the member's path inside the archive, for example
// "/data/results.zip/list1.dat".
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/ZipReader.h"
#include "zip/ZATypes.h"

namespace sk {

class TZABaseArchiver;
class TZipArchiver;
class TEncoding;

// The platform zip reader with two ways of copying a member into a stream.
class TMyZip : public TZipFile {
 public:
  // The member's bytes are copied into stream as they are inflated, and the
  // stream is rewound afterwards. EZipException when the name is not in the
  // archive, and before anything is inflated when the member's stated size
  // would take the read past the inflate bounds (zip_InflateBounds); a
  // member found damaged at its end raises after its bytes were written.
  void ExtractToStream(const String& name, TStream* stream);
  void ExtractToStream(Int32 index, TStream* stream);
};

// Raises the engine's error "member too large to read" (EZAException, native
// code 78) when the entry that extracting name reaches states a size that
// would take one read of the archive past the inflate bounds
// (zip_InflateBounds); the engine's error 15 when there is no such entry.
// Extracting stops at the stated size, so an entry that passes this check
// inflates no further than the bounds allow. Answers the stated size.
Int64 CheckEntryWithinInflateBounds(TZABaseArchiver& archiver, const String& name);

// Reads entry index of the archive named by archiver's file name into
// stream and tests its first 316 bytes as a saved-results header of the
// running tool. filename is the entry's stored name; OK is false when the
// member is shorter than the header, of another tool, or there is no such
// entry. The stream is left just after the header. A member whose header is
// not the running tool's is not read past its first piece: the stream then
// holds just the header. A member past the inflate bounds raises before
// anything of it is inflated.
TBoolFilenameAndCheck GotOneFromZipToMemoryStream(TZipArchiver& archiver, TMemoryStream& stream, Int32 index);
// The same through the platform reader (which is opened and closed here).
TBoolFilenameAndCheck GotOneFromZipToMemoryStream(const String& zipFileName, TMyZip& zip, TMemoryStream& stream,
                                                  Int32 index);

// The member's text, its encoding detected from a byte-order mark; empty
// when the archive has no such member.
String TextFromZipfile(const String& zipFileName, const String& member, TEncoding*& encoding);
// Through an open archiver: the first entry matching the name or mask, as
// text followed by one blank; empty when nothing matches. unused is not read.
String TextFromZipfile(TZipArchiver& archiver, const String& memberOrMask, Int32 unused, TEncoding*& encoding,
                       Int32& preambleLength);

// Saves the text member named by memberPath into targetFolder under the
// member's own path, in its own encoding. memberName receives the member's
// path. A member path that is absolute or holds a ".." element is refused
// (not OK, nothing written): it would land outside the target folder.
TStringAndBooleanRec SaveAFileWithinZipfile(const String& memberPath, const String& targetFolder,
                                            String& memberName);

// 0 when the archive holds an entry of that name (any case), else -1.
Int32 IndexOfFileWithinZipFile(const String& zipFileName, const String& member);
// The number of members the platform reader lists.
Int32 FileCountWithinZip(const String& zipFileName);
// One line per member in archive order, each carrying its 1-based line
// number as its object; withPath puts the archive name and a separator in
// front. The first lists through the platform reader, the second through the
// engine.
std::unique_ptr<TStringList> FilenamesWithinSystemZipfile(const String& zipFileName, bool withPath);
std::unique_ptr<TStringList> FilenamesWithinZipfile(const String& zipFileName, bool withPath);

// A DOS date and time as a date-time; a date of 0 gives 1980-01-01.
TDateTime DateTimeOfZipItem(Word date, Word time);

// Zips the listed files into a new archive of that name, storing paths by
// mode. The archive is built under a temporary name and put in place of an
// existing one only when complete. With deleteSources, a source is deleted
// only when it is in the new archive, and only while its name still holds
// the file that was read. False when a file was not stored, a source to
// delete stays, or the archive could not be put in place (an old archive
// then stays).
bool ZipASeriesOfFilesTo(const TStrings& files, const String& zipFileName, TZAStorePathMode storePath,
                         bool deleteSources);

// The number that follows the zip extension in a file name's extension
// (".zip3" gives 3), or -1 when the extension is not longer than the zip
// extension or the rest is not an integer. The leading characters are not
// compared here.
Int32 ZipFilePlusNumber(const String& filename);

// True when the file name's extension is the zip extension in any case, or the
// zip extension followed by an integer of at least 0 (a numbered part). Only
// the name is examined: the file is not opened and need not exist.
bool IsAZipFile(const String& filename);

// True when the path names a member of an archive: it contains ".zip/" or
// ".zip\" (any case) or the host's marker, and no file or folder of that
// name exists, and the archive part is not a folder.
bool IsWithinAZipFile(const String& path);
// The archive part of a member path, or empty when it has none.
String ZipFileFullFileName(const String& path);
// The member part of a member path (after the archive and its separator), or
// empty when it has none.
String ZipFileWantedFileNameWithin(const String& path);

// Unit start and stop (the unit has no work of its own).
void Zip_utils_initialization();
void Zip_utils_Finalization();

}  // namespace sk
