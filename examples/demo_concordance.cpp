// The suite's main road, as the concordance tool walks it: a text is read,
// a search word is found in it through a search-word list and its engine,
// every hit becomes a line of a concordance results list (an entry class of
// this program's own under the concordance's standard headings), the list is
// sorted on three levels (the word to the right of the hit, the word to its
// left, the position), saved behind the saved-results header, read back and
// compared, and the first lines are shown.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "analysis/Base_search_itemsU.h"
#include "analysis/Headingsu.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Work_qm_base.h"
#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/Qm_global_vars.h"
#include "core/Stringtag_utils.h"
#include "core/Unicode_string_conversion.h"
#include "services/File_utils.h"
#include "services/File_utils_textfiles.h"
#include "services/Logging_utilities.h"
#include "services/Wdef.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Streams.h"

namespace {

using namespace sk;

constexpr Int32 kContextChars = 60;  // kept on either side of a hit
constexpr Int32 kShownChars = 36;    // shown on either side

std::string Utf8(const String& s) { return StringToUtf8(s); }

// The context as one line: line breaks and tabs become blanks.
String OneLine(String s) {
  for (Char& c : s)
    if (c < 0x20) c = u' ';
  return s;
}

// The first word of a text and the last word, upper-cased: the sort keys.
String FirstWord(const String& s) {
  size_t b = 0;
  while (b < s.size() && !(CharClassOf(s[b]) >= 1 && CharClassOf(s[b]) <= 3)) ++b;
  size_t e = b;
  while (e < s.size() && CharClassOf(s[e]) >= 1 && CharClassOf(s[e]) <= 3) ++e;
  return AnsiUpperCase(s.substr(b, e - b));
}

String LastWord(const String& s) {
  size_t e = s.size();
  while (e > 0 && !(CharClassOf(s[e - 1]) >= 1 && CharClassOf(s[e - 1]) <= 3)) --e;
  size_t b = e;
  while (b > 0 && CharClassOf(s[b - 1]) >= 1 && CharClassOf(s[b - 1]) <= 3) --b;
  return AnsiUpperCase(s.substr(b, e - b));
}

// One concordance line. Its stream: the three texts as stored strings, then
// the 1-based position of the hit as Int32.
class TDemoConcordanceLine : public TQMBaseListObject {
 public:
  TDemoConcordanceLine(TQMSister* parent, TQMBaseHolder* holder) : TQMBaseListObject(parent, holder) {}

  String GetAWordAsString(Int32 column) override {
    return column == 1 ? left + u"[" + hit + u"]" + right : String();
  }
  std::vector<TStringTag> MainWordStringTagArr() override { return {TStringTag{hit, String(), 0}}; }
  bool SaveToStream(TStream* stream) override {
    return WriteAString(stream, left) && WriteAString(stream, hit) && WriteAString(stream, right) &&
           stream->Write(&position, 4) == 4;
  }
  bool ReadFromStream(TStream* stream) override {
    if (stream->Remaining() < 16) return false;
    // Read as the library's lists read their strings: a hit may run longer
    // than the safety limit (a DNA run of thousands of letters), and its line
    // reads back whatever its length.
    left = ReadAListString(stream);
    hit = ReadAListString(stream);
    right = ReadAListString(stream);
    if (stream->Read(&position, 4) != 4) return false;
    Keys();
    return true;
  }
  void Keys() {
    rightWord = FirstWord(right);
    leftWord = LastWord(left);
  }

  String left, hit, right;
  Int32 position = 0;
  String rightWord, leftWord;  // not stored: made from the texts
};

TDemoConcordanceLine* Line(TObject* o) { return static_cast<TDemoConcordanceLine*>(o); }

// The concordance list: it owns its lines and sorts them on three levels.
class TDemoConcordance : public TQMSister {
 public:
  TDemoConcordance()
      : TQMSister(nullptr, &NewQMBaseListObject<TDemoConcordanceLine>, {}, {}, {}, {}, grid_none,
                  lt_concordance_list, 0) {
    for (const TGrid_head& h : StandardGridHeaderArray(lt_concordance_list)) GridHeadings()->AddOne(h);
    // Level 1: the word to the right; 2: the word to the left; 3: the position.
    TSortSaveable& sv = QMSortSettings.saveable;
    QMSortSettings.comparesorts[main_sort] = [this](TObject* o) { return Compare2Strings(Line(o)->rightWord, pivotRight); };
    QMSortSettings.comparesorts[second_sort] = [this](TObject* o) { return Compare2Strings(Line(o)->leftWord, pivotLeft); };
    QMSortSettings.comparesorts[third_sort] = [this](TObject* o) {
      return CompareLongints(Line(o)->position, pivotPosition);
    };
    for (TSortLevel level : {main_sort, second_sort, third_sort}) {
      sv.column_choices[level].ascending = true;
      sv.SortBytes[level] = static_cast<Byte>(level + 1);
    }
    sv.SortLevelsAvailable = third_sort;
  }
  ~TDemoConcordance() override { Clear(); }

  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = (index >= 0 && index < Count()) ? At(index) : nullptr;
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
  void SetBase(TQMBaseListObject* entry, TSortLevel level) override {
    TDemoConcordanceLine* line = Line(entry);
    if (level == main_sort) pivotRight = line->rightWord;
    if (level == second_sort) pivotLeft = line->leftWord;
    if (level == third_sort) pivotPosition = line->position;
  }
  TDemoConcordanceLine* At1(Int32 i) const { return static_cast<TDemoConcordanceLine*>(Get(i)); }

  // The cells a results grid asks for: the concordance column as word
  // tokens either side of the node (the node highlighted), the position
  // column as a number. Only the line of the cell is looked at.
  TGrid_data_rec DrawgridDataRec(Int32 column, Int32 gridRow, TGrid_alternatives gridKind) override {
    TGrid_data_rec rec = TQMBaseDataClass::DrawgridDataRec(column, gridRow, gridKind);
    if (gridRow < 1 || rec.DataRow < 0 || rec.DataRow >= Count()) return rec;
    const TDemoConcordanceLine* line = At1(rec.DataRow);
    if (rec.GridHeading.alignment == aligned_conc) {
      rec.data_wclformat = wcl_concordance;
      rec.conc_outside_limits[at_right] = -1;
      const auto add = [&](TLeftOrRight side, const String& text) {
        size_t i = 0;
        while (i < text.size()) {
          while (i < text.size() && text[i] == u' ') ++i;
          size_t j = i;
          while (j < text.size() && text[j] != u' ') ++j;
          if (j > i) {
            TConcordDetailedRec t{};
            t.ConcStrTag.wordsections.wd_str = text.substr(i, j - i);
            rec.conc_tokens[side].push_back(t);
          }
          i = j;
        }
      };
      add(at_left, line->left);
      TConcordDetailedRec node{};
      node.ConcStrTag.wordsections.wd_str = line->hit;
      node.colloc_info.CustomColour = true;
      rec.conc_tokens[at_right].push_back(node);
      const TColourFontRec hit{0x66E0FF, 0x800000, static_cast<TFontStyles>(1u << fsBold)};
      rec.conc_colour_info[at_right].push_back(TCollocateColourRec{hit, hit});
      add(at_right, line->right);
    } else if (column > 0) {
      // The demo's lines carry no sentence, paragraph or file details.
      rec.data_type = ddt_string;
    }
    return rec;
  }

  // The lines in the envelope: their count, then each line and its private details.
  bool ListSettToSaveSavedToStream(TStream* stream) override {
    const Int32 n = Count();
    bool ok = stream->Write(&n, 4) == 4;
    for (Int32 i = 0; ok && i < n; ++i)
      ok = Get(i)->SaveToStream(stream) && Get(i)->SavePrivateToStream(this, stream, StoredListInfo->fdata);
    return ok;
  }
  bool ListSettToSaveReadFromStream(TStream* stream) override {
    Int32 n = 0;
    if (!stream->TryReadValue(n) || n < 0 || n > stream->Remaining() / (16 + 32 + 4)) return false;
    for (Int32 i = 0; i < n; ++i) {
      TQMBaseListObject* e = AddedABlankEntry(i);
      if (!e->ReadFromStream(stream) || !e->ReadPrivateFromStream(this, stream, StoredListInfo->fdata)) return false;
    }
    return true;
  }

  String pivotRight, pivotLeft;
  Int32 pivotPosition = 0;
};

bool SameLines(const TDemoConcordance& a, const TDemoConcordance& b) {
  if (a.Count() != b.Count()) return false;
  for (Int32 i = 0; i < a.Count(); ++i) {
    const TDemoConcordanceLine* x = a.At1(i);
    const TDemoConcordanceLine* y = b.At1(i);
    if (x->left != y->left || x->hit != y->hit || x->right != y->right || x->position != y->position) return false;
  }
  return true;
}

}  // namespace

namespace {

// Reads the text, finds the word through a search-word list and its engine,
// makes a line of each hit and sorts the lines on the three levels. The
// number of hits; -1, said on standard error, when the text cannot be read
// or is too long to search. Memory running out raises std::bad_alloc.
Int32 FillAndSortOrRaise(TDemoConcordance& list, const String& fileName, const String& word) {
  TEncoding* encoding = nullptr;
  Int32 bom = 0;
  String text = GetTextOfAFile(fileName, encoding, bom);
  const Int64 fileBytes = FileSizeByName(fileName);
  if (text.empty() && fileBytes != 0) {
    std::fprintf(stderr, "cannot read %s\n", Utf8(fileName).c_str());
    return -1;
  }
  if (!TSearchAndDoEngine::Addresses(text.size())) {
    std::fprintf(stderr, "%s is too long to search (%zu characters)\n", Utf8(fileName).c_str(), text.size());
    return -1;
  }
  std::printf("concordance of \"%s\" in %s (%zu characters)\n", Utf8(word).c_str(), Utf8(fileName).c_str(),
              text.size());

  // The search word through a search-word list; its engine finds the hits.
  TSearchWordItems words(Global_Blank_ignoreTags, LOCALE_USER_DEFAULT, true, se_searchword);
  words.AddSW(word);
  TSearchAndDoEngine& engine = *words.fSearchEngine;
  engine.PrepareForConcordancing(fileName, static_cast<Int32>(std::min<Int64>(fileBytes, INT32_MAX)), 1, 0, false, coll_stop_none,
                                 [&](TSearchAndDoEngine*, TConcSearchRec& hit) {
                                   const String& buffer = global_bufStr[wp_whole];
                                   const Int32 start = hit.hit_edge_1B[sf_start2] - 1;
                                   const Int32 end = hit.hit_edge_1B[sf_finish2] - 1;
                                   auto* line = static_cast<TDemoConcordanceLine*>(list.AddedABlankEntry(0));
                                   const Int32 from = start > kContextChars ? start - kContextChars : 0;
                                   line->left = OneLine(buffer.substr(static_cast<size_t>(from),
                                                                      static_cast<size_t>(start - from)));
                                   line->hit = buffer.substr(static_cast<size_t>(start),
                                                             static_cast<size_t>(end - start));
                                   line->right = OneLine(buffer.substr(static_cast<size_t>(end), kContextChars));
                                   line->position = start + 1;
                                   line->Keys();
                                   return true;
                                 });
  // The text is handed over, not copied.
  engine.SetABuffer(std::move(text), wp_whole);
  for (Int32 i = 0; i < words.Count(); ++i) engine.SearchAndDo(words.GetPtr(i), wp_whole, i, Global_TextSectionsArr);
  const Int32 hits = engine.fSearchAndDoPrivate.fHitsFound[hf_total];
  AddToLogFile(Format(u"%d hits of \"%s\" in %s", {hits, word, fileName}));

  // Three levels: the word to the right, the word to the left, the position.
  list.SortThem(0, list.Count() - 1);
  return hits;
}

// The same, memory running out said on standard error and -1.
Int32 FillAndSort(TDemoConcordance& list, const String& fileName, const String& word) {
  try {
    return FillAndSortOrRaise(list, fileName, word);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "out of memory making the concordance of %s\n", Utf8(fileName).c_str());
  }
  return -1;
}

}  // namespace

std::unique_ptr<TQMSister> ConcordanceForWindow(const String& fileName, const String& word) {
  auto list = std::make_unique<TDemoConcordance>();
  FillAndSort(*list, fileName, word);
  return list;
}

// 0 when the list read back agrees with the list saved.
int RunConcordanceDemo(const String& fileName, const String& word) {
  TDemoConcordance list;
  const Int32 hits = FillAndSort(list, fileName, word);
  if (hits < 0) return 1;

  // Saved as the concordance tool saves its results, then read back.
  global_current_tool = tt_concord;
  const String stored = IncludeTrailingPathDelimiter(GetTempDirectory()) + u"sk_demo_concordance" +
                        ListTypeToDefaultExt(lt_concordance_list);
  bool saved = false;
  {
    TFileStream out(stored, fmCreate);
    TCheckSignature header{};
    saved = DiskSignatureISOKForToolAndList(header, tt_concord, lt_concordance_list, &out, writing) &&
            list.SaveToStream(&out);
  }
  TDemoConcordance back;
  bool loaded = false;
  {
    TFileStream in(stored, fmOpenRead);
    TCheckSignature header{};
    loaded = DiskSignatureISOKForToolAndList(header, tt_concord, lt_concordance_list, &in, reading) &&
             back.ReadFromStream(&in);
  }
  DeleteFile(stored);
  const bool agree = saved && loaded && SameLines(list, back);

  std::printf("%d hits; sorted on the word to the right, the word to the left and the position; saved to %s "
              "and read back: %s\n",
              hits, Utf8(stored).c_str(), agree ? "the same lines" : "DIFFERENT");
  for (Int32 i = 0; i < back.Count() && i < 20; ++i) {
    const TDemoConcordanceLine* line = back.At1(i);
    String left = line->left;
    if (left.size() > kShownChars) left = left.substr(left.size() - kShownChars);
    const String right = line->right.substr(0, kShownChars);
    std::printf("  %3d %7d  %*s[%s]%s\n", i + 1, line->position, kShownChars, Utf8(left).c_str(),
                Utf8(line->hit).c_str(), Utf8(right).c_str());
  }
  AddToLogFile(Format(u"concordance of %d lines saved and read back: %s", {back.Count(), agree ? u"the same" : u"DIFFERENT"}));
  return agree ? 0 : 1;
}
