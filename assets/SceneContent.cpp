#include "assets/SceneContent.h"

// The tables are data only; these checks keep the drawing steps, the part tables and the copies in
// agreement, so an edit that breaks one of them does not compile.
namespace {

template <size_t S, size_t P>
constexpr bool StepsCoverParts(const std::array<DrawStep, S>& steps, const std::array<ModelPart, P>& parts)
{
    int next = 0;
    for (const DrawStep& step : steps) {
        if (step.firstSlot != next || step.endSlot <= step.firstSlot) {
            return false;
        }
        for (int slot = step.firstSlot; slot < step.endSlot; ++slot) {
            if (static_cast<size_t>(slot) >= P || parts[static_cast<size_t>(slot)].group != step.group) {
                return false;
            }
        }
        next = step.endSlot;
    }
    return next == static_cast<int>(P);
}

template <size_t S, size_t C>
constexpr bool CopiesEndOnStepBoundaries(const std::array<DrawStep, S>& steps, const std::array<ModelCopy, C>& copies)
{
    for (const ModelCopy& copy : copies) {
        bool found = false;
        for (const DrawStep& step : steps) {
            found = found || step.endSlot == copy.slotCount;
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

static_assert(StepsCoverParts(kPodDrawSteps, PodPart));
static_assert(StepsCoverParts(kRoomDrawSteps, RoomPart));
static_assert(CopiesEndOnStepBoundaries(kPodDrawSteps, kPodCopies));
static_assert(CopiesEndOnStepBoundaries(kRoomDrawSteps, kRoomCopies));
static_assert(GetTextureGroup(TextureGroupId::L3).diffuseSlot == 25);

}  // namespace
