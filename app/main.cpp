#include "app/CommandLineTool.h"
#include "app/Startup.h"

// With arguments the tool runs a job of its command line; without, its window.
int main(int argc, char* argv[]) { return WantsCommandLine(argc, argv) ? RunCommandLine(argc, argv) : RunTool(argc, argv); }
