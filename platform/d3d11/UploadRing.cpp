#include "platform/d3d11/UploadRing.h"

#include <cstring>

namespace d3dgl {

bool UploadRing::Create(GLint driverAlignment)
{
    alignment = driverAlignment > 0 ? static_cast<std::size_t>(driverAlignment) : 256;
    const auto bytes = static_cast<GLsizeiptr>(kSegmentBytes * kSegments);
    const GLbitfield flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
    glCreateBuffers(1, &buffer);
    glNamedBufferStorage(buffer, bytes, nullptr, flags);
    mapped = static_cast<std::uint8_t*>(glMapNamedBufferRange(buffer, 0, bytes, flags));
    if (mapped == nullptr) {
        glDeleteBuffers(1, &buffer);
        buffer = 0;
        return false;
    }
    return true;
}

void UploadRing::Destroy()
{
    for (GLsync& fence : fences) {
        if (fence != nullptr) {
            glDeleteSync(fence);
            fence = nullptr;
        }
    }
    if (buffer != 0) {
        glUnmapNamedBuffer(buffer);
        glDeleteBuffers(1, &buffer);
    }
    buffer = 0;
    mapped = nullptr;
}

UploadRing::Range UploadRing::Write(const void* data, std::size_t size)
{
    std::size_t offset = (head + alignment - 1) / alignment * alignment;
    if (offset + size > static_cast<std::size_t>(segment + 1) * kSegmentBytes) {
        EnterSegment((segment + 1) % kSegments);
        offset = head;
    }
    std::memcpy(mapped + offset, data, size);
    head = offset + size;
    return {buffer, static_cast<GLintptr>(offset)};
}

void UploadRing::EnterSegment(int next)
{
    // Draws issued so far may read the segment being left; what waits to be rewritten is the next one.
    fences[segment] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    if (GLsync& fence = fences[next]; fence != nullptr) {
        GLenum state = glClientWaitSync(fence, 0, 0);
        if (state == GL_TIMEOUT_EXPIRED) {
            ++waits;
            while (state == GL_TIMEOUT_EXPIRED) {
                state = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1'000'000'000);
            }
        }
        glDeleteSync(fence);
        fence = nullptr;
    }
    segment = next;
    head = static_cast<std::size_t>(next) * kSegmentBytes;
}

}  // namespace d3dgl
