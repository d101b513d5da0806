// Libraries that a plug-in folder may hold besides real plug-ins.
#if defined(KVT_NIL_TITLE)
extern "C" __declspec(dllexport) const char* GetPluginTitle() { return nullptr; }
#else
extern "C" __declspec(dllexport) int NotAPlugin() { return 1; }
#endif
