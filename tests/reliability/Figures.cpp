#include "tests/reliability/Figures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

TFigures& Figures() {
  static TFigures figures;
  return figures;
}

std::string DescribeFigures(const TFigures& f) {
  return "cases tried " + std::to_string(f.Tried) + ", crashed " + std::to_string(f.Crashed) + ", hung " +
         std::to_string(f.Hung) + ", outside " + std::to_string(f.Outside) + ", false success " +
         std::to_string(f.FalseSuccess) + ", lost " + std::to_string(f.Lost) + ", mixed " + std::to_string(f.Mixed);
}

namespace {

// Prints the figures once every test has run.
class TFiguresPrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    const std::string line = "Reliability: " + DescribeFigures(Figures());
    std::printf("%s\n", line.c_str());
    if (const char* file = std::getenv("FIGURES")) std::ofstream(file, std::ios::app) << line << "\n";
  }
};

const auto* const Printer = ::testing::AddGlobalTestEnvironment(new TFiguresPrinter);

}  // namespace
