#pragma once
// Which headless EGL displays a context is made on, and in which order: each device of the EGL
// device platform (GPUs before software devices), then Mesa's surfaceless platform, then the default
// display. A server with a GPU is reached through its device even when Mesa's libEGL is installed
// beside the GPU's: on the surfaceless platform, Mesa would quietly serve the request in software.
#include <string>
#include <vector>

namespace d3dgl {

enum class EglPlatform { Device, Surfaceless, Default };

struct EglDevice {
    bool software = false;  // EGL_MESA_device_software
    std::string name;       // its DRM node where EGL names one, else empty
};

// What the EGL client library offers, as far as choosing a display goes.
struct EglClient {
    bool platformDisplays = false;     // EGL_EXT_platform_base: eglGetPlatformDisplayEXT
    bool devicePlatform = false;       // EGL_EXT_platform_device and EGL_EXT_device_enumeration
    bool surfacelessPlatform = false;  // EGL_MESA_platform_surfaceless
    std::vector<EglDevice> devices;    // in EGL's enumeration order, which SHOW_EGL_DEVICE counts in
};

struct EglCandidate {
    EglPlatform platform = EglPlatform::Default;
    int device = -1;    // index into EglClient::devices
    std::string label;  // "EGL device 0 (software)", "EGL surfaceless platform", "EGL default display"
};

// The displays to try, in order, given SHOW_EGL_PLATFORM (device, surfaceless or default) and
// SHOW_EGL_DEVICE (an index into the devices); either may be null or empty. The platforms the client
// lacks are left out, each with a line in `skipped` saying why. A choice that is not one of those, or
// names a device EGL does not have, is refused: the result is empty and `error` says what is wrong.
std::vector<EglCandidate> EglCandidates(const EglClient& client, const char* platformChoice, const char* deviceChoice,
                                        std::vector<std::string>& skipped, std::string& error);

// The name of an EGL error code, e.g. "EGL_NOT_INITIALIZED (0x3001)".
std::string EglErrorName(int code);

}  // namespace d3dgl
