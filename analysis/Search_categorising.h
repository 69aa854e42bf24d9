// Row conditions: a pair of requirements on a results list's column values
// joined by and, or or but not; testing a row against them, describing them
// as text and storing one in a stream.
//
// Stored form of a condition: Int32 requirement count (2 when written; a
// reader takes 0 to 2), then per requirement 104 bytes and its first search
// string as a stored string (Int32 count of UTF-16 units, then the units).
// The 104 bytes, little-endian:
//   0 columntype (byte), 1 concordance_data, 2..3 zero, 4 original_Col_num,
//   8 data_index, 12 colour, 16 found, 20 word_span, 24 search_word_pos,
//   28 n_actual (Single), 32 found_percent (Single), 36 n_seek (two Singles),
//   44 how (byte), 45..47 zero, 48 eight zero bytes (reference slot),
//   56 eight zero bytes (reference slot), 64 the first search flags (byte)
//   and seven zero bytes, 72 eight zero bytes (reference slot), 80 the second
//   search flags (byte) and seven zero bytes, 88 opposite,
//   89 other_data_numerical, 90 Compare_with_OtherDataColumn, 91 activated,
//   92 other_data_column, 96 n_other_data_column_actual (Single),
//   100 is_marked, 101 is_joined_head, 102 is_joined_member, 103 is_matched.
#pragma once

#include <array>
#include <vector>

#include "analysis/Search_categorising_messages.h"
#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

struct TConditionSeekRec {
  TSearchMethodRequirement seek{};
  bool concordance_data{};
  TColumnType columntype{};
};

class TConditionSeekHolder : public TObject {
 public:
  explicit TConditionSeekHolder(const TConditionSeekRec& rec) : data(rec) {}
  TConditionSeekRec data;
};

inline constexpr Int32 StoredRequirementSize = 104;
using TStoredRequirementBytes = std::array<Byte, StoredRequirementSize>;

// The stored bytes of one requirement, built field by field.
TStoredRequirementBytes StoredRequirementBytes(const TSearchRequirementRec& rec);
// Reads them back into rec (the fields they hold; the others are left).
// False for a how, column type or mark byte outside its enumeration.
bool RequirementFromStoredBytes(const TStoredRequirementBytes& bytes, TSearchRequirementRec& rec);

// Holds one condition.
class TRequirementsArrayHolder : public TObject {
 public:
  explicit TRequirementsArrayHolder(const TDoubleSearchCategoryRec& condition) : data(condition) {}
  // Two requirements; true when every byte was written.
  bool SaveToStream(TStream* stream) const;
  // Clears the condition, then reads. True only when the count is 0 to 2
  // and every requirement and string was read whole and valid; after a
  // failure nothing more is stored.
  bool LoadFromStream(TStream* stream);
  TDoubleSearchCategoryRec data;
};

// Whether the values put into the condition's requirements meet it.
bool SearchConditionsMet(const TDoubleSearchCategoryRec& condition);
// The colour of the first requirement of every condition met; each met
// condition's first requirement's found rises by one.
std::vector<TConditionsMetRec> AnyCategConditionsMet(std::vector<TDoubleSearchCategoryRec>& conditions);
// White for none; else the colours mixed in turn, half and half.
TColor MeanColourOf(const std::vector<TConditionsMetRec>& colours);
// The word-counting context of how around the occurrence of word (found
// with flagsA) nearest to midpoint (the first on a tie); '' when word does
// not occur.
String NearestContextToMidpoint(TSearchMethodRequirement how, const String& text, const String& word, Int32 span,
                                Int32 midpoint, TMSSearchFlags flagsA, TMSSearchFlags flagsB);
// "condition: ..." or "conditions: (...) and (...)" and so on. With html the
// values are emboldened with <b> tags and angle brackets in the user's texts
// become entities; without, no <b> tags are left.
String TextVersionOfBothConditionChoices(const TDoubleSearchCategoryRec& condition, bool html);
// The stored bytes are equal and so are both search strings.
bool IdenticalSearchRequirements(const TSearchRequirementRec& a, const TSearchRequirementRec& b);

}  // namespace sk
