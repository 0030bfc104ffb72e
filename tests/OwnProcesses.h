// Keeps a test program to the processes it starts itself: the host's process
// list shows only those, the orphans of its detached children come back to
// it, and every one of them is ended after each test, passed or failed.
#pragma once

// Call once, after GoogleTest was initialised.
void KeepToOwnProcesses();
// Ends every process the test program started and reaps it.
void EndOwnProcesses();
