// The message tables of the units above the core: their texts, and identifiers
// that no other table of the library uses.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "analysis/Search_categorising_messages.h"
#include "analysis/Work_qm_base_messages.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/My_filestuffconst.h"
#include "display/QM_Grid_messages.h"
#include "ui/Qmark_error_dlgs_const.h"

namespace sk {
namespace {

struct TTableRef {
  const char* unit;
  const TResStringRec* const* entries;
  Int32 count;
};

TEST(UnitMessageTables, IdentifiersBelongToOneEntryOnly) {
  const TTableRef tables[] = {
      {"Generalruntime1const", Generalruntime1const_Entries, Generalruntime1const_EntryCount},
      {"Generalruntime2const", Generalruntime2const_Entries, Generalruntime2const_EntryCount},
      {"My_filestuffconst", My_filestuffconst_Entries, My_filestuffconst_EntryCount},
      {"Qmark_error_dlgs_const", Qmark_error_dlgs_const_Entries, Qmark_error_dlgs_const_EntryCount},
      {"Search_categorising", Search_categorising_Entries, Search_categorising_EntryCount},
      {"Work_qm_base", Work_qm_base_Entries, Work_qm_base_EntryCount},
      {"QM_Grid", QM_Grid_Entries, QM_Grid_EntryCount},
  };
  std::map<Int32, std::string> owner;
  for (const TTableRef& t : tables)
    for (Int32 i = 0; i < t.count; ++i) {
      const auto [it, fresh] = owner.emplace(t.entries[i]->Identifier, std::string(t.unit) + "." + t.entries[i]->Name);
      EXPECT_TRUE(fresh) << t.entries[i]->Identifier << " used by " << it->second << " and " << t.unit << "."
                         << t.entries[i]->Name;
    }
}

// These texts are shown and exported as they stand.
TEST(UnitMessageTables, TextsOfTheUnitsStayAsWritten) {
  const std::pair<const TResStringRec*, const char16_t*> texts[] = {
      {&_QMUnX, u"Un%s"},
      {&_QMReX, u"Re%s"},
      {&_QMConditionX, u"condition: %s"},
      {&_QMConditionsXorY, u"conditions: (%s) or (%s)"},
      {&_QMConditionsXbutNotY, u"conditions: (%s) but not (%s)"},
      {&_QMConditionsXandY, u"conditions: (%s) and (%s)"},
      {&_QMValueOfColumnX, u"value of column %s"},
      {&_QMColNXValue, u"col %d (%s) value"},
      {&_QMNoValueMarks, u"??"},
      {&_QMQuillmarkTools, u"Quillmark Tools"},
  };
  for (const auto& [rec, text] : texts) EXPECT_EQ(LoadResString(rec), text) << rec->Name;
}

}  // namespace
}  // namespace sk
