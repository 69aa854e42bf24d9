// The suite's file services, split by theme:
//   File_utils_paths      names for display, file kinds, common roots, filters
//   File_utils_tests      existence, writeable folders, read-only, sizes
//   File_utils_dates      file dates
//   File_utils_drives     drives and volumes
//   File_utils_jumplists  concordance jump targets
//   File_utils_textfiles  text files, encodings, insertion, checksums
//   File_utils_copying    copying, backups, moving and deleting
//   File_utils_listing    listings, folder statistics, sorting lists of files
#pragma once

#include "services/File_utils_copying.h"
#include "services/File_utils_dates.h"
#include "services/File_utils_drives.h"
#include "services/File_utils_jumplists.h"
#include "services/File_utils_listing.h"
#include "services/File_utils_paths.h"
#include "services/File_utils_tests.h"
#include "services/File_utils_textfiles.h"

namespace sk {

// Unit start and stop (the unit has no work of its own).
void File_utils_initialization();
void File_utils_Finalization();

}  // namespace sk
