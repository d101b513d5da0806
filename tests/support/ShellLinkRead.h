#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

// A link file's target and working folder, read back through the shell's
// link object; both empty when it cannot be read. Needs COM on the thread.
struct TLinkRead {
  std::string Target;
  std::string Folder;
};
TLinkRead ReadShellLink(const std::string& path);

// The installer's links (desktop, start, help, uninstall) and their targets.
struct TInstallerLink {
  std::string Link, Target;
};
std::vector<TInstallerLink> InstallerLinks(const std::string& desktopLink, const std::string& group,
                                           const std::string& folder);
// Each link reads back with its target and folder as its working folder.
testing::AssertionResult LinksReadBack(const std::vector<TInstallerLink>& links, const std::string& folder);
