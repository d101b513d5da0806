#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// Defines a drive letter of the test prefix over a Unix folder with a given
// drive type through Wine's mount manager (DRIVE_NO_ROOT_DIR removes the
// letter). Tests that add letters take the wine_drives lock.
bool DefineWineDrive(char letter, UINT type, const std::string& unixFolder);

// A drive letter of the test prefix over a fresh folder of drive C:, removed
// at the end: the same files under two paths, C:\kvt_drive_... and X:\.
class TTestDrive {
 public:
  TTestDrive(char letter, UINT type);
  ~TTestDrive();
  TTestDrive(const TTestDrive&) = delete;
  TTestDrive& operator=(const TTestDrive&) = delete;
  bool Ok() const { return ok_; }
  void Remove();
  // The folder as drive C: shows it, and the new drive's root ("X:\").
  const std::string& Folder() const { return folder_; }
  std::string Root() const { return std::string(1, letter_) + ":\\"; }

 private:
  char letter_;
  std::string folder_;
  bool ok_ = false;
};

// A folder of drive C: that is a file system of its own, of a given size: a
// tmpfs that root mounts over it through Wine's start of Unix programs, so
// that writes there run out of space as on a full disk (or, read-only, fail
// as on a write-protected one). The file system is unmounted at the end,
// with whatever was written to it.
class TSmallDisk {
 public:
  TSmallDisk(const std::string& folder, uint64_t size, bool readOnly = false);
  ~TSmallDisk();
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::string folder_;
  std::string unixFolder_;
  bool ok_ = false;
};
