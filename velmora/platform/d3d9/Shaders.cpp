// GLSL sources of the GL renderer, and their compilation.
#include <velmora/platform/d3d9/detail/Shaders.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vlm_platform {

namespace {

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uWorldViewProj;
uniform vec4 uViewport;      // Direct3D viewport: x, y, width, height
uniform vec2 uTarget;        // back-buffer size
uniform float uPixelOffset;  // from Direct3D screen space to GL window space
uniform bool uSnap;          // triangles only: lines and points keep their exact ends
uniform bool uPretransformed;
uniform float uPointSize;
out vec4 vColor;
out vec2 vTexCoord;
// Window positions on the rasteriser's own 1/256-pixel grid: the pixels it covers are
// unchanged, and pixel-aligned rectangles come out exact, which software rasterisers draw
// much faster. Colours and texture coordinates follow the moved corners by a hair.
vec2 Snapped(vec2 window) { return round(window * 256.0) / 256.0; }
void main() {
    vec4 clip;
    if (uPretransformed) {
        float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
        vec2 window = aPosition.xy + uPixelOffset;
        if (uSnap) window = Snapped(window);
        clip = vec4((window / uTarget * 2.0 - 1.0) * w, (aPosition.z * 2.0 - 1.0) * w, w);
    } else {
        vec4 c = uWorldViewProj * vec4(aPosition.xyz, 1.0);
        // Direct3D's viewport mapping (y down), kept in clip space for perspective.
        vec2 screen = vec2(uViewport.x * c.w + (c.x + c.w) * 0.5 * uViewport.z,
                           uViewport.y * c.w + (c.w - c.y) * 0.5 * uViewport.w);
        vec2 window = screen + uPixelOffset * c.w;
        if (uSnap && c.w > 0.0) window = Snapped(window / c.w) * c.w;
        clip = vec4(window / uTarget * 2.0 - c.w, 2.0 * c.z - c.w, c.w);
    }
    gl_Position = clip;
    gl_PointSize = uPointSize;
    vColor = aColor.bgra;  // D3DCOLOR bytes are B, G, R, A
    vTexCoord = aTexCoord;
}
)";

// Follows the constants kColorOp, kColorArg1, kColorArg2, kAlphaOp, kAlphaArg1, kAlphaArg2,
// kTextured, kAlphaTest and kAlphaFunc of the program's key, and the Direct3D constants before them.
const char* const kFragmentShader = R"(
in vec4 vColor;
in vec2 vTexCoord;
uniform sampler2D uTexture;
uniform vec4 uTextureFactor;
uniform float uAlphaRef;
out vec4 fragColor;

vec4 Argument(int arg, vec4 texel) {
    vec4 v;
    int select = arg & D3DTA_SELECTMASK;
    if (select == D3DTA_TEXTURE) v = texel;
    else if (select == D3DTA_TFACTOR) v = uTextureFactor;
    else v = vColor;  // diffuse, and current (which is diffuse on the first stage)
    if ((arg & D3DTA_COMPLEMENT) != 0) v = 1.0 - v;
    if ((arg & D3DTA_ALPHAREPLICATE) != 0) v = vec4(v.a);
    return v;
}

vec4 Combine(int op, vec4 a1, vec4 a2) {
    if (op == D3DTOP_SELECTARG1) return a1;
    if (op == D3DTOP_SELECTARG2) return a2;
    if (op == D3DTOP_MODULATE) return a1 * a2;
    if (op == D3DTOP_MODULATE2X) return min(a1 * a2 * 2.0, 1.0);
    if (op == D3DTOP_MODULATE4X) return min(a1 * a2 * 4.0, 1.0);
    if (op == D3DTOP_ADD) return min(a1 + a2, 1.0);
    if (op == D3DTOP_ADDSIGNED) return clamp(a1 + a2 - 0.5, 0.0, 1.0);
    if (op == D3DTOP_ADDSIGNED2X) return clamp((a1 + a2 - 0.5) * 2.0, 0.0, 1.0);
    if (op == D3DTOP_SUBTRACT) return clamp(a1 - a2, 0.0, 1.0);
    if (op == D3DTOP_ADDSMOOTH) return min(a1 + a2 - a1 * a2, 1.0);
    return vColor;  // D3DTOP_DISABLE, and operations not carried
}

bool Passes(float a) {
    if (kAlphaFunc == D3DCMP_NEVER) return false;
    if (kAlphaFunc == D3DCMP_LESS) return a < uAlphaRef;
    if (kAlphaFunc == D3DCMP_EQUAL) return a == uAlphaRef;
    if (kAlphaFunc == D3DCMP_LESSEQUAL) return a <= uAlphaRef;
    if (kAlphaFunc == D3DCMP_GREATER) return a > uAlphaRef;
    if (kAlphaFunc == D3DCMP_NOTEQUAL) return a != uAlphaRef;
    if (kAlphaFunc == D3DCMP_GREATEREQUAL) return a >= uAlphaRef;
    return true;  // D3DCMP_ALWAYS, and 0 without the alpha test
}

void main() {
    // Without a texture the stage reads opaque white, whatever the sampler's addressing.
    vec4 texel = kTextured ? texture(uTexture, vTexCoord) : vec4(1.0);
    vec3 rgb = Combine(kColorOp, Argument(kColorArg1, texel), Argument(kColorArg2, texel)).rgb;
    float a = Combine(kAlphaOp, Argument(kAlphaArg1, texel), Argument(kAlphaArg2, texel)).a;
    // Alpha is compared in 8-bit steps, as Direct3D does.
    if (kAlphaTest && !Passes(floor(a * 255.0 + 0.5))) discard;
    // The clamp changes nothing (the back buffer clamps), but keeps llvmpipe from shading
    // texture x colour with its 8-bit "linear" code, which rounds some products a level lower.
    fragColor = clamp(vec4(rgb, a), 0.0, 1.0);
}
)";

// One triangle over the whole target; each pixel's samples all take the flat picture's pixel.
const char* const kCopyVertexShader = R"(#version 330 core
void main() {
    gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0, 0.0, 1.0);
}
)";

const char* const kCopyFragmentShader = R"(#version 330 core
uniform sampler2D uPicture;
out vec4 fragColor;
void main() { fragColor = texelFetch(uPicture, ivec2(gl_FragCoord.xy), 0); }
)";

struct NamedConstant {
    const char* name;
    DWORD value;
};
#define VLM_SHADER_CONSTANT(name) \
    NamedConstant { #name, static_cast < DWORD>(name) }

// The Direct3D values the fragment shader compares with, under their own names.
const NamedConstant kShaderConstants[] = {
    VLM_SHADER_CONSTANT(D3DTOP_DISABLE),      VLM_SHADER_CONSTANT(D3DTOP_SELECTARG1),
    VLM_SHADER_CONSTANT(D3DTOP_SELECTARG2),   VLM_SHADER_CONSTANT(D3DTOP_MODULATE),
    VLM_SHADER_CONSTANT(D3DTOP_MODULATE2X),   VLM_SHADER_CONSTANT(D3DTOP_MODULATE4X),
    VLM_SHADER_CONSTANT(D3DTOP_ADD),          VLM_SHADER_CONSTANT(D3DTOP_ADDSIGNED),
    VLM_SHADER_CONSTANT(D3DTOP_ADDSIGNED2X),  VLM_SHADER_CONSTANT(D3DTOP_SUBTRACT),
    VLM_SHADER_CONSTANT(D3DTOP_ADDSMOOTH),    VLM_SHADER_CONSTANT(D3DTA_SELECTMASK),
    VLM_SHADER_CONSTANT(D3DTA_DIFFUSE),       VLM_SHADER_CONSTANT(D3DTA_CURRENT),
    VLM_SHADER_CONSTANT(D3DTA_TEXTURE),       VLM_SHADER_CONSTANT(D3DTA_TFACTOR),
    VLM_SHADER_CONSTANT(D3DTA_COMPLEMENT),    VLM_SHADER_CONSTANT(D3DTA_ALPHAREPLICATE),
    VLM_SHADER_CONSTANT(D3DCMP_NEVER),        VLM_SHADER_CONSTANT(D3DCMP_LESS),
    VLM_SHADER_CONSTANT(D3DCMP_EQUAL),        VLM_SHADER_CONSTANT(D3DCMP_LESSEQUAL),
    VLM_SHADER_CONSTANT(D3DCMP_GREATER),      VLM_SHADER_CONSTANT(D3DCMP_NOTEQUAL),
    VLM_SHADER_CONSTANT(D3DCMP_GREATEREQUAL), VLM_SHADER_CONSTANT(D3DCMP_ALWAYS),
};
#undef VLM_SHADER_CONSTANT

// The fragment shader's head: its version, the Direct3D constants, then the key's choices.
// int(uint) keeps the bits, so every DWORD reads as the signed value the code compares.
std::string FragmentHead(const ProgramKey& key) {
    std::string head = "#version 330 core\n";
    char line[160];
    for (const NamedConstant& c : kShaderConstants) {
        std::snprintf(line, sizeof(line), "const int %s = int(%uu);\n", c.name, c.value);
        head += line;
    }
    std::snprintf(line, sizeof(line), "const int kColorOp = int(%uu), kColorArg1 = int(%uu), kColorArg2 = int(%uu);\n",
                  key.colorOp, key.colorArg1, key.colorArg2);
    head += line;
    std::snprintf(line, sizeof(line), "const int kAlphaOp = int(%uu), kAlphaArg1 = int(%uu), kAlphaArg2 = int(%uu);\n",
                  key.alphaOp, key.alphaArg1, key.alphaArg2);
    head += line;
    std::snprintf(line, sizeof(line), "const bool kTextured = %s, kAlphaTest = %s;\nconst int kAlphaFunc = int(%uu);\n",
                  key.textured ? "true" : "false", key.alphaTest ? "true" : "false", key.alphaFunc);
    head += line;
    return head;
}

// The info log of a shader or program, for the failure report.
std::string InfoLog(GLuint object, bool program) {
    GLint length = 0;
    program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length) : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 1) return "(no log)";
    std::vector<char> log(static_cast<size_t>(length));
    program ? glGetProgramInfoLog(object, length, nullptr, log.data())
            : glGetShaderInfoLog(object, length, nullptr, log.data());
    return log.data();
}

GLuint Compile(GLenum type, const std::string& text) {
    GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        std::fprintf(stderr, "velmora: %s shader compilation failed: %s\n",
                     type == GL_VERTEX_SHADER ? "vertex" : "fragment", InfoLog(shader, false).c_str());
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// A program from the two shaders' texts; 0 when either does not compile or they do not link.
GLuint Link(const std::string& vertexText, const std::string& fragmentText) {
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexText);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentText);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return 0;
    }
    GLuint id = glCreateProgram();
    glAttachShader(id, vs);
    glAttachShader(id, fs);
    glLinkProgram(id);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::fprintf(stderr, "velmora: shader link failed: %s\n", InfoLog(id, true).c_str());
        glDeleteProgram(id);
        return 0;
    }
    return id;
}

}  // namespace

ProgramKey::ProgramKey(const DrawState& s, bool sampleWithoutTexture)
    : colorOp(s.colorOp),
      colorArg1(s.colorArg1),
      colorArg2(s.colorArg2),
      alphaOp(s.alphaOp),
      alphaArg1(s.alphaArg1),
      alphaArg2(s.alphaArg2),
      textured(s.texture != 0 || sampleWithoutTexture),
      alphaTest(s.alphaTest),
      alphaFunc(s.alphaTest ? s.alphaFunc : 0) {}

bool ProgramKey::operator==(const ProgramKey& o) const {
    return colorOp == o.colorOp && colorArg1 == o.colorArg1 && colorArg2 == o.colorArg2 && alphaOp == o.alphaOp &&
           alphaArg1 == o.alphaArg1 && alphaArg2 == o.alphaArg2 && textured == o.textured && alphaTest == o.alphaTest &&
           alphaFunc == o.alphaFunc;
}

GLuint BuildDrawProgram(const ProgramKey& key, ProgramUniforms* u) {
    GLuint id = Link(kVertexShader, FragmentHead(key) + kFragmentShader);
    if (!id) return 0;
    auto loc = [id](const char* name) { return glGetUniformLocation(id, name); };
    *u = ProgramUniforms{loc("uWorldViewProj"), loc("uViewport"), loc("uTarget"),
                         loc("uPixelOffset"),   loc("uSnap"),     loc("uPretransformed"),
                         loc("uTextureFactor"), loc("uAlphaRef"), loc("uPointSize")};
    glUseProgram(id);
    glUniform1i(loc("uTexture"), 0);
    return id;
}

GLuint BuildCopyProgram() { return Link(kCopyVertexShader, kCopyFragmentShader); }

}  // namespace vlm_platform
