// A library that looks like an engine but has no CreateObject entry.
extern "C" int GetModuleProp(unsigned, void*) { return 0; }
