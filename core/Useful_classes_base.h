// The library's base containers and the comparers they build on. Each theme
// lives in its own file; this header brings them all in.
#pragma once

#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_lists.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_multilong.h"
#include "core/Useful_classes_base_streams.h"
#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_numeric.h"
#include "core/Useful_classes_base_words.h"
#include "core/Useful_classes_base_records.h"
#include "core/Useful_classes_base_stringlists.h"
#include "core/Useful_classes_base_simplesearch.h"
#include "core/Useful_classes_base_filelists.h"

namespace sk {
// Unit start and stop (the unit has no work of its own).
void Useful_classes_base_initialization();
void Useful_classes_base_Finalization();
}  // namespace sk
