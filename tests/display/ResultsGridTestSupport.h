// What the results-grid tests share: a counting list whose entries are one
// shared blank entry (so that a million of them cost only the slot array),
// whose cells are "w<entry>" in column 1 and the entry number in column 2,
// and a grid with its cell handler on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "VisualTestSupport.h"
#include "analysis/Headingsu.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Qm_global_vars.h"
#include "display/QMGridCellHandler.h"
#include "display/QM_Grid.h"
#include "platform/runtime/Strings.h"

namespace sk {

class TCountingList : public TQMSister {
 public:
  explicit TCountingList(Int32 n, TQuillmarkList kind = lt_word_list)
      : TQMSister(nullptr, nullptr, {}, {}, {}, {}, grid_none, kind, 0), fEntry(this, nullptr) {
    auto heads = std::make_unique<TGridHeaderList>(kind);
    TGrid_head h0{};
    h0.heading = u"N";
    h0.pixel_width96 = 40;
    heads->AddOne(h0);
    TGrid_head h1{};
    h1.heading = u"Word";
    h1.original_column = 1;
    h1.pixel_width96 = 120;
    h1.version = 1;
    h1.editable = ed_tanto_faz;
    heads->AddOne(h1);
    TGrid_head h2{};
    h2.heading = u"Freq";
    h2.original_column = 2;
    h2.numerical = 1;
    h2.alignment = aligned_right;
    h2.pixel_width96 = 80;
    h2.version = 1;
    heads->AddOne(h2);
    SetGridHeadings(std::move(heads));
    SetCapacity(n);
    for (Int32 i = 0; i < n; ++i) Add(&fEntry);
  }
  // The shared entry is not the list's to free.
  ~TCountingList() override {
    while (Count() > 0) TQMBaseDataClass::RemoveAnEntry(Count() - 1);
  }

  TGrid_data_rec DrawgridDataRec(Int32 column, Int32 gridRow, TGrid_alternatives gridKind) override {
    ++fetched;
    TGrid_data_rec rec = TQMBaseDataClass::DrawgridDataRec(column, gridRow, gridKind);
    if (gridRow >= 1 && column == 1) rec.cluster_tokens = {TStringTag{u"w" + IntToStr(gridRow), String(), 0}};
    if (gridRow >= 1 && column == 2) {
      rec.data_type = ddt_number;
      rec.n_and_disp.computed_value = gridRow;
    }
    if (tweak) tweak(column, gridRow, rec);
    return rec;
  }

  Int64 fetched = 0;
  std::function<void(Int32, Int32, TGrid_data_rec&)> tweak;

 private:
  TQMBaseListObject fEntry;
};

struct TGridFixture {
  explicit TGridFixture(Int32 n, Int32 width = 400, Int32 height = 300, TQuillmarkList kind = lt_word_list) {
    TestApplication();
    savedColours = Global_Colours;
    list = std::make_unique<TCountingList>(n, kind);
    grid = std::make_unique<TQM_Grid>(nullptr);
    grid->SetBounds(0, 0, width, height);
    handler = std::make_unique<TQMGridCellHandler>();
    handler->fCurrentGrid = grid.get();
    grid->fCellmanager = handler.get();
    grid->MatchGridToListType(kind, grid_none, list.get());
    grid->SetColumnWidths();
  }
  // The shared colour table goes back as it was.
  ~TGridFixture() { Global_Colours = savedColours; }
  TGridFixture(const TGridFixture&) = delete;
  TGridFixture& operator=(const TGridFixture&) = delete;
  TMyCanvasColourRec savedColours{};
  std::unique_ptr<TCountingList> list;
  std::unique_ptr<TQM_Grid> grid;
  std::unique_ptr<TQMGridCellHandler> handler;
};

}  // namespace sk
