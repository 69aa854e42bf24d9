// The zip engine's string helpers for hosts: the ordering and case tables of
// the ANSI code page, built from the user's locale when the library starts,
// and the Q_ comparison routines.
#pragma once

#include <array>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Tables indexed by a byte value, built by the unit's start work:
//   ToAnsiChars   the ordering of each byte under the locale's comparison,
//                 or, when that ordering is no permutation of 0 to 255, the
//                 OEM-to-ANSI conversion of each byte;
//   ToOemChars    the inverse ordering, or the ANSI-to-OEM conversion;
//   ToUpperChars, ToLowerChars  the upper- and lower-case byte of each byte.
inline constinit std::array<Word, 256> ToAnsiChars{};
inline constinit std::array<Word, 256> ToOemChars{};
inline constinit std::array<Word, 256> ToUpperChars{};
inline constinit std::array<Word, 256> ToLowerChars{};

// The fixed tables of the Turkish locale (code page 1254): the ordering
// (each byte's character code), and the case maps in which i (0x69) goes up
// to 0xDD and I (0x49) down to 0xFD.
extern const std::array<Word, 256> TurkishToAnsiChars;
extern const std::array<Word, 256> TurkishToUpperChars;
extern const std::array<Word, 256> TurkishToLowerChars;

// Whether the start-up ordering table is a permutation of 0 to 255.
bool ZAAnsiTablesArePermutation();
// Builds the tables for the user's default locale (the unit's start work;
// callable again after the locale changed).
void BuildZAStringTables();

// Stubs kept for hosts: each raises Exception("Not implemented 40") to
// ("Not implemented 46"), as listed.
Int32 Q_PCompStr(const char* p1, const char* p2);                             // 40
Int32 Q_CompStrL(const AnsiString& s1, const AnsiString& s2, Cardinal maxL);  // 41
Int32 Q_PCompText(const char* p1, const char* p2);                            // 42
Int32 Q_CompTextL(const AnsiString& s1, const AnsiString& s2, Cardinal maxL); // 43
void Q_PStrToAnsi(char* p);                                                    // 45
void Q_PStrToOem(char* p);                                                     // 46

// Comparisons of ANSI text under the user's locale, -1, 0 or 1: case-sensitive
// whole, case-sensitive of at most maxL characters, case-insensitive whole,
// case-insensitive of at most maxL characters. When the start-up ordering is
// a permutation they go through the ordering conversion, which raises
// "Not implemented 45".
Int32 Q_AnsiPCompStr(const char* p1, const char* p2);
Int32 Q_AnsiCompStrL(const AnsiString& s1, const AnsiString& s2, Cardinal maxL);
Int32 Q_AnsiPCompText(const char* p1, const char* p2);
Int32 Q_AnsiCompTextL(const AnsiString& s1, const AnsiString& s2, Cardinal maxL);

// Unit start and stop: starting builds the tables.
void ZAStrUtils_initialization();
void ZAStrUtils_Finalization();

}  // namespace sk
