// Private to the resource managers: the batch list files. A record is a line whose first
// character is "#"; its fields are separated by runs of spaces, tabs and line ends.
#pragma once

#include <functional>
#include <vector>

#include <velmora/platform/win32/Types.h>

namespace vlm_engine {

// Reads `file` line by line (at most 255 characters a line; a longer line goes on as a new
// one) and hands each record's line number (from 1; a longer line's parts share it) and
// fields to `record`, which returns false to end the batch. False when the name is empty, the
// file cannot be opened ("Can't open file[%s]!") or a record ended the batch.
bool ReadListFile(const char* file, const std::function<bool(int line, const std::vector<char*>& fields)>& record);

// An integer field read as atoi reads it (optional sign, leading digits, 0 without any),
// held to the range of int instead of overflowing.
int FieldToInt(const char* text);

// Logs each of the first `count` fields that FieldToInt does not read whole ("7x", "one").
void CheckNumberFields(const char* list, int line, const std::vector<char*>& fields, size_t count);

// Logs, after the load's own line, why the record on `line` loaded nothing: its handle is no
// caller handle, `heldBy` (not null) already holds it, or the picture itself did not load.
void ReportFailedRecord(const char* list, int line, DWORD handle, const char* heldBy, const char* file, DWORD index,
                        bool amf);

}  // namespace vlm_engine
