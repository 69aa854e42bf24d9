// The example window's results page ("Concordance..."): the main road's
// concordance of a word in a text shown in the results grid, the node
// centred and highlighted, sorted on the word to the right; a heading click
// sorts again (the other way round) and Ctrl+Insert copies the selection.
// Without a display the page is saved as sk_demo_results.png beside the
// program, after a jump to the last line.
#pragma once

#include <memory>

#include "platform/visual/Forms.h"

std::unique_ptr<sk::TForm> MakeResultsPage(sk::TComponent* owner, const sk::String& fileName,
                                           const sk::String& word);
bool SaveResultsPagePicture(sk::TComponent* owner, const sk::String& fileName, const sk::String& word);
