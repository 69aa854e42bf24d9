// The text library: free routines over UTF-16 strings. The unit is split by
// theme; this header brings all the themes in.
#pragma once

#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_words.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_occurrences.h"
#include "core/My_string_functions_tags.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_readable.h"
#include "core/My_string_functions_tabfields.h"
#include "core/My_string_functions_numbers_in_text.h"
#include "core/My_string_functions_positions.h"
#include "core/My_string_functions_textstats.h"

namespace sk {
// Unit start and stop (the unit has no work of its own).
void My_string_functions_initialization();
void My_string_functions_Finalization();
}  // namespace sk
