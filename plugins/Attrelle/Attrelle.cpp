// The sample plug-in shipped with Kelvanto.
extern "C" __declspec(dllexport) const char* GetPluginTitle() { return "Attrelle"; }
