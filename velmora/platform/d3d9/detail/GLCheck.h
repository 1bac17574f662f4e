// GL error checks for debug builds: VLM_GL_CHECK("what") after the renderer's main GL calls
// reports every pending GL error with the call site on standard error. Release builds
// (NDEBUG) compile the checks away, since glGetError may stall a driver's pipeline.
#pragma once

namespace vlm_platform {

// Reports and clears the pending GL errors; returns how many there were.
unsigned ReportGLErrors(const char* what, const char* file, int line);

}  // namespace vlm_platform

#ifdef NDEBUG
#define VLM_GL_CHECK(what) ((void)0)
#else
#define VLM_GL_CHECK(what) ((void)::vlm_platform::ReportGLErrors(what, __FILE__, __LINE__))
#endif
