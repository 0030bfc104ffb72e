// Date-time values: days since 1899-12-30, the time of day as fraction.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

using TDateTime = double;

// The current local date and time.
TDateTime Now();
// The DOS date (high word) and time (low word) of a local date-time value,
// seconds rounded down to even; 0 for years before 1980 or after 2107.
std::int32_t DateTimeToFileDate(TDateTime value);
