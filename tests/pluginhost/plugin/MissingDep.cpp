// A library that the test plug-in imports but that is kept out of its reach.
extern "C" __declspec(dllexport) int KvtMissingDependency() { return 20; }
