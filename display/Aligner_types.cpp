#include "display/Aligner_types.h"

#include <string_view>

namespace sk {

TFontStyles FontStyleForHeadingLine(TFontStyles styles, String& text) {
  static constexpr std::u16string_view open = u"<B>", close = u"</B>";
  const auto plain = static_cast<TFontStyles>(styles & ~(1u << fsBold));
  const std::u16string_view t = text;
  if (t.size() < open.size() + close.size() || !t.starts_with(open) || !t.ends_with(close)) return plain;
  size_t depth = 0;
  for (size_t i = 0; i < t.size();) {
    if (t.substr(i).starts_with(open)) {
      ++depth;
      i += open.size();
    } else if (t.substr(i).starts_with(close)) {
      if (depth == 0) return plain;  // a close with no run open
      --depth;
      i += close.size();
      if (depth == 0 && i != t.size()) return plain;  // the first run ends before the line does
    } else {
      ++i;
    }
  }
  if (depth != 0) return plain;
  text = text.substr(open.size(), text.size() - open.size() - close.size());
  return static_cast<TFontStyles>(styles | (1u << fsBold));
}

TAlignerTabsheetOrder AlignerTabToAlignerTabSheetOrder(TAlignerTab tab) {
  switch (tab) {
    case tat_aligner_sents: return tso_AL_sentences;
    case tat_aligner_conc: return tso_AL_Concordance;
    case tat_aligner_paras:
    default: return tso_AL_paragraphs;
  }
}

TAlignerTab AlignerTabsheetOrderToAlignerTab(TAlignerTabsheetOrder page) {
  switch (page) {
    case tso_AL_sentences: return tat_aligner_sents;
    case tso_AL_Concordance: return tat_aligner_conc;
    default: return tat_aligner_paras;
  }
}

}  // namespace sk
