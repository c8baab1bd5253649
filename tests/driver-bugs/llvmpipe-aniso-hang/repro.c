/* llvmpipe (Mesa 22.3.6): one draw of one tiny, nearly edge-on triangle, sampled through a sampler
 * with GL_TEXTURE_MAX_ANISOTROPY above 1, never finishes. See README.md beside this file.
 *
 *   cc -o repro repro.c -lepoxy
 *   ./repro      max anisotropy 4: glFinish does not return
 *   ./repro 1    max anisotropy 1: returns at once; prints the one covered pixel
 *
 * Exit status: 0 when the draw finished and covered exactly one pixel, 1 otherwise. */
#include <epoxy/egl.h>
#include <epoxy/gl.h>
#include <stdio.h>
#include <stdlib.h>

enum { kWidth = 1280, kHeight = 720 };

static const char* const kVertexShader =
    "#version 450\n"
    "layout(location = 0) in vec3 pos;\n"
    "layout(location = 1) in vec2 uv;\n"
    "layout(binding = 0, std140) uniform Transform { layout(row_major) mat4 wvp; };\n"
    "layout(location = 0) out vec2 vUv;\n"
    "void main() { gl_Position = wvp * vec4(pos, 1.0); vUv = uv; }\n";

static const char* const kFragmentShader = "#version 450\n"
                                           "layout(location = 0) in vec2 vUv;\n"
                                           "layout(location = 0) out vec4 color;\n"
                                           "layout(binding = 0) uniform sampler2D tex;\n"
                                           "void main() { color = texture(tex, vUv); }\n";

static GLuint CompileShader(GLenum type, const char* text)
{
    GLuint shader = glCreateShader(type);
    GLint ok = 0;
    glShaderSource(shader, 1, &text, NULL);
    glCompileShader(shader);
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, NULL, log);
        fprintf(stderr, "shader: %s\n", log);
        exit(1);
    }
    return shader;
}

int main(int argc, char** argv)
{
    const float anisotropy = argc > 1 ? (float)atof(argv[1]) : 4.0f;

    EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, NULL);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, NULL, NULL) || !eglBindAPI(EGL_OPENGL_API)) {
        fprintf(stderr, "no EGL surfaceless display\n");
        return 1;
    }
    const EGLint contextAttributes[] = {
        EGL_CONTEXT_MAJOR_VERSION,           4,       EGL_CONTEXT_MINOR_VERSION, 5, EGL_CONTEXT_OPENGL_PROFILE_MASK,
        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        fprintf(stderr, "no OpenGL 4.5 core context\n");
        return 1;
    }
    fprintf(stderr, "%s, %s; max anisotropy %g\n", (const char*)glGetString(GL_RENDERER),
            (const char*)glGetString(GL_VERSION), anisotropy);

    /* Direct3D's conventions: clip-space +y is the top row, depth 0..1. The hang needs them only in
     * that they decide which pixel the triangle covers. */
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);

    GLuint target, framebuffer;
    glCreateRenderbuffers(1, &target);
    glNamedRenderbufferStorage(target, GL_RGBA8, kWidth, kHeight);
    glCreateFramebuffers(1, &framebuffer);
    glNamedFramebufferRenderbuffer(framebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    /* The texture's size does not matter: 1x1 hangs as a 512x512 with a full mip chain does. */
    const unsigned char green[4] = {0, 255, 0, 255};
    GLuint texture, sampler;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_RGBA8, 1, 1);
    glTextureSubImage2D(texture, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, green);
    glCreateSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY, anisotropy);
    glBindTextureUnit(0, texture);
    glBindSampler(0, sampler);

    /* A triangle 0.18 units long, 76 units in front of the eye, seen almost edge-on: on screen it is
     * a sliver of 0.00045 square pixels around (699.5, 380.5) that covers one pixel centre. The
     * texture coordinates change by 0.37 across it, about 550 per pixel in x. */
    const float vertices[] = {
        15.1933403f, 1.79387999f, 76.8678284f, 0.282739997f, 6.04465008f, 15.2057896f, 1.74987996f, 76.8767166f,
        0.37698999f, 6.04465008f, 15.2079000f, 1.79208004f,  77.0581665f, 0.37698999f, 6.41257000f,
    };
    /* Row-major: a 45-degree perspective (aspect 16:9, near 1, far 1000) from (10, 0, 0.99) down +z. */
    const float transform[16] = {
        1.35799503f, 0.0f, 0.0f,      -13.5799503f, 0.0f, 2.41421342f, 0.0f, 0.0f,
        0.0f,        0.0f, 1.001001f, -1.99430013f, 0.0f, 0.0f,        1.0f, -0.992305756f,
    };
    GLuint vertexBuffer, uniformBuffer, vertexArray;
    glCreateBuffers(1, &vertexBuffer);
    glNamedBufferStorage(vertexBuffer, sizeof vertices, vertices, 0);
    glCreateBuffers(1, &uniformBuffer);
    glNamedBufferStorage(uniformBuffer, sizeof transform, transform, 0);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, uniformBuffer);
    glCreateVertexArrays(1, &vertexArray);
    glVertexArrayVertexBuffer(vertexArray, 0, vertexBuffer, 0, 5 * sizeof(float));
    glEnableVertexArrayAttrib(vertexArray, 0);
    glVertexArrayAttribFormat(vertexArray, 0, 3, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(vertexArray, 0, 0);
    glEnableVertexArrayAttrib(vertexArray, 1);
    glVertexArrayAttribFormat(vertexArray, 1, 2, GL_FLOAT, GL_FALSE, 3 * sizeof(float));
    glVertexArrayAttribBinding(vertexArray, 1, 0);
    glBindVertexArray(vertexArray);

    GLuint program = glCreateProgram();
    glAttachShader(program, CompileShader(GL_VERTEX_SHADER, kVertexShader));
    glAttachShader(program, CompileShader(GL_FRAGMENT_SHADER, kFragmentShader));
    glLinkProgram(program);
    glUseProgram(program);

    glDrawArrays(GL_TRIANGLES, 0, 3);
    fprintf(stderr, "drawn; waiting for it to finish\n");
    glFinish();

    static unsigned char pixels[kWidth * kHeight * 4];
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    int covered = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        if (pixels[4 * i + 1] != 0) {
            ++covered;
            fprintf(stderr, "finished; covered pixel (%d, %d) of the framebuffer\n", i % kWidth, i / kWidth);
        }
    }
    return covered == 1 ? 0 : 1;
}
