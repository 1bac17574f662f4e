// Reporting of GL errors for the debug checks.
#include <velmora/platform/d3d9/detail/GLCheck.h>

#include <epoxy/gl.h>

#include <cstdio>

namespace vlm_platform {

namespace {

const char* ErrorName(GLenum error) {
    switch (error) {
        case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
        case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
        case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
        default: return "unknown GL error";
    }
}

}  // namespace

unsigned ReportGLErrors(const char* what, const char* file, int line) {
    // Bounded: a lost context may report an error on every call.
    unsigned count = 0;
    while (count < 16) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        std::fprintf(stderr, "velmora: %s (0x%04X) after %s at %s:%d\n", ErrorName(error), error, what, file, line);
        ++count;
    }
    return count;
}

}  // namespace vlm_platform
