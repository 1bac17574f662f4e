// Fixture for the resource tests: a started game (window, device, texture and frame
// managers) on the manual clock, and writers for the picture files the tests load: PNG,
// hand-made TGA, and AMF files built word by word.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <velmora/platform/d3dx9/ImageCodec.h>
#include "support/EngineTest.h"

using Pixels = std::vector<DWORD>;

struct Picture {
    LONG width, height;
    Pixels pixels;  // row after row
};

// Distinct ARGB pixels, each picture its own from `seed`; a few with alpha 0.
inline Picture MakePicture(LONG width, LONG height, DWORD seed) {
    Picture p{width, height, {}};
    for (LONG i = 0; i < width * height; ++i) {
        DWORD alpha = i % 5 == 3 ? 0 : 0x40 + DWORD(i % 3) * 0x50;
        p.pixels.push_back(alpha << 24 | ((seed * 0x3B + DWORD(i) * 0x0F0D07) & 0xFFFFFF));
    }
    return p;
}

inline void WritePng(const std::string& path, const Picture& p) {
    velmora::DecodedImage image;
    image.width = uint32_t(p.width);
    image.height = uint32_t(p.height);
    image.pixels.assign(p.pixels.begin(), p.pixels.end());
    ASSERT_TRUE(velmora::WritePngFile(path, image));
}

// Uncompressed 32-bit true colour with 8 alpha bits, stored bottom row first.
inline void WriteTga(const std::string& path, const Picture& p) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = char(p.width & 0xFF);
    bytes[13] = char(p.width >> 8);
    bytes[14] = char(p.height & 0xFF);
    bytes[15] = char(p.height >> 8);
    bytes[16] = 32;
    bytes[17] = 8;
    for (LONG y = p.height - 1; y >= 0; --y)
        for (LONG x = 0; x < p.width; ++x) {
            DWORD v = p.pixels[size_t(y * p.width + x)];
            char bgra[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
            bytes.append(bgra, 4);
        }
    WriteFile(path, bytes);
}

inline void PutWord(std::string* bytes, size_t at, DWORD value) { std::memcpy(&(*bytes)[at], &value, 4); }

// One picture's block as it lies in an AMF file: the picture's size and its compressed words.
struct AmfBlock {
    LONG width, height;
    Pixels words;
};

// An AMF file as the engine lays it out: header, index, then the blocks without gaps.
inline std::string AmfFileBytes(LONG width, LONG height, const std::vector<AmfBlock>& blocks, WORD delay = 80,
                                WORD type = AMF_VARIABLE) {
    std::string bytes(24 + 16 * blocks.size(), '\0');
    PutWord(&bytes, 0, CAniFile::AMF_MAGIC);
    PutWord(&bytes, 4, DWORD(width));
    PutWord(&bytes, 8, DWORD(height));
    PutWord(&bytes, 12, DWORD(blocks.size()) | DWORD(delay) << 16);
    PutWord(&bytes, 16, DWORD(type) | DWORD(CAniFile::AMF_VERSION) << 16);
    for (size_t i = 0; i < blocks.size(); ++i) {
        const AmfBlock& b = blocks[i];
        const size_t entry = 24 + 16 * i;
        PutWord(&bytes, entry, DWORD(bytes.size()));
        PutWord(&bytes, entry + 4, DWORD(b.words.size() * 4));
        PutWord(&bytes, entry + 8, DWORD(b.width));
        PutWord(&bytes, entry + 12, DWORD(b.height));
        bytes.append(reinterpret_cast<const char*>(b.words.data()), b.words.size() * 4);
    }
    return bytes;
}

// An AMF file with each picture as one literal token (count, pixels), which decodes to the
// pixels exactly.
inline std::string AmfBytes(LONG width, LONG height, const std::vector<Picture>& pictures, WORD delay, WORD type) {
    std::vector<AmfBlock> blocks;
    for (const Picture& p : pictures) {
        Pixels words{DWORD(p.pixels.size())};
        words.insert(words.end(), p.pixels.begin(), p.pixels.end());
        blocks.push_back({p.width, p.height, words});
    }
    return AmfFileBytes(width, height, blocks, delay, type);
}

// Pictures of one size make a uniform set; otherwise variable, sized by the largest.
inline void WriteAmf(const std::string& path, const std::vector<Picture>& pictures, WORD delay = 80) {
    LONG width = 0, height = 0;
    bool uniform = true;
    for (const Picture& p : pictures) {
        uniform = uniform && (p.width == pictures[0].width && p.height == pictures[0].height);
        width = std::max(width, p.width);
        height = std::max(height, p.height);
    }
    WriteFile(path, AmfBytes(width, height, pictures, delay, uniform ? AMF_UNIFORM : AMF_VARIABLE));
}

// Transparent-fill tokens for `pixels` pixels, each covering as many as a token can.
inline Pixels TransparentRuns(uint64_t pixels) {
    Pixels words;
    for (; pixels > 0; pixels -= std::min<uint64_t>(pixels, 0xFFFFFF))
        words.push_back(0x11000000 | DWORD(std::min<uint64_t>(pixels, 0xFFFFFF)));
    return words;
}

// An AMF file of `count` pictures of one size whose index entries all point at the one
// block `words`: pictures that take no room in the file.
inline std::string SharedBlockAmf(LONG width, LONG height, DWORD count, const Pixels& words) {
    std::string bytes(24 + 16 * count, '\0');
    PutWord(&bytes, 0, CAniFile::AMF_MAGIC);
    PutWord(&bytes, 4, DWORD(width));
    PutWord(&bytes, 8, DWORD(height));
    PutWord(&bytes, 12, count | 100u << 16);
    PutWord(&bytes, 16, DWORD(AMF_UNIFORM) | DWORD(CAniFile::AMF_VERSION) << 16);
    for (DWORD i = 0; i < count; ++i) {
        PutWord(&bytes, 24 + 16 * i, DWORD(bytes.size()));
        PutWord(&bytes, 28 + 16 * i, DWORD(words.size() * 4));
        PutWord(&bytes, 32 + 16 * i, DWORD(width));
        PutWord(&bytes, 36 + 16 * i, DWORD(height));
    }
    bytes.append(reinterpret_cast<const char*>(words.data()), words.size() * 4);
    return bytes;
}

// Level 0 of a texture, `width` x `height` from its top-left corner, row after row.
inline Pixels ReadLevel0(IDirect3DTexture9* texture, LONG width, LONG height) {
    Pixels out;
    D3DLOCKED_RECT locked{};
    if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return out;
    for (LONG y = 0; y < height; ++y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch);
        out.insert(out.end(), row, row + width);
    }
    texture->UnlockRect(0);
    return out;
}

inline Pixels ReadLevel0(const CTexture* texture) {
    return texture ? ReadLevel0(texture->GetTexture(), texture->GetWidth(), texture->GetHeight()) : Pixels();
}

// A started game, as a game has it after InitApplication: its device, texture manager and
// frame manager are the engine's.
class ResourceTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        VelmoraTest::ResetGraphicsConditions();
        game.SetWindowWidth(64);
        game.SetWindowHeight(48);
        ASSERT_EQ(game.InitApplication(GetModuleHandleA(nullptr), SW_SHOW, "resources", nullptr), 1);
        textures = GetTextureManager();
        frames = GetFrameManager();
        ASSERT_NE(textures, nullptr);
        ASSERT_NE(frames, nullptr);
        VelmoraTest::TakeMessageBoxes();  // no full-screen mode is 64 x 48
    }
    void TearDown() override {
        game.Destroy();
        if (game.GetWndHandle()) DestroyWindow(game.GetWndHandle());
        VelmoraTest::ResetGraphicsConditions();
        EngineTest::TearDown();
    }

    // The message boxes shown since the last call, oldest first: error lines of the log
    // without their "[number][time]" prefix, and the AMF reader's own box.
    static std::vector<std::string> Errors() {
        std::vector<std::string> texts;
        for (const auto& box : VelmoraTest::TakeMessageBoxes()) {
            std::string text = box.text;
            size_t number = text.find("][");
            if (text.rfind("[", 0) == 0 && number != std::string::npos)
                text = text.substr(text.find(']', number + 2) + 1);
            texts.push_back(text);
        }
        return texts;
    }

    CGameApp game;
    CTextureManager* textures = nullptr;
    CFrameManager* frames = nullptr;
};
