#include "core/Sentence_terminators.h"

#include <algorithm>

#include "core/UnitCounter.h"

namespace sk {

// The lookups search these tables by halving, which needs strictly ascending order.
static_assert(std::is_sorted(other_sent_terminators.begin(), other_sent_terminators.end()));
static_assert(std::adjacent_find(other_sent_terminators.begin(), other_sent_terminators.end()) ==
              other_sent_terminators.end());
static_assert(std::is_sorted(punct_not_ending_sent.begin(), punct_not_ending_sent.end()));
static_assert(std::adjacent_find(punct_not_ending_sent.begin(), punct_not_ending_sent.end()) ==
              punct_not_ending_sent.end());
// Every slot is filled: the last entries are the last characters listed.
static_assert(other_sent_terminators.front() == 0x0589 && other_sent_terminators.back() == 0xFF61);
static_assert(punct_not_ending_sent.front() == 0x037E && punct_not_ending_sent.back() == 0xFF65);

SK_COUNTER_ONLY_UNIT(Sentence_terminators)

}  // namespace sk
