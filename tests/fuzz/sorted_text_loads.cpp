// Text loaded into sorted string lists: a list that takes the whole text at
// once (sorting it once) gives the lines, values and refusals that adding the
// lines one by one gives, for the plain list, the list telling its progress
// and the lists that check each line themselves; an index-checking list,
// which Clear leaves unsorted, keeps every line in the text's order; and
// SetSorted on a loaded list orders it with equal lines in the text's order.
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/My_string_functions_tabfields.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Strings.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t { kPlain, kNotify, kNumbers, kChecked, kIndexCheck, kSetSorted, kModeCount };

// Adding lines one by one costs a search and an insertion per line: the
// comparisons keep to the first lines of a long input.
constexpr size_t kMaxComparedLines = 2000;

String FirstLines(const String& text) {
  size_t lines = 0;
  for (size_t p = 0; p < text.size(); ++p)
    if ((text[p] == u'\n' || text[p] == u'\r') && ++lines >= kMaxComparedLines) return text.substr(0, p);
  return text;
}

std::vector<String> LinesOf(const TStrings& list) {
  std::vector<String> r;
  for (Int32 i = 0; i < list.Count(); ++i) r.push_back(list.Get(i));
  return r;
}

class TPlainOneByOne : public TStringList {
 protected:
  bool LoadsSortedTextInBulk() const override { return false; }
};

class TNotifyOneByOne : public TNotifyStringlist {
 public:
  using TNotifyStringlist::TNotifyStringlist;

 protected:
  bool LoadsSortedTextInBulk() const override { return false; }
};

// Keeps the line unless it starts with '#', and trims it.
class TChecked : public TBaseAcceptableCheckStringlist {
 public:
  ~TChecked() override { Clear(); }
  bool AcceptableString(String& s) override {
    if (!s.empty() && s[0] == u'#') return false;
    s = Trim(s);
    return true;
  }
};

// A list whose Clear keeps it sorted, so that the lines arrive at a sorted list.
template <class Base, bool Bulk>
class TKeepsSorted : public Base {
 public:
  ~TKeepsSorted() override { Base::Clear(); }
  void Clear() override {
    const bool wasSorted = this->Sorted();
    Base::Clear();
    if (wasSorted) this->SetSorted(true);
  }

 protected:
  bool LoadsSortedTextInBulk() const override { return Bulk; }
};

struct TOutcome {
  std::vector<String> lines;
  std::vector<Int32> values;
  bool raised = false;
  bool operator==(const TOutcome&) const = default;
};

template <class List>
TOutcome Load(List& list, const String& text, uint8_t how) {
  list.SetCaseSensitive((how & 1) != 0);
  list.SetDuplicates(static_cast<TDuplicates>((how >> 1) % 3));
  list.SetSorted(true);
  list.Add(u"left over");
  TOutcome r;
  try {
    list.SetTextStr(text);
  } catch (const EStringListError&) {
    r.raised = true;
  }
  r.lines = LinesOf(list);
  if constexpr (std::is_base_of_v<TStringlistWithALongint, List>)
    for (Int32 i = 0; i < list.Count(); ++i) r.values.push_back(list.GetOne(i));
  SK_FUZZ_CHECK(list.Sorted());
  for (Int32 i = 0; i + 1 < list.Count(); ++i) SK_FUZZ_CHECK(list.CompareStrings(list.Get(i), list.Get(i + 1)) <= 0);
  return r;
}

template <class Bulk, class OneByOne>
void Compare(const String& text, uint8_t how) {
  const String first = FirstLines(text);
  Bulk bulk;
  OneByOne one;
  SK_FUZZ_CHECK(Load(bulk, first, how) == Load(one, first, how));
}

void Notify(const String& text, uint8_t how) {
  const String first = FirstLines(text);
  std::vector<Int32> toldBulk, toldOne;
  TNotifyStringlist bulk([&](Int32 n) { toldBulk.push_back(n); });
  TNotifyOneByOne one([&](Int32 n) { toldOne.push_back(n); });
  const TOutcome a = Load(bulk, first, how);
  const TOutcome b = Load(one, first, how);
  SK_FUZZ_CHECK(a == b);
  if (!a.raised) SK_FUZZ_CHECK(toldBulk == toldOne);
}

void IndexCheck(const String& text, uint8_t how) {
  TStringList plain;
  plain.SetTextStr(text);
  TIndexCheckStringlist list;
  list.SetCaseSensitive((how & 1) != 0);
  list.SetDuplicates(static_cast<TDuplicates>((how >> 1) % 3));
  list.SetSorted(true);
  list.SetTextStr(text);
  SK_FUZZ_CHECK(!list.Sorted());
  SK_FUZZ_CHECK(LinesOf(list) == LinesOf(plain));
}

void SetSortedAfterLoad(const String& text, uint8_t how) {
  TStringList list;
  list.SetCaseSensitive((how & 1) != 0);
  list.SetTextStr(text);
  const Int32 n = list.Count();
  // Each line's place in the text, carried as its object.
  for (Int32 i = 0; i < n; ++i) list.PutObject(i, reinterpret_cast<TObject*>(static_cast<intptr_t>(i + 1)));
  list.SetSorted(true);
  SK_FUZZ_CHECK(list.Count() == n);
  std::vector<bool> seen(static_cast<size_t>(n), false);
  for (Int32 i = 0; i < n; ++i) {
    const auto at = static_cast<size_t>(reinterpret_cast<intptr_t>(list.Objects(i)) - 1);
    SK_FUZZ_CHECK(at < seen.size() && !seen[at]);
    seen[at] = true;
  }
  for (Int32 i = 0; i + 1 < n; ++i) {
    const Int32 c = list.CompareStrings(list.Get(i), list.Get(i + 1));
    SK_FUZZ_CHECK(c <= 0);
    if (c == 0) SK_FUZZ_CHECK(list.Objects(i) < list.Objects(i + 1));
  }
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  TStringlistWithALongint words;
  for (const char16_t* w : {u"the\t12", u"The", u"#note", u"  caf\u00E9 ", u"cafe\t3", u"", u"the\t12", u"\u00C9t\u00E9",
                            u"ete", u"b", u"B\t-1", u"a-b", u"ab"})
    words.Add(w);
  const std::string text = StringToUtf8(words.GetTextStr());
  for (uint8_t mode = 0; mode < kModeCount; ++mode)
    for (uint8_t how : {0, 3, 4}) {
      TBytes b{mode, how};
      b.insert(b.end(), text.begin(), text.end());
      seeds.Add(b);
    }
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  const uint8_t how = in.Byte();
  const String text = in.RestText(false);
  switch (mode) {
    case kPlain: Compare<TStringList, TPlainOneByOne>(text, how); break;
    case kNotify: Notify(text, how); break;
    case kNumbers:
      Compare<TKeepsSorted<TStringlistWithALongint, true>, TKeepsSorted<TStringlistWithALongint, false>>(text, how);
      break;
    case kChecked: Compare<TKeepsSorted<TChecked, true>, TKeepsSorted<TChecked, false>>(text, how); break;
    case kIndexCheck: IndexCheck(text, how); break;
    case kSetSorted: SetSortedAfterLoad(text, how); break;
    default: break;
  }
  return 0;
}
