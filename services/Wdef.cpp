#include "services/Wdef.h"

#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/ResourceStrings.h"
#include "services/Logging_utilities.h"

namespace sk {

namespace {

constinit TUnitCounter Wdef_counter;

void FillConstants() {
  const TResStringRec* names[] = {&_QMLemmas, &_QMMatchList, &_QMStopList, &_QMRelationList};
  const TResStringRec* files[] = {&_QMLemmaFileS, &_QMMatchListFileS, &_QMStopListFileS, &_QMRelationListFileS};
  for (int k = 0; k < 4; ++k) {
    const auto which = static_cast<TLemmaMatchStopRelOptions>(k);
    LemmaMatchStopRelNames_of_processes[which] = LoadResString(names[k]);
    LemmaMatchStopRelFiles[which] = LoadResString(files[k]);
  }
  collocation_barrier_strs[coll_stop_none] = LoadResString(&_QMNoLimits);
  for (Tcollocation_barrier b : {coll_stop_punctuation, coll_stop_sentence, coll_stop_paragraph, coll_stop_heading,
                                 coll_stop_section})
    collocation_barrier_strs[b] = LoadResString(&_QMStopAtXBreak);
  collocation_barrier_strs[coll_stop_text] = LoadResString(&_QMStopAtEndOfText);
}

template <class Table>
void EmptyTable(Table& table) {
  for (String& s : table) String().swap(s);
}

}  // namespace

String WdefTagWildcardConverted(const String& s) {
  return Wdef_TagWildcardConverted != nullptr ? Wdef_TagWildcardConverted(s) : s;
}

bool WdefIsAZipFile(const String& filename) {
  return Wdef_IsAZipFile != nullptr && Wdef_IsAZipFile(filename);
}

void WdefEnsureColoursOK(TMyCanvasColourRec& colours) {
  if (Wdef_EnsureColoursOK != nullptr) Wdef_EnsureColoursOK(colours);
}

void Wdef_initialization() {
  if (!Wdef_counter.Initialization()) return;
  FillConstants();
  TFormatSettings fs = TFormatSettings::Create();
  fs.DateSeparator = u'/';
  fs.ShortDateFormat = u"yyyy/mm/dd";
  fs.TimeSeparator = u':';
  fs.LongTimeFormat = u"hh:nn:ss";
  Global_StringToDateTimeFormat = fs;
}

void Wdef_Finalization() {
  if (!Wdef_counter.Finalization()) return;
  if (global_log_level > 1) AddToLogFile(u"quit wdef, ", false);
  EmptyTable(LemmaMatchStopRelNames_of_processes);
  EmptyTable(LemmaMatchStopRelFiles);
  EmptyTable(collocation_barrier_strs);
}

}  // namespace sk
