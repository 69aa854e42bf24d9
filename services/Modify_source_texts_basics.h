// Marks placed in a user's source texts: small markers inserted into the text
// files themselves, blanks altered inside a range, one backup of each file
// touched (the file's name with the extension ".original", made before the
// first change and never replaced), and a modification log.
//
// Every change of a source text replaces the file whole, so a failure or a
// crash leaves it byte for byte as it was or as it was meant to become. The
// alterations keep the file's encoding, byte-order mark and line ends: only
// the blanks changed differ.
//
// Modification log (modify_source_texts_logfullfilename): UTF-16LE text with
// its byte-order mark, one line per marker, fields separated by TAB and ended
// by CR LF: user, s4, s2, marker, the kind's text, n, then per kind
// (mst_set: TAB, TAB, the marker form of s1; mst_search_word: s1, TAB, s5,
// TAB), then a final TAB. Each line is appended under an exclusive lock on the
// log, numbered by the lines already there, so two tools writing at once never
// share a number; the lines already written are never rewritten.
#pragma once

#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

enum TModifySourceTexts : uint8_t { mst_none, mst_set, mst_search_word, mst_undo };
inline constexpr int TModifySourceTexts_Count = 4;

inline constexpr TEnumArray<TModifySourceTexts, const Char*, TModifySourceTexts_Count> modification_effected = {{
    u"", u"SET", u"SEARCHWORD", u"UNDO",
}};

// The full name of the modification log, set by the tool; cleared when the
// unit stops.
inline SK_CONSTINIT_TEXT String modify_source_texts_logfullfilename;

// The extension of the one backup of a source text.
inline constexpr Char source_text_backup_ext[] = u".original";

// The present moment / dt as "yyyymmddhhnn".
String NowAsInteger();
String ThenAsInteger(TDateTime dt);
// A 12-character text without blanks read as year (default 2006), month,
// day, hour and minute (each default 1 when not a number); the present moment
// for any other text, or when the parts form no date or time.
TDateTime IntegerStrToDayAndTime(const String& s);
// The kind whose log text is s exactly; mst_none when none is.
TModifySourceTexts StringToModification(const String& s);
// The n-th field (from 1) of text between separators; empty when there are
// fewer fields.
String LogParameters(const String& text, const String& separator, Int32 n);
// "<ut_" in front of a text that does not begin with "<", "/>" after one that
// does not end with ">".
String WithStartAndCloseMarkers(const String& s);
// The backup name of a source text.
String SourceTextBackupName(const String& filename);
// Makes the file's backup once per name: for a name not empty and not in
// done, copies the file to its backup name (never over an existing backup)
// and adds the name to done; a name whose backup could not be made stays out.
// The backup has its source's mode and group.  True when the backup exists
// afterwards.  Something else at the backup's name (a link, a folder, a file
// with other names, or one of another user) is never taken for the backup:
// the answer is then false and the file must not be changed.
bool EnsureBackup(const String& filename, TUTF8Stringlist& done);
// Inserts the marker form of text (text becomes it) at character position
// bytePos div 2 of a UTF-16 file, or, converted to the 8-bit code page of
// lcid, at byte position bytePos; the number of characters inserted, 0 when
// the file could not be backed up or changed.
Int32 InsertedIntoSourceText(const String& filename, String& text, Int32 bytePos, Cardinal lcid, bool isUnicode);
// Every blank outside tags among the characters start .. start + len - 1
// (1-based, counting the file's own characters after its byte-order mark,
// line ends included) becomes ch; answers the former text of the range.
// Raises EFOpenError when the file cannot be read and EFCreateError when the
// backup or the new content cannot be written; the file is then unchanged.
String AlterFileW(const String& filename, Char ch, Int32 start, Int32 len);
// The same with an 8-bit character of the process's ANSI code page; the
// answer is in that code page.
AnsiString AlterFileA(const String& filename, AnsiChar ch, Int32 start, Int32 len);
// Appends one line to the modification log and answers the marker
// (Format of the line above). The marker is the marker form of s3 followed by
// the line's number, or of "_" and the number when s3 is empty (the user is
// then the system's user name).  With a log named, a marker is answered only
// once its line is in the log: empty when the log cannot be opened, read
// whole or added to, so that no number is handed out twice.  A log in UTF-8
// or an 8-bit code page (made elsewhere) takes no line with a name that has
// a byte that is not UTF-8 (U+DC00 + byte): the answer is then empty too.
String LogDateReference(const String& s1, const String& s2, const String& s3, const String& s4, const String& s5,
                        Int32 n, TModifySourceTexts kind);

// Unit start (nothing) and stop (clears the log name).
void Modify_source_texts_basics_initialization();
void Modify_source_texts_basics_Finalization();

}  // namespace sk
