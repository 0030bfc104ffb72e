// Start-up of the tool: the application object, the main window and the
// Info dialog, then the message loop.
#pragma once

int RunTool(int argc, char* argv[]);
