// Resource strings: named texts with a numeric identifier and a built-in text,
// loaded at each use so that a translation installed later takes effect.
//
// An entry is a constant record (TResStringRec) that a message-table unit
// exports by name; code loads it with LoadResString(&entry). The loader keeps
// no copy of a resolved text in the entry: every call looks the identifier up
// in the translation installed at that moment and falls back to the built-in
// text. An identifier without a translation, or with an empty one, always
// gives the built-in text, never an empty string.
//
// Translation file (LoadResStringTranslations): a text file in UTF-8 (with or
// without a byte-order mark) or UTF-16 with a byte-order mark, one entry per
// line in the form
//     identifier=text
// where identifier is a decimal number from 0 to 65535 and text runs to the
// end of the line, blanks included. Inside the text "\n" stands for a line
// feed, "\t" for a tab and "\\" for one backslash; any other backslash is kept
// as written (so texts that carry the two characters backslash and r keep
// them). Blank lines and lines whose first non-blank character is ';' or '#'
// are comments; malformed lines are skipped. When an identifier appears twice
// the later line wins.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// One resource string. Identifier is the string's number in the library's
// string space; Text is the built-in (untranslated) text, zero-terminated;
// Name is the entry's name, for diagnostics and translation tools.
struct TResStringRec {
  Int32 Identifier;
  const Char* Text;
  const char* Name;
};

// The text of the entry: its translation when one is installed and not empty,
// otherwise its built-in text. A null entry gives the empty string.
String LoadResString(const TResStringRec* rec);
String LoadResString(const TResStringRec& rec);

// The translated text of an identifier, or the empty string when none is
// installed (for tools that list what a translation covers).
String ResStringTranslation(Int32 identifier);

// Installs the translations of a file, replacing any installed before. False
// when the file cannot be opened or read, or is too large (over 16 MiB); the
// translations installed before then stay in force. Any other file is read as
// text: lines that are not translations are skipped, so a file without any
// (an empty one, for instance) leaves every entry with its built-in text.
bool LoadResStringTranslations(const String& fileName);

// Removes every installed translation: all entries give their built-in texts.
void ClearResStringTranslations();

// The number of identifiers that currently have a non-empty translation.
Int32 ResStringTranslationCount();

}  // namespace sk
