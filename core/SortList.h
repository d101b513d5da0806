#pragma once
#include <cstdint>

#include "core/FileList.h"

// Sort word: four keys of three bits (0 name, 1 extension, 2 size, 3 time,
// 4-7 none), then these bits.
constexpr uint32_t SortReverse = 0x2000;     // files reversed; folders stay ascending
constexpr uint32_t SortByNameOnly = 0x4000;  // folders and files mixed, full name
constexpr uint32_t SortDefault = 8;          // name, then extension

// Inserts records from+1..to (block order) of the run starting at firstFile
// into the sorted first "from" positions of its order run.
void SortFilesRange(uint32_t firstFile, uint32_t from, uint32_t to, TstateOfBrowser& list,
                    uint32_t sortWord);
void SortDir(uint32_t dir, uint32_t sortWord, TstateOfBrowser& list);
void SortAllDirs(TstateOfBrowser& list);
