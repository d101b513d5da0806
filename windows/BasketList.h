#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "core/FileList.h"
#include "framework/StringList.h"

// The basket list file: one full path per line, CR LF after each.

// Every entry of every open directory of the list, in display order, marked
// or not. Its own cursor: a walk may be open meanwhile.
void BuildBasketList(TstateOfBrowser& basket, TStringList& lines);
// False with the system's error code when the file could not be written;
// an earlier file is then left as it was.
bool SaveBasketList(const std::string& file, DWORD& error);
// The lines of a basket list file that can name a file: absolute (a drive
// letter with ":\" or "\\server\share\"), a folder and a name, no control
// bytes, at most 259 characters. CR LF and a lone LF end a line.
void ParseBasketList(std::string_view text, TStringList& lines);
// Rebuilds the basket from a basket list file: its directories, and the
// entries that still exist. The file is read first: false (the basket as it
// was) with the system's error code when it cannot be.
bool LoadBasketList(const std::string& file, DWORD& error);
// The basket becomes the work list (which is left empty) and every list
// follows it.
void ReplaceBasketWith(TstateOfBrowser& work);
