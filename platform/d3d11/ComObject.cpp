#include "platform/d3d11/ComObject.h"

namespace com_detail {

std::atomic<long> liveObjects{0};

std::uint64_t NextObjectId()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

}  // namespace com_detail

long ComLiveObjectCount()
{
    return com_detail::liveObjects.load();
}
