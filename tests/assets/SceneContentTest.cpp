#include "assets/SceneContent.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>
#include <vector>

namespace {

TEST(SceneContent, PartTablesHaveUniqueExactNames)
{
    EXPECT_EQ(PodPart.size(), 12u);
    EXPECT_EQ(RoomPart.size(), 33u);
    std::set<std::string_view> names;
    for (const ModelPart& part : PodPart) {
        EXPECT_TRUE(names.insert(part.meshName).second) << part.meshName;
    }
    for (const ModelPart& part : RoomPart) {
        EXPECT_TRUE(names.insert(part.meshName).second) << part.meshName;
    }
    // The irregular names are matched whole and case-sensitively.
    EXPECT_EQ(FindPartSlot(RoomPart, "HosePipe4_HosePipe4Mesh"), 19);
    EXPECT_EQ(FindPartSlot(RoomPart, "HosePipe5_Hosepipe5Mesh"), 20);
    EXPECT_EQ(FindPartSlot(RoomPart, "HosePipe5_HosePipe5Mesh"), -1);
    EXPECT_EQ(FindPartSlot(RoomPart, "Support2_Support2Mesh"), -1);
    EXPECT_EQ(FindPartSlot(PodPart, "VerticalSupport"), 3);
    EXPECT_EQ(FindPartSlot(PodPart, "VerticalSupport_VerticalSupportMesh"), -1);
    // Hose pipes are numbered differently in the two models; each name belongs to one table only.
    EXPECT_EQ(FindPartSlot(PodPart, "Hosepipe0_Hosepipe0Mesh"), -1);
    EXPECT_EQ(FindPartSlot(RoomPart, "Hosepipe0_HosepipeMesh0"), -1);
    EXPECT_EQ(FindPartSlot(RoomPart, "Hosepipe0_Hosepipe0Mesh"), 15);
}

TEST(SceneContent, TextureGroupsUseEveryTextureSlotOnce)
{
    std::vector<int> uses(kSceneTextureCount, 0);
    for (const TextureGroup& group : kTextureGroups) {
        for (int slot : {group.diffuseSlot, group.normalSlot}) {
            if (slot == kKeepNormalMap) {
                continue;
            }
            ASSERT_GE(slot, 0);
            ASSERT_LT(slot, static_cast<int>(kSceneTextureCount));
            ++uses[static_cast<size_t>(slot)];
        }
    }
    for (size_t slot = 0; slot < kSceneTextureCount; ++slot) {
        EXPECT_EQ(uses[slot], 1) << "texture slot " << slot << " " << kSceneTextureFiles[slot];
    }
    // The drawings change only the diffuse map after the first one.
    EXPECT_EQ(GetTextureGroup(TextureGroupId::L0).normalSlot, 26);
    EXPECT_EQ(GetTextureGroup(TextureGroupId::L2).normalSlot, kKeepNormalMap);
    EXPECT_EQ(GetTextureGroup(TextureGroupId::H).diffuseSlot, 6);
    std::set<std::string_view> files(kSceneTextureFiles.begin(), kSceneTextureFiles.end());
    EXPECT_EQ(files.size(), kSceneTextureCount);
}

// Walks the copies and steps the way the corridor is drawn, counting draws per slot.
template <size_t S, size_t C>
std::vector<int> DrawsPerSlot(const std::array<DrawStep, S>& steps, const std::array<ModelCopy, C>& copies,
                              size_t slots)
{
    std::vector<int> draws(slots, 0);
    for (const ModelCopy& copy : copies) {
        for (const DrawStep& step : steps) {
            for (int slot = step.firstSlot; slot < step.endSlot && slot < copy.slotCount; ++slot) {
                ++draws[static_cast<size_t>(slot)];
            }
        }
    }
    return draws;
}

TEST(SceneContent, CopiesDrawEachSlotTheRightNumberOfTimes)
{
    EXPECT_EQ(DrawsPerSlot(kPodDrawSteps, kPodCopies, PodPart.size()), std::vector<int>(12, 6));
    std::vector<int> room(33, 2);
    for (size_t drawing = 29; drawing < 33; ++drawing) {
        room[drawing] = 1;
    }
    EXPECT_EQ(DrawsPerSlot(kRoomDrawSteps, kRoomCopies, RoomPart.size()), room);
    std::vector<float> podOffsets;
    for (const ModelCopy& copy : kPodCopies) {
        podOffsets.push_back(copy.zOffset);
    }
    EXPECT_EQ(podOffsets, (std::vector<float>{0, -4, -8, 43, 39, 35}));
    EXPECT_EQ(kRoomCopies[1].zOffset, 43.0f);
}

}  // namespace
