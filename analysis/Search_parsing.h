// Search-word syntax: the helpers that turn what a user types into the
// working patterns the matcher reads.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Turns the tag wildcards of a text-selection or tag search text into their
// control codes. The five pairs of tag_wildcards_converters are taken in
// order ("~" 31, "^" 30, "*" 29, "?" 28, "#" 27): when the wildcard occurs
// between double quotes, its first quoted form becomes the bare wildcard (a
// literal); otherwise its first bare occurrence becomes its code. Each pair
// finds its symbol in the text as the pairs before it left it. Every other
// character is left as it is; an empty text gives the empty string.
String TagWildcardConverted(const String& s);

// Unit start and stop (the unit has no work of its own).
void Search_parsing_initialization();
void Search_parsing_Finalization();

}  // namespace sk
