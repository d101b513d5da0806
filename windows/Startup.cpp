#include "windows/Startup.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <new>

#include "core/FileUtils.h"
#include "core/Help.h"
#include "core/IconReader.h"
#include "core/translator.h"
#include "framework/OleAuto.h"
#include "framework/Registry.h"
#include "windows/MainForm.h"

std::string SettingsFilePath;

namespace {

bool IsBareFileName(const std::string& name) {
  return name != "." && name != ".." && name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

std::string ReadProgramSetting(const std::string& name) {
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
  if (!reg.OpenKeyReadOnly(ProgramRegistryKey)) return "";
  return reg.ReadString(name).value_or("");
}

void WriteProgramSetting(const std::string& name, const std::string& text) {
  TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ | KEY_WRITE);
  if (reg.OpenKey(ProgramRegistryKey, true)) reg.WriteString(name, text);
}

bool GetFirstParam(std::string& token, size_t& position, const std::string& commandLine) {
  token.clear();
  const size_t n = commandLine.size();
  auto at = [&](size_t p) { return commandLine[p - 1]; };
  if (position >= 1 && position <= n && at(position) == '"') {
    while (position < n) {
      ++position;
      if (at(position) == '"') break;
      token += at(position);
    }
    ++position;
  } else {
    while (position >= 1 && position <= n && at(position) != ' ') token += at(position++);
  }
  while (position >= 1 && position <= n) {
    if (at(position) != ' ') return true;
    ++position;
  }
  return false;
}

void ApplyCommandLine() {
  const std::string line = GetCommandLineA();
  if (line.size() < 2) return;
  std::string token;
  size_t position = 1;
  // The first token is the program's own path, so this changes nothing in
  // practice; the program's folder comes from the shortcut's working folder.
  if (GetFirstParam(token, position, line)) SetCurrentDirectoryA(token.c_str());
}

std::string ChooseHelpFile(const std::string& programFolder, const std::string& languageFileName) {
  if (!languageFileName.empty()) {
    std::string own = programFolder + languageFileName + ".chm";
    if (PathExists(own)) return own;
  }
  return programFolder + "kvt.chm";
}

void PrepareStartup() {
  const std::string folder = ProgramFolder();
  SettingsFilePath = SettingsFileName(folder);
  ApplyCommandLine();
  RegisterSharedTexts();
  TClassTranslator& t = Translator();
  t.LanguageFileName = ReadProgramSetting("LanguageId");
  // Language files lie in the current (program) folder and are opened by
  // their bare name; a value that reaches elsewhere means English.
  if (!IsBareFileName(t.LanguageFileName)) t.LanguageFileName.clear();
  if (!t.LanguageFileName.empty()) t.LoadFromFile(t.LanguageFileName);
  HelpFileName = ChooseHelpFile(folder, t.LanguageFileName);
}

void PrepareShellIcons() {
  LoadRegisteredExtensions(RegisteredExtensions);
  GetShellIconIndexes();
}

int RunGuarded(const std::function<int()>& run) {
  char reason[400] = "unknown error";
  try {
    return run();
  } catch (const std::bad_alloc&) {
    snprintf(reason, sizeof reason, "not enough memory");
  } catch (const std::exception& e) {
    snprintf(reason, sizeof reason, "%s", e.what());
  } catch (...) {
  }
  // A fixed buffer: the reason may be that no memory is left for a string.
  char text[500];
  snprintf(text, sizeof text, "Kelvanto has to stop: %s.", reason);
  MessageBoxA(nullptr, text, "Kelvanto", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  return 1;
}

int RunKelvanto() {
  return RunGuarded([] {
    PrepareStartup();
    // Without OLE the shell's copy verb reports success and leaves the
    // clipboard empty.
    TOleScope ole;
    PrepareShellIcons();
    return RunMainForm();
  });
}
