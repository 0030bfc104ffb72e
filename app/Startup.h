// Start-up of the tool: the application object, the main window and the
// Info dialog, then the message loop.
#pragma once

#include <memory>

#include "app/MainForm.h"

int RunTool(int argc, char* argv[]);
// Creates the main window. When the engine cannot be bound, the error says
// what the engine is on this host and how to get it.
std::unique_ptr<TForm1> CreateMainWindow(const WideString& toolDirectory,
                                         const WideString& engineLibrary = TSevenZip::EngineLibraryName);
