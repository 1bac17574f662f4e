// Private to the resource managers: the batch list files. A record is a line whose first
// character is "#"; its fields are separated by runs of spaces, tabs and line ends.
#pragma once

#include <functional>
#include <vector>

namespace vlm_engine {

// Reads `file` line by line (at most 255 characters a line; a longer line goes on as a new
// one) and hands each record's fields to `record`, which returns false to end the batch.
// False when the name is empty, the file cannot be opened ("Can't open file[%s]!") or a
// record ended the batch.
bool ReadListFile(const char* file, const std::function<bool(const std::vector<char*>& fields)>& record);

// An integer field read as atoi reads it (optional sign, leading digits, 0 without any),
// held to the range of int instead of overflowing.
int FieldToInt(const char* text);

}  // namespace vlm_engine
