#include <velmora/core/TextFormat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <velmora/core/TextEncoding.h>
#include <velmora/platform/win32/CodePage.h>

size_t GbkCutLength(const char* text, size_t length) { return vlm_CutLength(936, text, length); }

size_t FormatTextV(char* buffer, size_t size, size_t maxChars, const char* format, va_list args) {
    if (!buffer || size == 0) return 0;
    buffer[0] = '\0';
    if (!format) return 0;
    size_t length = 0;
    if (std::strcmp(format, "%s") == 0) {
        // The commonest format, copied without the formatter: text drawn every frame.
        const char* text = va_arg(args, const char*);
        if (!text) text = "(null)";
        length = std::strlen(text);
        std::memcpy(buffer, text, std::min(length, size - 1));
        buffer[std::min(length, size - 1)] = '\0';
    } else {
        int n = std::vsnprintf(buffer, size, format, args);
        if (n < 0) {
            buffer[0] = '\0';
            return 0;
        }
        length = static_cast<size_t>(n);
    }
    size_t limit = maxChars < size - 1 ? maxChars : size - 1;
    if (length > limit) {
        length = TextCutLength(buffer, limit);
        buffer[length] = '\0';
    }
    return length;
}

size_t FormatText(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    size_t n = FormatTextV(buffer, size, size ? size - 1 : 0, format, args);
    va_end(args);
    return n;
}
