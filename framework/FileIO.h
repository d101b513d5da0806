#pragma once
#include <string>
#include <string_view>

// Reads a whole file (read and write sharing); false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& data);

// Writes data to a new file beside path and moves it over path in one step,
// so that path always holds either the old or the new content.
bool WriteFileReplacing(const std::string& path, std::string_view data);
