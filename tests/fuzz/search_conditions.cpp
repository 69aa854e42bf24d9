// Fuzz target: a stored row condition read back. A condition that reads must
// save again to the same bytes (count 2) and describe itself; every test runs
// on whatever values it holds.
#include <cstddef>
#include <cstdint>

#include "analysis/Search_categorising.h"
#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"

namespace {

using namespace sk;

TDoubleSearchCategoryRec Condition(TSearchMethodRequirement how0, TSearchMethodRequirement how1,
                                   TColumnType type, const String& s0, const String& s1) {
  TDoubleSearchCategoryRec c{};
  for (TSearchRequirementRec& r : c.requirement) {
    r.header_info = TSearchHeaderInfoRec{type, false, 2, 2};
    r.activated = true;
    r.colour = 0x00FF00;
    r.word_span = 3;
    r.n_seek = {5.0f, 50.0f};
    r.search_str_recs[0] = TSearchReqStringAndFlags{s0, TMSSearchFlags{msLeftBounded}};
  }
  c.requirement[0].how = how0;
  c.requirement[1].how = how1;
  c.requirement[1].search_str_recs[0].search_str = s1;
  c.requirement[1].opposite = true;
  c.requirement[1].is_marked = marcado_boss;
  c.linkage = ccl_but_not;
  return c;
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  const TDoubleSearchCategoryRec conditions[] = {
      Condition(ccp_StartsWith, ccp_GreaterThan, ct_string, u"the", u"m"),
      Condition(ccp_Between, ccp_is_matched, ct_integer, String(), String()),
      Condition(ccp_FoundWithinNWordsOf, ccp_WordLengthLessThan, ct_string, u"caf\u00e9 <b>", u""),
  };
  for (const TDoubleSearchCategoryRec& c : conditions) {
    TMemoryStream s;
    if (!TRequirementsArrayHolder(c).SaveToStream(&s)) sk::fuzz::Fail("seed", __FILE__, __LINE__);
    seeds.Add(s.ToBytes());
  }
  // One requirement only, and none.
  TMemoryStream one;
  TRequirementsArrayHolder(conditions[0]).SaveToStream(&one);
  TBytes b = one.ToBytes();
  b[0] = 1;
  b.resize(4 + 104 + 4 + 6);
  seeds.Add(b);
  seeds.Add(TBytes{0, 0, 0, 0});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBytesStream stream(TBytes(data, data + size));
  TRequirementsArrayHolder holder(TDoubleSearchCategoryRec{});
  if (!holder.LoadFromStream(&stream)) return 0;
  TMemoryStream out;
  SK_FUZZ_CHECK(holder.SaveToStream(&out));
  TBytesStream again(out.ToBytes());
  TRequirementsArrayHolder back(TDoubleSearchCategoryRec{});
  SK_FUZZ_CHECK(back.LoadFromStream(&again));
  for (int k = 0; k < 2; ++k)
    SK_FUZZ_CHECK(IdenticalSearchRequirements(holder.data.requirement[static_cast<size_t>(k)],
                                              back.data.requirement[static_cast<size_t>(k)]));
  for (bool html : {false, true}) (void)TextVersionOfBothConditionChoices(holder.data, html);
  holder.data.requirement[0].string_actual = holder.data.requirement[0].search_str_recs[0].search_str;
  (void)SearchConditionsMet(holder.data);
  return 0;
}

SK_FUZZ_SEEDS(WriteSeeds)
