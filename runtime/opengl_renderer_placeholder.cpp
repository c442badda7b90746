// Placeholder until the OpenGL renderer lands in runtime/platform/gl_renderer.cpp; delete this file then.
#include "runtime/renderer.hpp"

namespace rt {

// Weak, so that the real renderer wins wherever both are linked.
__attribute__((weak)) Renderer* opengl_renderer() { return nullptr; }

}  // namespace rt
