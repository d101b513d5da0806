#include "setup/Links.h"

#include <shlobj.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

int CreateShellLink(const std::string& linkPath, const std::string& targetPath,
                    const std::string& workingFolder) {
  if (GetFileAttributesA(linkPath.c_str()) != INVALID_FILE_ATTRIBUTES &&
      !DeleteFileA(linkPath.c_str()))
    return slCannotReplace;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.GetAddressOf()))))
    return slNoLinkObject;
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file))) return slNoPersistFile;
  if (FAILED(link->SetPath(targetPath.c_str())) ||
      FAILED(link->SetWorkingDirectory(workingFolder.c_str())))
    return slCannotSetPath;
  const int length = MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, nullptr, 0);
  std::wstring widePath(length > 0 ? size_t(length) : 0, L'\0');
  if (length <= 0 ||
      MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath.data(), length) != length)
    return slCannotConvert;
  return SUCCEEDED(file->Save(widePath.c_str(), TRUE)) ? slOk : slCannotSave;
}

bool MakeLink(HWND owner, const std::string& linkPath, const std::string& targetPath,
              const std::string& workingFolder) {
  if (CreateShellLink(linkPath, targetPath, workingFolder) == slOk) return true;
  const std::string text = "Cannot create link to file\r\n" + targetPath;
  MessageBoxA(owner, text.c_str(), "Error", MB_OK | MB_ICONERROR);
  return false;
}
