#include "app/Startup.h"

int main(int argc, char* argv[]) { return RunTool(argc, argv); }
