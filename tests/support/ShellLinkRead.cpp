#include "support/ShellLinkRead.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

TLinkRead ReadShellLink(const std::string& path) {
  TLinkRead r;
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.GetAddressOf()))) ||
      FAILED(link.As(&file)))
    return r;
  const std::wstring wide(path.begin(), path.end());
  if (FAILED(file->Load(wide.c_str(), STGM_READ))) return r;
  char text[MAX_PATH] = {};
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) r.Target = text;
  text[0] = 0;
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) r.Folder = text;
  return r;
}

std::vector<TInstallerLink> InstallerLinks(const std::string& desktopLink, const std::string& group,
                                           const std::string& folder) {
  return {{desktopLink, folder + "\\Kelvanto.exe"},
          {group + "\\Start Kelvanto.lnk", folder + "\\Kelvanto.exe"},
          {group + "\\KVT help.lnk", folder + "\\kvt.chm"},
          {group + "\\Uninstall Kelvanto.lnk", folder + "\\UninstKVT.exe"}};
}

testing::AssertionResult LinksReadBack(const std::vector<TInstallerLink>& links, const std::string& folder) {
  for (const TInstallerLink& l : links) {
    const TLinkRead read = ReadShellLink(l.Link);
    if (lstrcmpiA(read.Target.c_str(), l.Target.c_str()) != 0 || lstrcmpiA(read.Folder.c_str(), folder.c_str()) != 0)
      return testing::AssertionFailure() << l.Link << " leads to " << read.Target << " in " << read.Folder;
  }
  return testing::AssertionSuccess();
}
