#include "analysis/Search_categorising.h"

#include <cstring>
#include <cstdlib>

#include "analysis/Base_headingsu.h"
#include "analysis/Work_qm_base_list.h"
#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_positions.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/Strings.h"
#include "ui/Colour_utils.h"

namespace sk {

namespace {

constexpr Byte kSearchFlagBits = 0x3F;  // the six search flags

template <class T>
void Put(TStoredRequirementBytes& b, size_t at, T v) {
  std::memcpy(b.data() + at, &v, sizeof v);
}

template <class T>
T Take(const TStoredRequirementBytes& b, size_t at) {
  T v{};
  std::memcpy(&v, b.data() + at, sizeof v);
  return v;
}

bool IsNumeric(TColumnType t) { return t == ct_integer || t == ct_float; }

bool StartsWith(const String& text, const String& sought) {
  return sought.size() <= text.size() && text.compare(0, sought.size(), sought) == 0;
}

bool EndsWith(const String& text, const String& sought) {
  return sought.size() <= text.size() && text.compare(text.size() - sought.size(), sought.size(), sought) == 0;
}

bool IsSearchWordTest(TSearchMethodRequirement how) {
  return how == ccp_FoundWithinNWordsOfSearchword || how == ccp_FoundWithinNWordsToLeftOfSearchword ||
         how == ccp_FoundWithinNWordsToRightOfSearchword;
}

bool IsOtherWordTest(TSearchMethodRequirement how) {
  return how == ccp_FoundWithinNWordsOf || how == ccp_FoundWithinNWordsToLeftOf ||
         how == ccp_FoundWithinNWordsToRightOf;
}

// One requirement's test on the values put into it.
bool RequirementMet(const TSearchRequirementRec& r) {
  const bool numeric = IsNumeric(r.header_info.columntype);
  const Single other = r.Compare_with_OtherDataColumn ? r.n_other_data_column_actual : r.n_seek[0];
  const String& sought = r.search_str_recs[0].search_str;
  const String& text = r.string_actual;
  switch (r.how) {
    case ccp_Equals:
      return numeric ? r.n_actual == other : sought == text;
    case ccp_StartsWith:
      return StartsWith(text, sought);
    case ccp_EndsWith:
      return EndsWith(text, sought);
    case ccp_Between:
      if (numeric) return r.n_actual >= other && r.n_seek[1] >= r.n_actual;
      return CompareStr(text, sought) >= 0 && CompareStr(text, r.search_str_recs[1].search_str) <= 0;
    case ccp_GreaterThan:
      return numeric ? r.n_actual > other : CompareStr(text, sought) > 0;
    case ccp_LessThan:
      return numeric ? other > r.n_actual : CompareStr(text, sought) < 0;
    case ccp_FoundAnywhereIn:
    case ccp_FoundWithinNWordsOfSearchword:
    case ccp_FoundWithinNWordsToLeftOfSearchword:
    case ccp_FoundWithinNWordsToRightOfSearchword:
    case ccp_FoundWithinNWordsOf:
    case ccp_FoundWithinNWordsToLeftOf:
    case ccp_FoundWithinNWordsToRightOf:
      return PosStrFoundIn(sought, text, r.search_str_recs[0].flags, 1) > 0;
    case ccp_WordLengthEquals:
      return static_cast<Single>(text.size()) == r.n_seek[0];
    case ccp_WordLengthGreaterThan:
      return static_cast<Single>(text.size()) > r.n_seek[0];
    case ccp_WordLengthLessThan:
      return static_cast<Single>(text.size()) < r.n_seek[0];
    case ccp_is_deleted:
      return r.is_deleted;
    case ccp_is_joined_head:
      return r.is_joined_head;
    case ccp_is_Joined_member:
      return r.is_joined_member;
    case ccp_is_marked:
      return r.is_marked != marcado_clear;
    case ccp_is_matched:
      return r.is_matched;
  }
  return false;
}

// A stored string: Int32 count of UTF-16 units, then the units; false when
// the count is negative or more than the stream holds.
bool ReadStoredString(TStream* stream, String& out) {
  Int32 n = 0;
  if (stream->Remaining() < 4 || !stream->TryReadValue(n)) return false;
  if (n < 0 || static_cast<Int64>(n) * 2 > stream->Remaining()) return false;
  String s(static_cast<size_t>(n), u'\0');
  if (n > 0 && stream->Read(s.data(), static_cast<Int64>(n) * 2) != static_cast<Int64>(n) * 2) return false;
  out = std::move(s);
  return true;
}

bool WriteStoredString(TStream* stream, const String& s) {
  const Int32 n = static_cast<Int32>(s.size());
  if (stream->Write(&n, 4) != 4) return false;
  return n == 0 || stream->Write(s.data(), static_cast<Int64>(n) * 2) == static_cast<Int64>(n) * 2;
}

// ---- describing ---------------------------------------------------------------

String Res(const TResStringRec& r) { return LoadResString(&r); }

String UserText(const String& s, bool html) { return html ? ChangeAngleBracketsToHTML(s) : s; }

String NumberText(Single v, TColumnType type) {
  if (v == -999999.0f) return Res(_QMNoValueMarks);
  if (type == ct_integer) return IntToStr(Round(static_cast<Double>(v)));
  return FloatToStr(static_cast<Double>(v));
}

String Describe(const TSearchRequirementRec& r, bool html) {
  const bool numeric = IsNumeric(r.header_info.columntype);
  String column;
  String value;
  String value2;
  if (r.Compare_with_OtherDataColumn) {
    if (r.column_heading_main == r.column_heading_2) {
      column = Format(Res(_QMColNXValue), {r.header_info.data_index, UserText(r.column_heading_main, html)});
      value = Format(Res(_QMColNXValue), {r.other_data_column, UserText(r.column_heading_2, html)});
    } else {
      column = Format(Res(_QMValueOfColumnX), {UserText(r.column_heading_main, html)});
      value = Format(Res(_QMValueOfColumnX), {UserText(r.column_heading_2, html)});
    }
    value2 = HTMLBolded(NumberText(r.n_seek[1], r.header_info.columntype));
  } else {
    column = Format(Res(numeric ? _QMXColumnValue : _QMXColumnText), {UserText(r.column_heading_main, html)});
    if (numeric) {
      value = HTMLBolded(NumberText(r.n_seek[0], r.header_info.columntype));
      value2 = HTMLBolded(NumberText(r.n_seek[1], r.header_info.columntype));
    } else {
      value = HTMLBolded(UserText(r.search_str_recs[0].search_str, html));
      value2 = HTMLBolded(UserText(r.search_str_recs[1].search_str, html));
    }
  }
  const String span = HTMLBolded(IntToStr(r.word_span));
  const String otherWord = HTMLBolded(UserText(r.search_str_recs[1].search_str, html));
  const String lengthOf = Format(Res(_QMXLength), {column});
  const String chars =
      Format(Res(_QMVerbNoun), {HTMLBolded(NumberText(r.n_seek[0], ct_integer)), Res(_QMCharacters)});
  String d;
  switch (r.how) {
    case ccp_Equals:
      d = Format(Res(_QMEquals), {column, value});
      break;
    case ccp_StartsWith:
      d = Format(Res(_QMStartsWith), {column, value});
      break;
    case ccp_EndsWith:
      d = Format(Res(_QMEndsWith), {column, value});
      break;
    case ccp_Between:
      d = Format(Res(_QMAIsBetweenXandY), {column, value, value2});
      break;
    case ccp_GreaterThan:
      d = Format(Res(numeric ? _QMXAboveY : _QMXComesAfterY), {column, value});
      break;
    case ccp_LessThan:
      d = Format(Res(numeric ? _QMXBelowY : _QMXComesBeforeY), {column, value});
      break;
    case ccp_FoundAnywhereIn:
      d = Format(Res(_QMXFoundAnywhereIn), {value, column});
      break;
    case ccp_FoundWithinNWordsOfSearchword:
      d = Format(Res(_QMFoundWithinNWordsOf), {value, column, span, Res(Generalruntime2const::_QMSearchWord)});
      break;
    case ccp_FoundWithinNWordsToLeftOfSearchword:
      d = Format(Res(_QMFoundWithinNWordsLeftOf), {value, column, span, Res(Generalruntime2const::_QMSearchWord)});
      break;
    case ccp_FoundWithinNWordsToRightOfSearchword:
      d = Format(Res(_QMFoundWithinNWordsRightOf), {value, column, span, Res(Generalruntime2const::_QMSearchWord)});
      break;
    case ccp_FoundWithinNWordsOf:
      d = Format(Res(_QMFoundWithinNWordsOf), {value, column, span, otherWord});
      break;
    case ccp_FoundWithinNWordsToLeftOf:
      d = Format(Res(_QMFoundWithinNWordsLeftOf), {value, column, span, otherWord});
      break;
    case ccp_FoundWithinNWordsToRightOf:
      d = Format(Res(_QMFoundWithinNWordsRightOf), {value, column, span, otherWord});
      break;
    case ccp_WordLengthEquals:
      d = Format(Res(_QMEquals), {lengthOf, chars});
      break;
    case ccp_WordLengthGreaterThan:
      d = Format(Res(_QMXAboveY), {lengthOf, chars});
      break;
    case ccp_WordLengthLessThan:
      d = Format(Res(_QMXBelowY), {lengthOf, chars});
      break;
    case ccp_is_deleted:
      d = Res(_QMIsDeleted);
      break;
    case ccp_is_joined_head:
      d = Res(_QMIsAJoinedHead);
      break;
    case ccp_is_Joined_member:
      d = Res(_QMIsAJoinedMember);
      break;
    case ccp_is_marked:
      d = Res(_QMIsAMarkedEntry);
      break;
    case ccp_is_matched:
      d = Res(_QMIsAMatchedEntry);
      break;
  }
  if (r.opposite) d = Format(Res(_QMNotX), {d});
  return d;
}

// Every "<b>" and "</b>", in any letter case, taken out.
String WithoutBoldTags(const String& s) {
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    auto tagAt = [&](const char16_t* tag, size_t len) {
      if (i + len > s.size()) return false;
      for (size_t k = 0; k < len; ++k) {
        Char c = s[i + k];
        if (c >= u'A' && c <= u'Z') c = static_cast<Char>(c + 32);
        if (c != tag[k]) return false;
      }
      return true;
    };
    if (tagAt(u"<b>", 3)) {
      i += 3;
    } else if (tagAt(u"</b>", 4)) {
      i += 4;
    } else {
      out.push_back(s[i++]);
    }
  }
  return out;
}

}  // namespace

// ---- the stored form --------------------------------------------------------------

TStoredRequirementBytes StoredRequirementBytes(const TSearchRequirementRec& r) {
  TStoredRequirementBytes b{};
  b[0] = static_cast<Byte>(r.header_info.columntype);
  b[1] = r.header_info.concordance_data ? 1 : 0;
  Put<Int32>(b, 4, r.header_info.original_Col_num);
  Put<Int32>(b, 8, r.header_info.data_index);
  Put<Int32>(b, 12, r.colour);
  Put<Int32>(b, 16, r.found);
  Put<Int32>(b, 20, r.word_span);
  Put<Int32>(b, 24, r.search_word_pos);
  Put<Single>(b, 28, r.n_actual);
  Put<Single>(b, 32, r.found_percent);
  Put<Single>(b, 36, r.n_seek[0]);
  Put<Single>(b, 40, r.n_seek[1]);
  b[44] = static_cast<Byte>(r.how);
  b[64] = r.search_str_recs[0].flags.bits[0];
  b[80] = r.search_str_recs[1].flags.bits[0];
  b[88] = r.opposite ? 1 : 0;
  b[89] = r.other_data_numerical ? 1 : 0;
  b[90] = r.Compare_with_OtherDataColumn ? 1 : 0;
  b[91] = r.activated ? 1 : 0;
  Put<Int32>(b, 92, r.other_data_column);
  Put<Single>(b, 96, r.n_other_data_column_actual);
  b[100] = static_cast<Byte>(r.is_marked);
  b[101] = r.is_joined_head ? 1 : 0;
  b[102] = r.is_joined_member ? 1 : 0;
  b[103] = r.is_matched ? 1 : 0;
  return b;
}

bool RequirementFromStoredBytes(const TStoredRequirementBytes& b, TSearchRequirementRec& r) {
  if (b[0] > static_cast<Byte>(ct_other) || b[44] >= TSearchMethodRequirement_Count || b[100] >= TMarkedF5Item_Count)
    return false;
  r.header_info.columntype = static_cast<TColumnType>(b[0]);
  r.header_info.concordance_data = b[1] != 0;
  r.header_info.original_Col_num = Take<Int32>(b, 4);
  r.header_info.data_index = Take<Int32>(b, 8);
  r.colour = Take<Int32>(b, 12);
  r.found = Take<Int32>(b, 16);
  r.word_span = Take<Int32>(b, 20);
  r.search_word_pos = Take<Int32>(b, 24);
  r.n_actual = Take<Single>(b, 28);
  r.found_percent = Take<Single>(b, 32);
  r.n_seek[0] = Take<Single>(b, 36);
  r.n_seek[1] = Take<Single>(b, 40);
  r.how = static_cast<TSearchMethodRequirement>(b[44]);
  r.linked = nullptr;
  r.search_str_recs[0].flags.bits[0] = static_cast<Byte>(b[64] & kSearchFlagBits);
  r.search_str_recs[1].flags.bits[0] = static_cast<Byte>(b[80] & kSearchFlagBits);
  r.opposite = b[88] != 0;
  r.other_data_numerical = b[89] != 0;
  r.Compare_with_OtherDataColumn = b[90] != 0;
  r.activated = b[91] != 0;
  r.other_data_column = Take<Int32>(b, 92);
  r.n_other_data_column_actual = Take<Single>(b, 96);
  r.is_marked = static_cast<TMarkedF5Item>(b[100]);
  r.is_joined_head = b[101] != 0;
  r.is_joined_member = b[102] != 0;
  r.is_matched = b[103] != 0;
  return true;
}

bool TRequirementsArrayHolder::SaveToStream(TStream* stream) const {
  const Int32 count = 2;
  if (stream == nullptr || stream->Write(&count, 4) != 4) return false;
  for (const TSearchRequirementRec& r : data.requirement) {
    const TStoredRequirementBytes b = StoredRequirementBytes(r);
    if (stream->Write(b.data(), StoredRequirementSize) != StoredRequirementSize) return false;
    if (!WriteStoredString(stream, r.search_str_recs[0].search_str)) return false;
  }
  return true;
}

bool TRequirementsArrayHolder::LoadFromStream(TStream* stream) {
  data = TDoubleSearchCategoryRec{};
  if (stream == nullptr) return false;
  Int32 count = 0;
  if (stream->Remaining() < 4 || !stream->TryReadValue(count)) return false;
  if (count < 0 || count > 2) return false;
  bool ok = true;
  for (Int32 k = 0; k < count; ++k) {
    TStoredRequirementBytes b{};
    TSearchRequirementRec r{};
    String s;
    const bool whole = stream->Read(b.data(), StoredRequirementSize) == StoredRequirementSize;
    const bool valid = whole && RequirementFromStoredBytes(b, r);
    const bool text = whole && ReadStoredString(stream, s);
    ok = ok && valid && text;
    if (!ok) continue;  // read on to the end of the count, storing nothing more
    r.search_str_recs[0].search_str = std::move(s);
    data.requirement[static_cast<size_t>(k)] = std::move(r);
  }
  return ok;
}

// ---- testing ------------------------------------------------------------------------

bool SearchConditionsMet(const TDoubleSearchCategoryRec& c) {
  bool met[2] = {false, false};
  for (int k = 0; k < 2; ++k) {
    const TSearchRequirementRec& r = c.requirement[static_cast<size_t>(k)];
    if (!r.activated) continue;
    met[k] = RequirementMet(r);
    if (r.opposite) met[k] = !met[k];
    if (met[k]) {
      if (k == 0) {
        if (c.linkage == ccl_or || !c.requirement[1].activated) return true;
        continue;
      }
      if (c.linkage == ccl_but_not) return false;
      if (c.linkage == ccl_or) return true;
      return met[0];
    }
    if (c.linkage == ccl_and) return false;
    if (c.linkage == ccl_but_not) return k == 0 ? false : met[0];
  }
  return false;
}

std::vector<TConditionsMetRec> AnyCategConditionsMet(std::vector<TDoubleSearchCategoryRec>& conditions) {
  std::vector<TConditionsMetRec> out;
  for (TDoubleSearchCategoryRec& c : conditions) {
    if (!SearchConditionsMet(c)) continue;
    out.push_back(TConditionsMetRec{c.requirement[0].colour});
    ++c.requirement[0].found;
  }
  return out;
}

TColor MeanColourOf(const std::vector<TConditionsMetRec>& colours) {
  if (colours.empty()) return clWhite;
  TColor c = static_cast<TColor>(colours[0].colour);
  for (size_t i = 1; i < colours.size(); ++i) c = MixColours(c, static_cast<TColor>(colours[i].colour), 128);
  return c;
}

String NearestContextToMidpoint(TSearchMethodRequirement how, const String& text, const String& word, Int32 span,
                                Int32 midpoint, TMSSearchFlags flagsA, TMSSearchFlags flagsB) {
  std::vector<Int32> positions;
  CharacterPositionsWordFoundIn(word, String(), String(), text, span, flagsA, flagsB, positions);
  if (positions.empty()) return String();
  Int32 best = positions[0];
  Int64 bestDistance = std::llabs(static_cast<Int64>(best) - midpoint);
  for (Int32 p : positions) {
    const Int64 d = std::llabs(static_cast<Int64>(p) - midpoint);
    if (d < bestDistance) {
      best = p;
      bestDistance = d;
    }
  }
  return NManyWordsContext(how, text, best, span);
}

String TextVersionOfBothConditionChoices(const TDoubleSearchCategoryRec& c, bool html) {
  const String first = Describe(c.requirement[0], html);
  String text;
  if (c.current_order == cct_FIRST || !c.requirement[1].activated) {
    text = Format(Res(_QMConditionX), {first});
  } else {
    const String second = Describe(c.requirement[1], html);
    switch (c.linkage) {
      case ccl_or:
        text = Format(Res(_QMConditionsXorY), {first, second});
        break;
      case ccl_but_not:
        text = Format(Res(_QMConditionsXbutNotY), {first, second});
        break;
      case ccl_and:
      case ccl_spare:
        text = Format(Res(_QMConditionsXandY), {first, second});
        break;
    }
  }
  return html ? text : WithoutBoldTags(text);
}

bool IdenticalSearchRequirements(const TSearchRequirementRec& a, const TSearchRequirementRec& b) {
  return StoredRequirementBytes(a) == StoredRequirementBytes(b) &&
         a.search_str_recs[0].search_str == b.search_str_recs[0].search_str &&
         a.search_str_recs[1].search_str == b.search_str_recs[1].search_str;
}

// ---- on the list --------------------------------------------------------------------

Int32 TQMBaseDataClass::CheckAllForCondition(std::vector<TDoubleSearchCategoryRec>& conditions, Int32 startRow,
                                             Int32 action, bool stopAtFirst, bool rememberRow, bool backwards) {
  for (TDoubleSearchCategoryRec& c : conditions) {
    c.requirement[0].found = 0;
    c.requirement[0].found_percent = 0;
  }
  if (fCount == 0) return -1;
  startRow = std::clamp(startRow, 0, fCount - 1);
  const Int32 setColumn =
      static_cast<int>(fList_type) < TQuillmarkList_Count ? PredefinedSetColumnNumber[fList_type] : 0;
  Int32 result = -1;

  // Whether grid row r meets a condition; counts and acts on each met.
  auto rowMeets = [&](Int32 r) {
    const Int32 dataRow = ConvertedForFrequency(r, BaseGridKind);
    if (!InRange(dataRow)) return false;
    TQMBaseListObject* e = At(dataRow);
    // Without a set column there is nowhere to colour: nothing changes.
    const bool colouring = action == 194 && setColumn > 0;
    if (colouring) e->ClearCategoryColour(setColumn);
    std::vector<TConditionsMetRec> colours;
    bool meets = false;
    for (TDoubleSearchCategoryRec& c : conditions) {
      for (TSearchRequirementRec& q : c.requirement) {
        if (!q.activated) continue;
        q.is_deleted = e->IsDeleted();
        q.is_joined_head = e->HasJoined();
        q.is_joined_member = e->JoinedElsewhere();
        q.is_marked = e->IsMarked();
        q.is_matched = e->IsMatched();
        if (q.Compare_with_OtherDataColumn && q.other_data_column >= 1 && q.other_data_numerical)
          q.n_other_data_column_actual =
              static_cast<Single>(e->GetAValueAsSingle(dataRow, q.other_data_column).computed_value);
        if (IsNumeric(q.header_info.columntype)) {
          q.n_actual = static_cast<Single>(e->GetAValueAsSingle(dataRow, q.header_info.data_index).computed_value);
        } else if (IsSearchWordTest(q.how)) {
          Int32 pos = 0;
          q.string_actual = e->GetAWordAsString(q.header_info.data_index, pos);
          q.search_word_pos = pos;
        } else {
          q.string_actual = e->GetAWordAsString(q.header_info.data_index);
        }
        // The row's text is upper-cased with the search strings, so that
        // the two compare alike.
        if (!q.search_str_recs[0].flags.Contains(msCaseIsSensitive)) CapitaliseASearchRequirementRec(q);
        if (IsSearchWordTest(q.how)) {
          q.string_actual = NManyWordsContext(q.how, q.string_actual, q.search_word_pos, q.word_span);
        } else if (IsOtherWordTest(q.how)) {
          q.string_actual =
              NearestContextToMidpoint(q.how, q.string_actual, q.search_str_recs[1].search_str, q.word_span,
                                       q.search_word_pos, q.search_str_recs[1].flags, q.search_str_recs[0].flags);
        }
      }
      if (!SearchConditionsMet(c)) continue;
      meets = true;
      ++c.requirement[0].found;
      switch (action) {
        case 18:
          SetMarcacao(dataRow, MarcacoesExistentes > 0 ? marcado_subordinate : marcado_boss);
          break;
        case 85:
          SetDeleted(dataRow, true);
          break;
        case 194:
          if (colouring) {
            colours.push_back(TConditionsMetRec{c.requirement[0].colour});
            ListModified.Include(mod_display);
          }
          break;
        default:
          break;
      }
    }
    if (colouring && !colours.empty()) e->SetCategoryColour(MeanColourOf(colours), setColumn);
    return meets;
  };

  const Int32 step = backwards ? -1 : 1;
  const Int32 end = backwards ? -1 : fCount;
  for (Int32 r = startRow; r != end; r += step) {
    MyYieldProcess();
    if (global_panic_state != panic_no_panic) continue;
    if (!rowMeets(r)) continue;
    if (rememberRow) FindFromRow = r;
    if (result < 0) result = r;
    if (stopAtFirst) break;
  }
  for (TDoubleSearchCategoryRec& c : conditions)
    c.requirement[0].found_percent =
        static_cast<Single>(static_cast<Double>(c.requirement[0].found) * 100.0 / static_cast<Double>(fCount));
  return result;
}

}  // namespace sk
