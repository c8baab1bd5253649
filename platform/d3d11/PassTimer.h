#pragma once
// GPU time of the context's annotated groups (ID3DUserDefinedAnnotation::BeginEvent/EndEvent):
// a timestamp query at each end, read once the timing stops. Timestamps nest where time-elapsed
// queries cannot, so a group inside another is timed too. Each timestamp waits for the work before it
// (glFinish): a driver that defers work, as llvmpipe does when it bins a whole frame and rasterizes
// it at the flush, would otherwise charge one group with every group's work. It is for measuring
// frames only; on a GPU it also keeps passes from overlapping.
#include <epoxy/gl.h>

#include <string>
#include <vector>

namespace d3dgl {

class PassTimer {
public:
    struct Time {
        std::string name;
        int depth = 0;  // 0 for a group at the top
        double milliseconds = 0;
    };

    PassTimer() = default;
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

    bool Running() const { return running; }
    void Start();
    void Begin(const std::string& name);
    void End();
    // Waits for the GPU to reach the last query, returns the groups in the order they began and
    // deletes the queries. The context must be current.
    std::vector<Time> Stop();
    // Deletes the queries unread; the owner calls it before the context goes (the context must be
    // current).
    void Discard();

private:
    struct Group {
        std::string name;
        int depth = 0;
        GLuint begin = 0, end = 0;
    };
    std::vector<Group> groups;
    std::vector<std::size_t> open;  // indices of the groups begun and not yet ended
    bool running = false;
};

}  // namespace d3dgl
