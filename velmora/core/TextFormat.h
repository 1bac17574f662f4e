// Bounded printf formatting into the engine's fixed text buffers. Text that does not fit is
// cut, never overrun, and a cut never splits a character of the text encoding
// (core/TextEncoding.h).
#pragma once

#include <cstdarg>
#include <cstddef>

#include <velmora/Export.h>

// Formats into buffer[size] (size >= 1), keeping at most maxChars characters (and at most
// size - 1). Returns the length written.
VLM_API size_t FormatTextV(char* buffer, size_t size, size_t maxChars, const char* format, va_list args);
VLM_API size_t FormatText(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
// TextCutLength in GBK, whatever the text encoding: a last lead byte (0x81-0xFE) is left out.
VLM_API size_t GbkCutLength(const char* text, size_t length);
