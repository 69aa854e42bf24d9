// Fuzz target: the parsers of the suite's text records, fed the input as
// UTF-16 text. The first byte picks the parser. Parsers never read past the
// text whatever count a line states, and the conversions that go both ways
// give back what they were given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "analysis/Search_parsing.h"
#include "services/Html_utils.h"
#include "services/Wdef.h"

using namespace sk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  String s;
  for (size_t i = 1; i + 1 < size; i += 2) s += static_cast<Char>(data[i] | data[i + 1] << 8);
  Wdef_TagWildcardConverted = &TagWildcardConverted;

  switch (mode % 7) {
    case 0: {
      const TConcordDetailedLR d = Concordance_detailsFromString(s);
      size_t chars = 0;
      for (TLeftOrRight side : {at_left, at_right})
        for (const TConcordDetailedRec& rec : d[side]) {
          // A token without a letter or digit stands in both punctuation
          // sections, so only the word and the tags are counted.
          chars += rec.ConcStrTag.wordsections.wd_str.size() + rec.ConcStrTag.tag.size();
        }
      if (chars > s.size()) std::abort();
      ConcLineAsLRStringArr(d, nullptr, tag_after_word);
      break;
    }
    case 1: {
      const TSelectTextFile_Rec rec = StringToSelectTextFile_Rec(s);
      const String back = SelectTextFile_RecToString(rec);
      if (back.size() > 170) std::abort();
      // Reading the record's own text again gives the same record.
      if (s.find(u'"') == String::npos && back == s) {
        const TSelectTextFile_Rec again = StringToSelectTextFile_Rec(back);
        if (SelectTextFile_RecToString(again) != back) std::abort();
      }
      break;
    }
    case 2: {
      const String coded = EncodedCRLFTAB(s);
      EncodedCRLFTABToReadableStr(coded);
      break;
    }
    case 3: {
      const auto pos = static_cast<Int32>(mode >> 3) - 2;
      const Int32 f = EndOfSameWord(pos, s, false);
      const Int32 b = EndOfSameWord(pos, s, true);
      if (f != -1 && (f < pos || f > static_cast<Int32>(s.size()))) std::abort();
      if (b != -1 && (b > pos || b < 1)) std::abort();
      CorrectedPathname(s);
      break;
    }
    case 4: {
      TEntityRecList list;
      list.AddIfFormatOK(s);
      if (list.Count() > 1) std::abort();
      if (list.Count() == 1 && list.GetEntityRecs(0).HTML.empty()) std::abort();
      MyHTMLEscape(s);
      // Every line an entity, then the text converted both ways through that
      // list: one pass each, so the lengths stay bounded.
      auto entities = std::make_unique<TEntityRecList>();
      for (size_t from = 0; from <= s.size();) {
        size_t end = s.find(u'\n', from);
        if (end == String::npos) end = s.size();
        entities->AddIfFormatOK(s.substr(from, end - from));
        from = end + 1;
      }
      std::unique_ptr<TEntityRecList> saved = std::move(HTMLEntityList);
      HTMLEntityList = std::move(entities);
      const String readable = HTMLStringToReadableString(s);
      if (readable.size() > 2 * s.size()) std::abort();
      ReadableStringToHTMLString(readable);
      HTMLEntityList = std::move(saved);
      break;
    }
    case 5: {
      const String out = StrippedOfHTMLComments(s);
      if (out.size() > s.size()) std::abort();
      SubStrClearedFromString(s.substr(0, mode >> 5), s);
      ConcordanceSpanStrToPosition(s);
      break;
    }
    case 6: {
      // A colour-and-style text read and written again reads the same.
      const TColourFontRec rec = CollocInfoStringToTColourFontRec(s);
      const TColourFontRec again = CollocInfoStringToTColourFontRec(TColloc_InfoToStr(rec));
      if (again.FontColour != rec.FontColour || again.BrushColour != rec.BrushColour ||
          again.typeface != rec.typeface)
        std::abort();
      break;
    }
  }
  return 0;
}
