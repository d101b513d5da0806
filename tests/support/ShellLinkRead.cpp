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
