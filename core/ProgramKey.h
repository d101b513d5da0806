#pragma once

// HKEY_LOCAL_MACHINE key of the program: Kelvanto reads and writes it, the
// installer writes it first and the uninstaller removes it.
inline constexpr const char* ProgramRegistryKey = "Software\\Tarnwick\\Kelvo\\MainProgram";
