// Occurrence lists, fed untrusted bytes: the stream form of a word list whose
// lines carry the files each word occurs in. Whatever the reader accepts is
// written back, and reading and writing that again gives the same bytes. The
// counting, filtering and sorting routines then run over what was read.
#include "core/Global_vars.h"
#include "core/My_string_functions_occurrences.h"
#include "platform/runtime/Streams.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

void Occurrences(const TBytes& data, uint8_t how) {
  TStringlistWithListOfOccurrences list;
  list.SetCaseSensitive((how & 0x40) != 0);
  TBytesStream in(data);
  bool ok = false;
  try {
    ok = list.LoadedFromStream(&in);
  } catch (const Exception&) {
    return;  // a stored word that fails the stored-string checks raises
  }
  for (Int32 i = 0; i < list.Count() && i < 32; ++i) {
    TListOfOccurrences* occ = list.GetAListOfOccurrences(i);
    if (occ == nullptr) continue;
    (void)occ->GetTotalHits();
    (void)occ->GetTotalValidHits(how & 3, (how >> 2) & 3);
    for (Int32 r = 0; r < occ->Count() && r < 8; ++r) (void)occ->GetValidHits(r, 1);
  }
  if (ok) {
    TMemoryStream once;
    SK_FUZZ_CHECK(list.SavedToStream(&once));
    TStringlistWithListOfOccurrences back;
    back.SetCaseSensitive(list.CaseSensitive());
    TBytesStream again(once.ToBytes());
    SK_FUZZ_CHECK(back.LoadedFromStream(&again));
    SK_FUZZ_CHECK(back.Count() == list.Count());
    TMemoryStream twice;
    SK_FUZZ_CHECK(back.SavedToStream(&twice));
    SK_FUZZ_CHECK(twice.ToBytes() == once.ToBytes());
  }
  // Counting a word that the list holds adds to its line.
  for (Int32 i = 0; i < list.Count() && i < 8; ++i) {
    const String word = list.Get(i);
    const Int32 at = list.AddOrIncOneByFreq(word, i, 1);
    SK_FUZZ_CHECK(at >= 0 && at < list.Count());
    SK_FUZZ_CHECK(list.CompareStrings(list.Get(at), word) == 0);
  }
  (void)list.CasesWithAtLeast1Repeat();
  (void)list.TotalValidHitsOrClusters(how & 3, (how & 4) != 0);
  global_reversed_sort = (how & 0x20) != 0;
  switch ((how >> 3) & 3) {
    case 0: list.SortAllOccurrencesAscendingChunks(); break;
    case 1: list.SortAllOccurrencesFileAscending(); break;
    case 2: list.SortAllOccurrencesIndividualFreqDescending(); break;
    default: list.SortAllOccurrencesOverallFreqDescending(); break;
  }
  global_reversed_sort = false;
  list.RemoveLowCounts(how & 3, (how >> 2) & 1);
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  TStringlistWithListOfOccurrences list;
  list.AddOrIncOneByFreq(u"the", 0, 5);
  list.AddOrIncOneByFreq(u"the", 2, 1);
  list.AddOrIncOneByFreq(u"cat", 1, 2);
  list.AddOrIncOneByFreq(u"Caf\u00E9", 0, 1);
  TMemoryStream ms;
  list.SavedToStream(&ms);
  TBytes b{0x05};
  const TBytes saved = ms.ToBytes();
  b.insert(b.end(), saved.begin(), saved.end());
  seeds.Add(b);
  b[0] = 0x5A;
  seeds.Add(b);
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t how = in.Byte();
  global_reversed_sort = false;
  Occurrences(in.Rest(), how);
  return 0;
}
