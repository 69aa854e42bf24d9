// TQMSister: the entries whose word holds one of a list's search words.
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"

namespace sk {

namespace {

// Whether one of the words is in the text (set as the buffer of wp_part).
bool AnyWordFound(TWLSearchAndDo& engine, TBaseSearchItems& words, String text) {
  engine.SetABuffer(std::move(text), wp_part);
  for (Int32 w = 0; w < words.Count(); ++w) {
    const TQMSearchWordRec* rec = words.GetPtr(w);
    engine.SetSearchWord(rec->search_text, rec->flags);
    if (engine.QuickSearchFoundIgnoringTags(wp_part)) return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<T1LongintList> TQMSister::ItemsWhichMatch(TBaseSearchItems* searchWords, Cardinal lcid, Int32 column,
                                                          TIncludeDeleted includeDeleted) {
  auto rows = std::make_unique<T1LongintList>();
  if (searchWords == nullptr || searchWords->Count() == 0) return rows;
  TWLSearchAndDo engine(lcid, se_searchword);
  for (Int32 i = 0; i < fCount; ++i) {
    MyYieldProcess();
    if (i % 1024 == 0) ReportProgressPercent(static_cast<Int32>(static_cast<Int64>(i) * 100 / fCount));
    TQMBaseListObject* e = At(i);
    if (e == nullptr || (includeDeleted != id_include_deleted && e->IsDeleted())) continue;
    if (AnyWordFound(engine, *searchWords, e->GetAWordAsString(column) + u"     ")) rows->AddOne(i);
  }
  global_bufStr[wp_part].clear();
  global_Wchars[wp_part].clear();
  return rows;
}

std::unique_ptr<T1LongintList> TQMSister::ItemsWhichMatchBreakdown(TBaseSearchItems* searchWords, Cardinal lcid,
                                                                   Int32 column, Int32 breakdownColumn,
                                                                   const String& breakdownText) {
  auto rows = std::make_unique<T1LongintList>();
  if (searchWords == nullptr || searchWords->Count() == 0) return rows;
  TWLSearchAndDo engine(lcid, se_searchword);
  for (Int32 i = 0; i < fCount; ++i) {
    MyYieldProcess();
    if (i % 1024 == 0) ReportProgressPercent(static_cast<Int32>(static_cast<Int64>(i) * 100 / fCount));
    TQMBaseListObject* e = At(i);
    if (e == nullptr || e->GetAWordAsString(breakdownColumn) == breakdownText) continue;
    if (AnyWordFound(engine, *searchWords, e->GetAWordAsString(column) + u" ")) rows->AddOne(i);
  }
  global_bufStr[wp_part].clear();
  global_Wchars[wp_part].clear();
  return rows;
}

}  // namespace sk
