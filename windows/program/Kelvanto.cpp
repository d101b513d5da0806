#include <windows.h>

#include "windows/Startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunKelvanto(); }
