// Markup in text: angle-bracket tags removed, blanked out or extracted, the
// bold tags of HTML put in or taken out, and texts bracketed or unbracketed.
//
// A tag runs from an opening character to the next closing character ("<" and
// ">" unless a routine takes others). A maximum tag length keeps a stray "<" in
// ordinary text from being read as the start of a tag. All replacements are
// case-sensitive unless said otherwise.
#pragma once

#include "core/Basic_types.h"

namespace sk {

// The text between the first start marker and the first end marker at or after
// it; '' when either is missing or when the end marker overlaps the start marker.
String ExtractMarkupDataFromText(const String& text, const String& startMarker, const String& endMarker);

// The text with every tag removed, brackets included. A tag goes when its
// closing character (or the end of the text, for a tag left open) lies at most
// maxLen positions after its opening character; a longer one stays whole and
// its opening character counts as ordinary text. maxLen below 1: unchanged.
String WithoutMarkup(const String& text, Char open, Char close, Int32 maxLen);
String WithoutMarkup(const String& text, Int32 maxLen);

// The inside of every such tag overwritten with spaces; the brackets stay, so
// every position keeps its character's place. A span too long to be a tag is
// skipped whole (tags inside it are not looked for). maxLen below 1: unchanged.
String BlankedOutMarkup(const String& text, Char open, Char close, Int32 maxLen);

// Only the tags, concatenated in order. A tag is kept when its closing
// character lies less than maxLen positions after its opening one (one shorter
// than WithoutMarkup's limit); an opening character without a later closing
// one contributes nothing. Each opening character starts a tag of its own, so
// an opening character inside a tag gives a second, overlapping copy (as far
// as the result, no longer than the text, has room).
String MarkupWithoutText(const String& text, Char open, Char close, Int32 maxLen);
String MarkupWithoutText(const String& text, Int32 maxLen);

// The whole file's bytes decoded (encoding detected from a byte-order mark),
// each run of characters below U+0021 made one space, and the tags removed as
// WithoutMarkup does. A file that cannot be read raises the stream error.
String MarkupFreeTextFromAFile(const String& fileName, Int32 maxLen);

// s without its two leading and two trailing characters when it both begins
// and ends with "=="; otherwise s.
String WithoutCaseSensitiveSearchMarkers(const String& s);

// The n-th space-separated piece of a tag (from 0: the element name with its
// "<"), in angle brackets: '<w a="1" b="2">' gives '<w >', '<a="1" >' and
// '<b="2">' for n = 0, 1 and 2. '' when there is no n-th piece.
String AttributeNOfTagStr(const String& tag, Int32 n);

// open in front unless s begins with it, close at the end unless s ends with it.
String BracketedWith(const String& s, Char open, Char close);
// The first character dropped when it is open, then the last character dropped
// when s ended with close.
String UNBracketedWith(const String& s, Char open, Char close);
// The first character is open and the last is close (false for '').
bool IsBracketed(const String& s, Char open, Char close);
String Angle_Bracketed(const String& s);
String UNAngle_Bracketed(const String& s);
String Round_Bracketed(const String& s);
bool IsAngleBracketed(const String& s);
bool IsRoundBracketed(const String& s);

// ---- HTML ---------------------------------------------------------------------------
// Every "<" made "&lt;", then every ">" made "&gt;".
String AnyAngleBracketsToHTML(const String& s);
// Tag by tag: a "<" with a later ">" becomes "&lt;" and that ">" "&gt;", except
// the bold tags "<B>" and "</B>" in either case, which stay; a "<" without a
// later ">" stays.
String ChangeAngleBracketsToHTML(const String& s);
// Every "&lt;" made "<", then every "&gt;" made ">".
String ChangeHTMLToAngleBrackets(const String& s);
// "<B>" + s + "</B>".
String Emboldened(const String& s);
String HTMLBolded(const String& s);
// The closing tag of an element: 'b' gives '</b>'.
String HTMLSwitchedOff(const String& name);
// Every "<B>" and every "</B>" removed (exact case).
String StrippedHTMLBold(const String& s);
// StrippedHTMLBold, then the entities of angle brackets turned back.
String StrippedHTML(const String& s);
// A leading "<B>" and a trailing "</B>" removed, each only when present.
String StrippedHTMLBoldAtEnds(const String& s);
// s begins with "<B>" and ends with "</B>" (exact case).
bool IsHTMLBoldAtEnds(const String& s);

}  // namespace sk
