// The AMF run-length codec: 32-bit tokens, a tag in the top byte and a pixel count in the
// low 24 bits. Depends on nothing but the C library, so tests and benchmarks build it in.
#include <velmora/resource/detail/AmfCodec.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kCountMask = 0x00FFFFFF;
constexpr DWORD kFillTag = 0x10000000;
constexpr DWORD kTransparentTag = 0x11000000;

DWORD LoadWord(const BYTE* words, size_t i) {
    DWORD w;
    std::memcpy(&w, words + i * 4, 4);
    return w;
}

void StoreWord(BYTE* words, size_t i, DWORD w) { std::memcpy(words + i * 4, &w, 4); }

bool Transparent(DWORD pixel) { return (pixel >> 24) == 0; }

}  // namespace

namespace vlm_engine {

void AmfCompress(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize) {
    if (!src || !dest || srcSize == 0) return;
    const BYTE* in = static_cast<const BYTE*>(src);
    BYTE* out = static_cast<BYTE*>(dest);
    const DWORD n = srcSize / 4;
    DWORD written = 0;
    auto pixel = [in](DWORD i) { return LoadWord(in, i); };
    auto emit = [out, &written](DWORD word) { StoreWord(out, written++, word); };
    // A run longer than one token can count becomes several tokens of the same kind.
    auto emitRuns = [&](DWORD from, DWORD to, auto emitToken) {
        while (from < to) {
            DWORD length = std::min(to - from, kCountMask);
            emitToken(from, length);
            from += length;
        }
    };

    DWORD i = 0;
    while (i < n) {
        const DWORD p = pixel(i);
        const bool hasNext = i + 1 < n;
        DWORD end;
        if (hasNext && Transparent(p) && Transparent(pixel(i + 1))) {
            // Colour bytes under alpha 0 are dropped: the run decodes as zero pixels.
            end = i + 2;
            while (end < n && Transparent(pixel(end))) ++end;
            emitRuns(i, end, [&](DWORD, DWORD length) { emit(kTransparentTag | length); });
        } else if (hasNext && p == pixel(i + 1)) {
            end = i + 2;
            while (end < n && pixel(end) == p) ++end;
            emitRuns(i, end, [&](DWORD, DWORD length) {
                emit(kFillTag | length);
                emit(p);
            });
        } else {
            // A literal runs until a transparent pair starts or, one pixel into, a pair of
            // equal pixels: that pixel stays in the literal, the next token takes the rest.
            DWORD last = i;
            while (last + 1 < n && !(Transparent(pixel(last)) && Transparent(pixel(last + 1)))) {
                ++last;
                if (last + 1 < n && pixel(last + 1) == pixel(last)) break;
            }
            end = last + 1;
            emitRuns(i, end, [&](DWORD from, DWORD length) {
                emit(length);
                std::memcpy(out + size_t(written) * 4, in + size_t(from) * 4, size_t(length) * 4);
                written += length;
            });
        }
        i = end;
    }
    destSize = written * 4;
}

bool AmfDecompress(const void* src, void* dest, const DWORD& srcSize, DWORD& destSize) {
    // Data is whole words: stray bytes after the last token mean damage, not padding.
    if (!src || !dest || srcSize < 4 || srcSize % 4 != 0) return false;
    const BYTE* in = static_cast<const BYTE*>(src);
    BYTE* out = static_cast<BYTE*>(dest);
    const DWORD words = srcSize / 4;
    const DWORD capacity = destSize / 4;
    DWORD consumed = 0;
    DWORD produced = 0;
    while (consumed < words) {
        const DWORD token = LoadWord(in, consumed);
        const DWORD count = token & kCountMask;
        // A tag of 0 is a literal; otherwise bits 24-27 tell a fill with 0 from a fill with
        // the following word, whatever the other tag bits say.
        const bool literal = (token >> 24) == 0;
        const bool zeroFill = !literal && (token & 0x0F000000) != 0;
        const DWORD need = literal ? 1 + count : zeroFill ? 1 : 2;
        if (need > words - consumed || count > capacity - produced) return false;
        if (literal) {
            std::memcpy(out + size_t(produced) * 4, in + (size_t(consumed) + 1) * 4, size_t(count) * 4);
        } else {
            const DWORD value = zeroFill ? 0 : LoadWord(in, consumed + 1);
            for (DWORD k = 0; k < count; ++k) StoreWord(out, size_t(produced) + k, value);
        }
        consumed += need;
        produced += count;
    }
    destSize = produced * 4;
    return true;
}

}  // namespace vlm_engine
