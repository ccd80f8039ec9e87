// The calendar reader of imports: see FuzzImport.h for what every input must keep.
#include "FuzzImport.h"

OMBO_IMPORT_FUZZ_TARGET(readCalendarText, true)
