// Tags and header values in marked-up text, colour words, the running text of
// a .docx document, and a few small file-name helpers.
//
// A tag is text in angle brackets; its closing form has "/" after "<". Colour
// words are written in a text as "<#" + hexadecimal digits + ">" in front of
// the word they colour. Positions are 1-based.
#pragma once

#include <memory>

#include "core/Basic_types.h"

namespace sk {

class TStringlistWithALongint;

// The closing form of a tag: "<p>" gives "</p>"; a tag name without "<" gets
// "/" in front ("p" gives "/p"); "" stays "".
String SameTagButSwitchedOff(const String& tag);

// When tag ends with ">", a space and the number n in double quotes are put
// before that last character ('<p>' with 3 gives '<p "3">'); otherwise tag.
String TagOnNumbered(const String& tag, Int32 n);

// With an empty endMarker: after every trailing ")", "]" and "}" is stripped,
// true when something remains and its last character is not a potential
// sentence terminator. With an endMarker: true when line ends with it exactly.
bool IsAHeading(const String& line, const String& endMarker);

// The text between "<tag>" and the first "</tag>" when both occur and the
// closing tag comes after the opening one (found = true); otherwise '' and
// found = false. The trimmed form trims the value.
String SimpleTagValue(const String& tag, const String& text, bool& found);
String TrimmedSimpleTagValue(const String& tag, const String& text, bool& found);

// The trimmed text between the first opening tag (tag in angle brackets) in
// the file and the next closing tag after it; '' for a missing file, when the
// file holds no opening tag, or when no closing tag follows it.
String GetHeaderValueWithinFile(const String& fileName, const String& tag);

// The text cut into pieces, each with a colour as its number: the pieces
// between colour words get 0, each coloured word (up to and including the
// space after it, or up to the next colour word or the end of the text) gets
// its colour. A "<#...>" whose digits are not hexadecimal stays in the text.
// The caller owns the list.
std::unique_ptr<TStringlistWithALongint> StringWithHexColourWordsToStringlist(const String& text);

// The running text of a Word .docx document: one line (ending CR LF) per
// paragraph, holding its text runs joined, with alternate content replaced
// by its fallback and the XML character entities decoded. '' when the file
// does not exist, cannot be read as a zip archive or holds no document part.
String DOCXFileText(const String& fileName);

// The part before and after the last "/" or "\" (either counts); a path with
// neither gives the whole path for both.
String BothSlashesExtractFilepath(const String& path);
String BothSlashesExtractFilename(const String& path);

// Appends ext when fileName has no extension.
void EnsureFileHasExtension(String& fileName, const String& ext);

// With beforeExtension, insertion goes just before the extension (at the end
// when there is none); otherwise at the end.
String FilenameWithInsertion(const String& fileName, const String& insertion, bool beforeExtension);

}  // namespace sk
