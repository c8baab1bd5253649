#pragma once
// Where constant-buffer updates go on their way to the GPU. An update never rewrites storage that a
// draw issued earlier may still read (on a GPU driver that is a copy of the buffer or a wait for the
// draw): it is written to the next free range of one persistently mapped ring, and the buffer is
// bound at that range from then on. The ring is cut into segments; leaving one puts a fence behind
// it, and entering one waits for the fence it got a whole ring earlier, long passed at any frame rate.
#include <epoxy/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace d3dgl {

class UploadRing {
public:
    struct Range {
        GLuint buffer = 0;
        GLintptr offset = 0;
    };

    UploadRing() = default;
    UploadRing(const UploadRing&) = delete;
    UploadRing& operator=(const UploadRing&) = delete;

    // Maps the ring; `alignment` is the driver's GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT. False (nothing
    // made) when the driver cannot map it, and updates then go into the buffers themselves.
    bool Create(GLint alignment);
    // The context must be current.
    void Destroy();
    bool Ready() const { return mapped != nullptr; }

    // Copies `size` bytes (at most kSegmentBytes) into the ring: where they are to be bound from.
    Range Write(const void* data, std::size_t size);

    // Times entering a segment found its fence not yet passed, and waited.
    std::uint64_t Waits() const { return waits; }

    static constexpr std::size_t kSegmentBytes = 256 * 1024;  // four 64 KiB buffers at the least
    static constexpr int kSegments = 4;

private:
    void EnterSegment(int next);

    GLuint buffer = 0;
    std::uint8_t* mapped = nullptr;
    std::size_t alignment = 256;
    std::size_t head = 0;  // next free byte
    int segment = 0;
    std::array<GLsync, kSegments> fences{};
    std::uint64_t waits = 0;
};

}  // namespace d3dgl
