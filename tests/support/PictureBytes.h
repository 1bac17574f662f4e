// Picture files built byte by byte for the tests: little- and big-endian numbers and PNG
// files whose rows go into stored (uncompressed) zlib blocks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

inline std::string Le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i));
    return s;
}
inline std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
inline std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += char(b);
    return s;
}

// Byte by byte through a table: the large pictures' chunks run to tens of megabytes.
inline uint32_t Crc32(const std::string& bytes) {
    static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? (c >> 1) ^ 0xEDB88320 : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : bytes) crc = table[(crc ^ c) & 0xFF] ^ crc >> 8;
    return ~crc;
}

inline std::string Chunk(const std::string& type, const std::string& body) {
    return Be32(uint32_t(body.size())) + type + body + Be32(Crc32(type + body));
}

// A zlib stream of stored (uncompressed) blocks.
inline std::string StoredZlib(const std::string& raw) {
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    std::string zlib = Bytes({0x78, 0x01});
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        zlib += char(last) + Le(uint32_t(length), 2) + Le(uint32_t(~length), 2) + raw.substr(at, length);
        at += length;
    } while (at < raw.size());
    return zlib + Be32(b << 16 | a);
}

// A PNG file whose scanlines (each led by its filter byte) go into stored zlib blocks.
inline std::string Png(uint32_t width, uint32_t height, int bits, int colourType, const std::string& scanlines,
                       const std::string& plte = "", const std::string& trns = "", int interlace = 0) {
    const std::string zlib = StoredZlib(scanlines);
    std::string png = Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    png += Chunk("IHDR", Be32(width) + Be32(height) + Bytes({bits, colourType, 0, 0, interlace}));
    if (!plte.empty()) png += Chunk("PLTE", plte);
    if (!trns.empty()) png += Chunk("tRNS", trns);
    return png + Chunk("IDAT", zlib) + Chunk("IEND", "");
}
