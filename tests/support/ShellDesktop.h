#pragma once
#include <windows.h>
#include <shlobj.h>

#include "core/FileList.h"
#include "framework/Handles.h"
#include "framework/OleAuto.h"

// COM for the test's thread and the shell's desktop folder as DesktopFolder,
// both released at the end of the scope, the folder first.
class TShellDesktop {
 public:
  TShellDesktop() {
    if (SUCCEEDED(SHGetDesktopFolder(reinterpret_cast<IShellFolder**>(folder_.Put())))) DesktopFolder = folder_.Get();
  }
  ~TShellDesktop() { DesktopFolder = nullptr; }
  TShellDesktop(const TShellDesktop&) = delete;
  TShellDesktop& operator=(const TShellDesktop&) = delete;
  bool Ready() const { return folder_.Get() != nullptr; }

 private:
  TComApartment com_;
  TComPtr<IShellFolder> folder_;
};
