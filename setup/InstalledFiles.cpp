#include "setup/InstalledFiles.h"

std::vector<std::string> BuildFileList() {
  std::vector<std::string> names = {ProgramFileName, UninstallerFileName, HelpFileName,
                                    "\\Attrelle.plgn"};
  // French alone ships translated help beside its language and tip files.
  names.push_back("\\french.lng");
  names.push_back("\\french.lng.tip");
  names.push_back("\\french.lng.chm");
  for (const char* language : {"spanish", "nederlands", "Danish", "Hungarian", "Portuguese",
                               "Turkish", "Russian"}) {
    names.push_back(std::string("\\") + language + ".lng");
    names.push_back(std::string("\\") + language + ".lng.tip");
  }
  return names;
}
