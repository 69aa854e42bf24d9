#include "analysis/Search_parsing.h"

#include "core/Qm_specific_consts.h"
#include "core/UnitCounter.h"

namespace sk {

String TagWildcardConverted(const String& s) {
  String t = s;
  for (const TTagWildcardPair& pair : tag_wildcards_converters) {
    const Char symbol = pair[original_char];
    const String quoted{u'"', symbol, u'"'};
    // Positions are looked up in the text as already converted, so the place
    // found and the place changed are always the same.
    const size_t q = t.find(quoted);
    if (q != String::npos) {
      t.replace(q, quoted.size(), 1, symbol);
      continue;
    }
    const size_t p = t.find(symbol);
    if (p != String::npos) t[p] = pair[replacement_char];
  }
  return t;
}

SK_COUNTER_ONLY_UNIT(Search_parsing)

}  // namespace sk
