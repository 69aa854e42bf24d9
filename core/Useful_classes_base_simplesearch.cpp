#include "core/Useful_classes_base_simplesearch.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Useful_classes_base_compare.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/Strings.h"
#include "platform/runtime/Streams.h"

namespace sk {

namespace {

// A field read as a number rounded half to even; false when it is empty, not
// a number, or beyond what an Int32 holds.
bool RoundedField(const String& field, Int32& out) {
  Double v = 0;
  if (field.empty() || !TryStrToFloat(field, v) || !std::isfinite(v)) return false;
  if (v < static_cast<Double>(std::numeric_limits<Int32>::min()) - 0.5 ||
      v > static_cast<Double>(std::numeric_limits<Int32>::max()) + 0.5)
    return false;
  const Int64 r = Round(v);
  if (r < std::numeric_limits<Int32>::min() || r > std::numeric_limits<Int32>::max()) return false;
  out = static_cast<Int32>(r);
  return true;
}

// A field read as a Single; false when it is empty or not a number.
bool SingleField(const String& field, Single& out) {
  Double v = 0;
  if (field.empty() || !TryStrToFloat(field, v) || !std::isfinite(v)) return false;
  out = static_cast<Single>(v);
  return true;
}

// s cut at each TAB; the last field runs to the end.
std::vector<String> TabFields(const String& s) {
  std::vector<String> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = s.find(u'\t', start);
    if (tab == String::npos) {
      fields.push_back(s.substr(start));
      return fields;
    }
    fields.push_back(s.substr(start, tab - start));
    start = tab + 1;
  }
}

}  // namespace

TSimpleSearchSettings DefaultSimpleSearchSettings() {
  TSimpleSearchSettings s{};
  s.split_at_commas = true;
  s.check_lemma_separators = true;
  s.require_equals_sign = false;
  s.force_case_sensitive = false;
  s.default_contextword_span = 60;
  s.markup_search_span = 200;
  return s;
}

TMSSearchFlags SWFlags(String& s) {
  TMSSearchFlags flags;
  // Both pairs must stand apart: "==" or "===" alone is no case mark.
  if (s.size() >= 4 && s.compare(0, 2, u"==") == 0 && s.compare(s.size() - 2, 2, u"==") == 0) {
    s = s.substr(2, s.size() - 4);
    flags.Include(msCaseIsSensitive);
  }
  if (!s.empty() && s.front() == u'~') {
    s.erase(0, 1);
    flags.Include(ms_Avoid);
  }
  if (!s.empty() && s.front() == u'*')
    s.erase(0, 1);
  else
    flags.Include(msLeftBounded);
  if (!s.empty() && s.back() == u'*')
    s.pop_back();
  else
    flags.Include(msRightBounded);
  return flags;
}

String SWStringPlusFlags(const String& s, TMSSearchFlags flags) {
  String r = s;
  if (!flags.Contains(msLeftBounded)) r = u"*" + r;
  if (!flags.Contains(msRightBounded)) r += u"*";
  if (flags.Contains(msCaseIsSensitive)) r = u"==" + r + u"==";
  return r;
}

String KeyOfKeyPlusValue(const String& s) {
  const size_t p = s.find(u'=');
  if (p == String::npos) return String();
  return Trim(s.substr(0, p));
}

Double ValueOfKeyPlusValue(const String& s) {
  const size_t p = s.find(u'=');
  if (p == String::npos) return 0.0;
  Double v = 0;
  const String value = Trim(s.substr(p + 1));
  if (value.empty() || !TryStrToFloat(value, v) || !std::isfinite(v)) return 0.0;
  return v;
}

// ---- TSimpleSearchlist ----------------------------------------------------------------

TSimpleSearchlist::TSimpleSearchlist(const TSimpleSearchSettings& settings) : Settings(settings) {}

TSimpleSearchlist::~TSimpleSearchlist() { TSimpleSearchlist::Clear(); }

void TSimpleSearchlist::PreParseTheList(TUTF8Stringlist*) {}

String TSimpleSearchlist::PreParseAString(const String& s) { return s; }

TSearchContextHolder* TSimpleSearchlist::Holder(Int32 i) const {
  if (!IndexAssignedOK(i)) return nullptr;
  return static_cast<TSearchContextHolder*>(fItems[static_cast<size_t>(i)]);
}

void TSimpleSearchlist::Clear() {
  std::vector<Pointer> items;
  items.swap(fItems);
  for (Pointer p : items) delete static_cast<TSearchContextHolder*>(p);
  TIndexCheckList::Clear();
}

void TSimpleSearchlist::Delete(Int32 index) {
  CheckIndex(index);
  TSearchContextHolder* h = Holder(index);
  TIndexCheckList::Delete(index);
  delete h;
}

Int32 TSimpleSearchlist::AddOne(const TSearchContextRec& rec) {
  auto holder = std::make_unique<TSearchContextHolder>(rec);
  holder->data.n_found = -1;
  const Int32 r = Add(holder.get());
  holder.release();
  return r;
}

void TSimpleSearchlist::AddAll(const TSimpleSearchlist& other) {
  Settings = other.Settings;
  // Counted first, so that adding a list to itself copies each entry once.
  const Int32 n = other.Count();
  for (Int32 i = 0; i < n; ++i)
    if (const TSearchContextHolder* h = other.Holder(i)) AddOne(h->data);
}

void TSimpleSearchlist::AddOneAsString(const String& s) {
  TSearchContextRec rec{};
  rec.mainwd.wd = AnsiUpperCase(s);
  rec.mainwd.flags = SWFlags(rec.mainwd.wd);
  if (!rec.mainwd.wd.empty()) AddOne(rec);
}

TWordAndSearchFlags TSimpleSearchlist::ParsedWord(const String& text) const {
  TWordAndSearchFlags w;
  w.wd = Settings.force_case_sensitive ? text : AnsiUpperCase(text);
  w.flags = SWFlags(w.wd);
  if (Settings.force_case_sensitive) w.flags.Include(msCaseIsSensitive);
  return w;
}

void TSimpleSearchlist::LoadFromAString(const String& s) {
  TSearchContextRec rec{};
  const std::vector<String> fields = TabFields(s);
  const String& main = fields[0];
  if (main.find(u'=') != String::npos) {
    rec.mainwd = ParsedWord(AnsiUpperCase(KeyOfKeyPlusValue(main)));
    rec.Value_if_found = static_cast<Single>(ValueOfKeyPlusValue(main));
  } else {
    rec.mainwd = ParsedWord(main);
  }
  if (fields.size() > 1) rec.context_words[0] = ParsedWord(fields[1]);
  if (fields.size() > 2) rec.context_words[1] = ParsedWord(fields[2]);
  if (fields.size() > 3) RoundedField(fields[3], rec.context_seek_span);
  if (fields.size() > 4) RoundedField(fields[4], rec.otherSWs_required);
  if (fields.size() > 5) SingleField(fields[5], rec.Value_if_found);
  if (rec.Value_if_found == 0.0f) rec.Value_if_found = 1.0f;
  if (!rec.mainwd.wd.empty()) AddOne(rec);
}

bool TSimpleSearchlist::KeptLineText(const String& line, String& kept) {
  String s = Trim(line);
  if (s.empty() || s.front() == u';' || s.compare(0, 2, u"//") == 0) return false;
  s = PreParseAString(s);
  if (s.empty()) return false;
  const size_t arrow = Settings.check_lemma_separators ? s.find(u" -> ") : String::npos;
  if (arrow != String::npos) {
    s = Trim(s.substr(0, arrow));
  } else if (Settings.split_at_commas) {
    const size_t comma = s.find(u',');
    if (comma != String::npos) s = Trim(s.substr(0, comma));
  }
  kept = std::move(s);
  return true;
}

void TSimpleSearchlist::LoadFromAStringlist(TUTF8Stringlist* list) {
  Clear();
  if (list == nullptr) return;
  TTimedYield yield;
  for (Int32 i = 0; i < list->Count(); ++i) {
    yield.Tick();
    String kept;
    if (KeptLineText(list->Get(i), kept)) LoadFromAString(kept);
  }
}

bool TSimpleSearchlist::LoadFromFile(const String& name) {
  Clear();
  if (!FileExists(name)) return false;
  TUTF8Stringlist lines;
  try {
    TFileStream fs(name, fmOpenRead | fmShareDenyNone);
    lines.LoadFromStream(&fs);
  } catch (const Exception&) {
    return false;
  }
  PreParseTheList(&lines);
  LoadFromAStringlist(&lines);
  return true;
}

void TSimpleSearchlist::DeleteOne(Int32 i) { Delete(i); }

void TSimpleSearchlist::ClearNFound() {
  for (Int32 i = 0; i < Count(); ++i)
    if (TSearchContextHolder* h = Holder(i)) h->data.n_found = -1;
}

void TSimpleSearchlist::SetHits(Int32 i, Int32 n) {
  if (TSearchContextHolder* h = Holder(i)) h->data.n_found = n;
}

TSearchContextRec TSimpleSearchlist::GetASearchRec(Int32 i) const {
  const TSearchContextHolder* h = Holder(i);
  return h != nullptr ? h->data : TSearchContextRec{};
}

String TSimpleSearchlist::GetATypedInSW(Int32 i) const {
  const TSearchContextHolder* h = Holder(i);
  return h != nullptr ? SWStringPlusFlags(h->data.mainwd.wd, h->data.mainwd.flags) : String();
}

Int32 TSimpleSearchlist::IndexOfSimpleSearchRecSeek(const String& s) const {
  for (Int32 i = 0; i < Count(); ++i)
    if (const TSearchContextHolder* h = Holder(i); h != nullptr && SameText(h->data.mainwd.wd, s)) return i;
  return -1;
}

String TSimpleSearchlist::AsText(const String& separator, bool typed) const {
  String r;
  bool first = true;
  for (Int32 i = 0; i < Count(); ++i) {
    const TSearchContextHolder* h = Holder(i);
    if (h == nullptr) continue;
    if (!first) r += separator;
    first = false;
    r += typed ? SWStringPlusFlags(h->data.mainwd.wd, h->data.mainwd.flags) : h->data.mainwd.wd;
  }
  return r;
}

std::unique_ptr<TStringList> TSimpleSearchlist::TypedAndHitsAsStringlist(bool onlyFound) const {
  auto list = std::make_unique<TStringList>();
  for (Int32 i = 0; i < Count(); ++i) {
    const TSearchContextHolder* h = Holder(i);
    if (h == nullptr) continue;
    if (onlyFound && h->data.n_found < 1) continue;
    // The count is formatted as the integer it is, so that counts beyond what
    // a Single holds exactly are shown exactly.
    list->Add(SWStringPlusFlags(h->data.mainwd.wd, h->data.mainwd.flags) + u"\t" +
              Format(u"%.0n", {static_cast<Int64>(h->data.n_found)}));
  }
  return list;
}

void TSimpleSearchlist::SortOn(TSimpleSearchSorts kind, bool ascending) {
  const Int32 n = Count();
  if (n >= 2) {
    if (kind == ss_typed) {
      // The notation of each word is built once, not once per comparison; it
      // travels with its entry as the sort exchanges them.
      std::vector<String> keys(static_cast<size_t>(n));
      for (Int32 i = 0; i < n; ++i) keys[static_cast<size_t>(i)] = GetATypedInSW(i);
      QuickSortIndexes(
          0, n - 1,
          [&](Int32 a, Int32 b) { return Compare2Strings(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]); },
          [&](Int32 a, Int32 b) {
            std::swap(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
            std::swap(fItems[static_cast<size_t>(a)], fItems[static_cast<size_t>(b)]);
          });
    } else {
      Sort([](Pointer p1, Pointer p2) {
        return CompareLongints(static_cast<TSearchContextHolder*>(p1)->data.n_found,
                               static_cast<TSearchContextHolder*>(p2)->data.n_found);
      });
    }
  }
  if (!ascending) ReverseTheSort();
}

}  // namespace sk
