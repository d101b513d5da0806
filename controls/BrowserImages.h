#pragma once
#include <memory>

#include "framework/Graphics.h"

// The pane's own 16 x 16 pictures, drawn for the icon values below 0 (value
// -n-1 is image n): 0 the up-folder of the "[..]" row, 1 a file without
// icon, 2 a closed folder, 3 an open folder.
std::unique_ptr<TImageList> MakeImageListBrowser();
// The header's sort marks: 0 ascending, 1 descending.
std::unique_ptr<TImageList> MakeUpDownImages();
