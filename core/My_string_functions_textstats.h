// Where each paragraph, heading and sentence of a text starts and ends, found
// before the text is searched so that concordance lines can carry their
// sentence, paragraph and heading positions.
//
// AutoMarkTextStatsPositions appends the spans it finds (0-based character
// indexes, both inclusive) to Global_TextSectionsArr.stats_arr, records the
// span's index and kind in Global_TextSectionsArr.bufferful_chars at the
// span's first and last character, and sets the span-boundary bit (4096) in
// the text's character-class array there. The caller empties
// Global_TextSectionsArr and sizes bufferful_chars to the text before a new
// text, and sets Global_CRLFBreaks (the text's line spans as CRLF_LRs makes
// them) before sentences are marked. Every write into bufferful_chars and
// the class array is bounded by their sizes; a span whose index does not
// fit bufferful_chars' index field is recorded in stats_arr only.
#pragma once

#include <vector>

#include "core/Basic_types.h"

namespace sk {

// Marks the paragraphs and headings of the text (one per line span, 0-based
// start and finish; a span that holds no character of the text other than
// line breaks, such as the one span of an empty text, is passed over) and,
// when kinds holds stats_sentence, its sentences from the 1-based position
// start on. A line of 101 characters or more, or one that ends a sentence, is
// a paragraph; any other line a heading. A sentence ends at a terminator
// followed by a separator (a space, a line break or the end of the text) and
// then by anything but a lower-case letter; a sentence of 3 characters or
// fewer is not recorded, and a sentence never starts on a line break. Only
// the kinds in kinds are recorded.
void AutoMarkTextStatsPositions(const std::vector<TStartFinishIntegerRec>& lineSpans, const String& text,
                                std::vector<Word>& classes, Int32 start, TTextStatsSet kinds);

// From the line at index cursor of breaks (1-based spans) on, the first line
// whose next line starts after pos, or the last line: cursor becomes its
// index, lineEnd the next line's start minus 1 (the text's length minus 1 for
// the last line), and the answer is the line's span made 0-based (start - 1,
// finish - 1). When cursor is already past the last line (or below 0),
// nothing changes and the answer is (-1, -1).
TStartFinishIntegerRec FindCRLFBreaksLRStraddling(const String& text, Int32& cursor, Int32& lineEnd, Int32 pos,
                                                  const std::vector<TStartFinishIntegerRec>& breaks);

}  // namespace sk
