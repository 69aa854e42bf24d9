// Constants shared by the whole library and the tools.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Zero-terminated UTF-16 texts: usable wherever a String is expected.
inline constexpr Char nowt[] = u"";
inline constexpr Char HTML_comment_on[] = u"<!--";
inline constexpr Char HTML_comment_off[] = u"-->";

inline constexpr Single mm_to_inch = 0.0393700786f;
inline constexpr Single inch_to_cm = 2.54f;
inline constexpr Single inch_to_mm = 25.4f;
inline constexpr Single inch_to_mm100 = 2540.0f;

inline constexpr Char default_tag_translation_starter = u'&';
inline constexpr Char default_tag_switch_off = u'/';
// The first private-use character stands for a word that was not found.
inline constexpr Char Nowt_WordNotFound = u'\uE000';
inline constexpr Char Nowt_Asterisk = u'*';

// Carriage return and line feed as one-byte characters.
inline constexpr AnsiChar Ansicrlf[] = "\r\n";

inline constexpr Char same_file_const[] = u"$SAME_FILE";
// Placeholders in stored file names for the program's own folder and its drive.
inline constexpr Char user_dir_const[] = u"$userdir";
inline constexpr Char user_drive_const[] = u"$user_drive";

// Unit start and stop (the unit has no work of its own).
void Basic_consts_initialization();
void Basic_consts_Finalization();

}  // namespace sk
