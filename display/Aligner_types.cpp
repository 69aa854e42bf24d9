#include "display/Aligner_types.h"

namespace sk {

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
