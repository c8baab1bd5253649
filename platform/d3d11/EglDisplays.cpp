#include "platform/d3d11/EglDisplays.h"

#include <cstdio>
#include <cstdlib>

namespace d3dgl {

namespace {

std::string DeviceLabel(const EglDevice& device, int index)
{
    std::string label = "EGL device " + std::to_string(index);
    if (device.software) {
        label += " (software)";
    } else if (!device.name.empty()) {
        label += " (" + device.name + ")";
    }
    return label;
}

// A device number: decimal digits only, within the int range.
bool ParseIndex(const std::string& text, int& index)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) {
        return false;
    }
    index = std::atoi(text.c_str());
    return true;
}

}  // namespace

std::vector<EglCandidate> EglCandidates(const EglClient& client, const char* platformChoice, const char* deviceChoice,
                                        std::vector<std::string>& skipped, std::string& error)
{
    const std::string platform = platformChoice != nullptr ? platformChoice : "";
    const std::string device = deviceChoice != nullptr ? deviceChoice : "";
    if (!platform.empty() && platform != "device" && platform != "surfaceless" && platform != "default") {
        error = "SHOW_EGL_PLATFORM=" + platform + " is none of device, surfaceless, default";
        return {};
    }
    int chosen = -1;
    if (!device.empty()) {
        if (!ParseIndex(device, chosen)) {
            error = "SHOW_EGL_DEVICE=" + device + " is not a device number (0, 1, ...)";
            return {};
        }
        if (!platform.empty() && platform != "device") {
            error = "SHOW_EGL_DEVICE chooses a device of the device platform, but SHOW_EGL_PLATFORM=" + platform;
            return {};
        }
    }
    const bool any = platform.empty() && chosen < 0;

    std::vector<EglCandidate> candidates;
    if (any || platform == "device" || chosen >= 0) {
        if (!client.platformDisplays || !client.devicePlatform) {
            skipped.push_back("EGL device platform: the EGL library lacks EGL_EXT_platform_device or "
                              "EGL_EXT_device_enumeration");
        } else if (client.devices.empty()) {
            skipped.push_back("EGL device platform: EGL enumerates no device");
        }
        const int count = client.devicePlatform && client.platformDisplays ? static_cast<int>(client.devices.size())
                                                                           : 0;
        if (chosen >= count) {
            error = "SHOW_EGL_DEVICE=" + device + ", but EGL has " +
                    (count == 0 ? std::string("no devices") : "devices 0 to " + std::to_string(count - 1));
            return {};
        }
        if (chosen >= 0) {
            candidates.push_back({EglPlatform::Device, chosen, DeviceLabel(client.devices[chosen], chosen)});
        } else {
            // GPUs first, in EGL's order; the software devices after them.
            for (const bool software : {false, true}) {
                for (int i = 0; i < count; ++i) {
                    if (client.devices[i].software == software) {
                        candidates.push_back({EglPlatform::Device, i, DeviceLabel(client.devices[i], i)});
                    }
                }
            }
        }
    }
    if (any || platform == "surfaceless") {
        if (client.platformDisplays && client.surfacelessPlatform) {
            candidates.push_back({EglPlatform::Surfaceless, -1, "EGL surfaceless platform"});
        } else {
            skipped.push_back("EGL surfaceless platform: the EGL library lacks EGL_MESA_platform_surfaceless");
        }
    }
    if (any || platform == "default") {
        candidates.push_back({EglPlatform::Default, -1, "EGL default display"});
    }
    return candidates;
}

std::string EglErrorName(int code)
{
    static const struct {
        int code;
        const char* name;
    } kNames[] = {
        {0x3000, "EGL_SUCCESS"},        {0x3001, "EGL_NOT_INITIALIZED"},     {0x3002, "EGL_BAD_ACCESS"},
        {0x3003, "EGL_BAD_ALLOC"},      {0x3004, "EGL_BAD_ATTRIBUTE"},       {0x3005, "EGL_BAD_CONFIG"},
        {0x3006, "EGL_BAD_CONTEXT"},    {0x3007, "EGL_BAD_CURRENT_SURFACE"}, {0x3008, "EGL_BAD_DISPLAY"},
        {0x3009, "EGL_BAD_MATCH"},      {0x300A, "EGL_BAD_NATIVE_PIXMAP"},   {0x300B, "EGL_BAD_NATIVE_WINDOW"},
        {0x300C, "EGL_BAD_PARAMETER"},  {0x300D, "EGL_BAD_SURFACE"},         {0x300E, "EGL_CONTEXT_LOST"},
        {0x322B, "EGL_BAD_DEVICE_EXT"},
    };
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(code));
    for (const auto& entry : kNames) {
        if (entry.code == code) {
            return std::string(entry.name) + " (" + hex + ")";
        }
    }
    return std::string("EGL error ") + hex;
}

}  // namespace d3dgl
