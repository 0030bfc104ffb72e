// What the reliability run found, counted over all its cases and printed at
// its end (and appended to the file FIGURES names, for the test script).
#pragma once

#include <string>

struct TFigures {
  long Tried = 0;
  long Crashed = 0;
  long Hung = 0;
  long Outside = 0;
  long FalseSuccess = 0;
  long Lost = 0;
  long Mixed = 0;
};

TFigures& Figures();
std::string DescribeFigures(const TFigures& figures);
