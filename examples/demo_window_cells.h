// The example window's page of painted cells ("Cells..."): a cluster with
// coloured tags, concordance lines with their node highlighted (one of them
// in a selected row, one struck out as deleted) and a Hebrew line with a
// Latin run and a search-word hit, each painted by the text drawer into its
// own cell. Without a display the page is saved as sk_demo_cells.png beside
// the program.
#pragma once

#include <memory>

#include "platform/visual/Forms.h"

std::unique_ptr<sk::TForm> MakeCellsPage(sk::TComponent* owner);
bool SaveCellsPagePicture(sk::TComponent* owner);
