#pragma once
#include <string>

// A link file's target and working folder, read back through the shell's
// link object; both empty when it cannot be read. Needs COM on the thread.
struct TLinkRead {
  std::string Target;
  std::string Folder;
};
TLinkRead ReadShellLink(const std::string& path);
