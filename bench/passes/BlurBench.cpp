// The show's compute blur (effect runtime + graphics layer) against the same separable Gaussian
// written directly in GL, at 1280x720: same radius, weights and clamped edges, RGBA8 ping-pong,
// eight rounds. The direct version runs in a GL context of its own so
// neither side disturbs the other's bindings. Repetitions alternate between the two, so a busy
// machine slows both alike; the medians and their ratio are printed.
//   blur_bench [REPETITIONS]      (run with LP_NUM_THREADS set)
#include <epoxy/egl.h>
#include <epoxy/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "effects/EffectPaths.h"
#include "effects/Effects.h"
#include "passes/BlurPass.h"
#include "platform/d3d11/Diagnostics.h"
#include "platform/win32/Win32Platform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kWidth = 1280;
constexpr UINT kHeight = 720;

std::wstring BenchExecutablePath()
{
    return WideFromNarrow(SHOW_BIN_DIR "/vexa-rhino");
}

// The Gaussian of Res/Blur.fx (radius 5, the same weights, clamped edges) written the plain way:
// one thread per texel reading its 11 taps, groups of 256 threads along x for both directions.
std::string KernelSource(bool horizontal)
{
    std::string s = R"(#version 430
layout(local_size_x = 256) in;
layout(binding = 0) uniform sampler2D gInput;
layout(rgba8, binding = 0) uniform writeonly image2D gOutput;
const float gWeights[11] = float[11](0.0222, 0.0456, 0.0798, 0.1191, 0.1514, 0.1638, 0.1514, 0.1191,
                                     0.0798, 0.0456, 0.0222);
const int kRadius = 5;
void main() {
    ivec2 size = textureSize(gInput, 0);
    ivec2 texel = ivec2(gl_GlobalInvocationID.xy);
    if (texel.x >= size.x || texel.y >= size.y) return;
    ivec2 dir = DIRECTION;
    vec4 sum = vec4(0.0);
    for (int i = -kRadius; i <= kRadius; ++i)
        sum += gWeights[i + kRadius] * texelFetch(gInput, clamp(texel + i * dir, ivec2(0), size - 1), 0);
    imageStore(gOutput, texel, sum);
}
)";
    s.insert(s.find('\n') + 1, horizontal ? "#define DIRECTION ivec2(1, 0)\n" : "#define DIRECTION ivec2(0, 1)\n");
    return s;
}

GLuint BuildProgram(const std::string& source)
{
    const GLuint shader = glCreateShader(GL_COMPUTE_SHADER);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "blur_bench: the direct kernel does not compile:\n%s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, shader);
    glLinkProgram(program);
    glDeleteShader(shader);
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::fprintf(stderr, "blur_bench: the direct kernel does not link\n");
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

// The direct GL blur in its own surfaceless context.
class DirectBlur {
public:
    bool Create(const std::vector<std::uint8_t>& image)
    {
        // The layer's own display (already initialised): the same driver, with no window system.
        display = eglGetCurrentDisplay();
        if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) {
            std::fprintf(stderr, "blur_bench: no current EGL display\n");
            return false;
        }
        const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 5, EGL_NONE};
        context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
        if (context == EGL_NO_CONTEXT) {
            std::fprintf(stderr, "blur_bench: no GL 4.5 context (EGL error 0x%x)\n", eglGetError());
            return false;
        }
        Enter();
        horizontal = BuildProgram(KernelSource(true));
        vertical = BuildProgram(KernelSource(false));
        glGenTextures(2, textures);
        for (GLuint texture : textures) {
            glBindTexture(GL_TEXTURE_2D, texture);
            glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, kWidth, kHeight);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
        Upload(image);
        Leave();
        return horizontal != 0 && vertical != 0;
    }

    void Upload(const std::vector<std::uint8_t>& image)
    {
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    }

    void Blur(int rounds)
    {
        for (int round = 0; round < rounds; ++round) {
            Pass(horizontal, textures[0], textures[1], (kWidth + 255) / 256, kHeight);
            Pass(vertical, textures[1], textures[0], (kWidth + 255) / 256, kHeight);
        }
        glFinish();
    }

    std::vector<std::uint8_t> Read()
    {
        std::vector<std::uint8_t> bytes(kWidth * kHeight * 4);
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        return bytes;
    }

    void Enter()
    {
        savedDisplay = eglGetCurrentDisplay();
        savedContext = eglGetCurrentContext();
        savedDraw = eglGetCurrentSurface(EGL_DRAW);
        savedRead = eglGetCurrentSurface(EGL_READ);
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
    }

    void Leave()
    {
        if (savedContext != EGL_NO_CONTEXT) {
            eglMakeCurrent(savedDisplay, savedDraw, savedRead, savedContext);
        } else {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
    }

    void Destroy()
    {
        if (context == EGL_NO_CONTEXT) {
            return;
        }
        Enter();
        glDeleteTextures(2, textures);
        glDeleteProgram(horizontal);
        glDeleteProgram(vertical);
        Leave();
        eglDestroyContext(display, context);
        context = EGL_NO_CONTEXT;
    }

private:
    static void Pass(GLuint program, GLuint input, GLuint output, GLuint groupsX, GLuint groupsY)
    {
        glUseProgram(program);
        glBindTextureUnit(0, input);
        glBindImageTexture(0, output, 0, GL_FALSE, 0, GL_WRITE_ONLY, GL_RGBA8);
        glDispatchCompute(groupsX, groupsY, 1);
        glMemoryBarrier(GL_TEXTURE_FETCH_BARRIER_BIT | GL_SHADER_IMAGE_ACCESS_BARRIER_BIT);
    }

    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint horizontal = 0;
    GLuint vertical = 0;
    GLuint textures[2] = {};
    EGLDisplay savedDisplay = EGL_NO_DISPLAY;
    EGLContext savedContext = EGL_NO_CONTEXT;
    EGLSurface savedDraw = EGL_NO_SURFACE;
    EGLSurface savedRead = EGL_NO_SURFACE;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int Compare(ID3D11Device* device, ID3D11DeviceContext* context, int repetitions)
{
    std::mt19937 random(1280);
    std::vector<std::uint8_t> image(kWidth * kHeight * 4);
    for (auto& b : image) {
        b = static_cast<std::uint8_t>(random() & 0xFF);
    }

    int status = 0;
    EffectLibrary::BlurFx = std::make_unique<BlurEffect>(device, L"Res/Blur.fx");
    BlurEffect* blurFx = EffectLibrary::BlurFx.get();
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = kWidth;
    desc.Height = kHeight;
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc = {1, 0};
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_UNORDERED_ACCESS;
    const D3D11_SUBRESOURCE_DATA init{image.data(), kWidth * 4, 0};
    ID3D11Texture2D* texture = nullptr;
    ID3D11ShaderResourceView* srv = nullptr;
    ID3D11UnorderedAccessView* uav = nullptr;
    device->CreateTexture2D(&desc, &init, &texture);
    if (texture) {
        device->CreateShaderResourceView(texture, nullptr, &srv);
        device->CreateUnorderedAccessView(texture, nullptr, &uav);
    }
    BlurPass ours;
    ours.Resize(device, kWidth, kHeight);
    DirectBlur direct;

    if (!blurFx->runtimeEffect || !srv || !uav || !ours.ScratchUav()) {
        std::fprintf(stderr, "blur_bench: the show's blur could not be set up (is Res/Blur.fx in %s?)\n", SHOW_BIN_DIR);
        status = 1;
    } else if (!direct.Create(image)) {
        std::fprintf(stderr, "blur_bench: the direct GL blur could not be set up\n");
        status = 1;
    } else {
        // Both start from the same picture: the results must agree before the times mean anything.
        std::vector<std::uint8_t> oursImage;
        ours.BlurInPlace(context, srv, uav);
        D3D11ReadTexture(texture, 0, 0, oursImage);
        direct.Enter();
        direct.Blur(BlurPass::kRounds);
        const std::vector<std::uint8_t> directImage = direct.Read();
        direct.Leave();
        int maxDifference = 0;
        for (size_t i = 0; i < oursImage.size() && i < directImage.size(); ++i) {
            maxDifference = std::max(maxDifference, std::abs(int(oursImage[i]) - int(directImage[i])));
        }

        std::vector<double> oursTimes;
        std::vector<double> directTimes;
        for (int i = 0; i < repetitions; ++i) {
            auto start = Clock::now();
            ours.BlurInPlace(context, srv, uav);
            glFinish();  // the layer's context is the current one here
            oursTimes.push_back(Seconds(start) * 1000.0 / BlurPass::kRounds);

            direct.Enter();
            start = Clock::now();
            direct.Blur(BlurPass::kRounds);
            directTimes.push_back(Seconds(start) * 1000.0 / BlurPass::kRounds);
            direct.Leave();
        }
        const double oursMs = Median(oursTimes);
        const double directMs = Median(directTimes);
        std::printf("blur %ux%u, %d rounds x %d repetitions, results differ by at most %d/255\n", kWidth, kHeight,
                    BlurPass::kRounds, repetitions, maxDifference);
        std::printf("ours per round:   %.3f ms\n", oursMs);
        std::printf("direct per round: %.3f ms\n", directMs);
        std::printf("ours/direct:      %.3f\n", oursMs / directMs);
        if (maxDifference > 1) {
            std::fprintf(stderr, "blur_bench: the two blurs disagree; the comparison is void\n");
            status = 1;
        }
    }

    direct.Destroy();
    if (uav)
        uav->Release();
    if (srv)
        srv->Release();
    if (texture)
        texture->Release();
    EffectLibrary::BlurFx.reset();
    return status;
}

int Run(int repetitions)
{
    D3D_FEATURE_LEVEL level{};
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device,
                                 &level, &context))) {
        std::fprintf(stderr, "blur_bench: no device\n");
        return 1;
    }
    const int status = Compare(device, context, repetitions);
    context->ClearState();
    context->Release();
    device->Release();
    if (const long live = D3D11LiveObjectCount(); live != 0) {
        std::fprintf(stderr, "blur_bench: %ld device objects left alive\n", live);
        return 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    SetExecutablePathSource(&BenchExecutablePath);
    if (chdir(SHOW_BIN_DIR) != 0) {
        std::fprintf(stderr, "blur_bench: cannot enter %s\n", SHOW_BIN_DIR);
        return 1;
    }
    return Run(repetitions);
}
