#pragma once
// The content that makes this scene: the files it loads, the sub-mesh names the pod and room builders
// turn into draw ranges, and the textures each range is drawn with. All of it is fixed in the program.
//
// Drawing a pod or room copy is a loop over DrawStep records: bind the step's texture group, then draw
// its slots. No names are compared while drawing; the names are only for the builders.

#include <array>
#include <cstddef>
#include <string_view>

// ---- Textures ----

inline constexpr size_t kSceneTextureCount = 27;

// The texture files in the slot order of the scene's texture views; paths are relative to the working
// directory.
inline constexpr std::array<std::string_view, kSceneTextureCount> kSceneTextureFiles = {
    "Res/greasy-metal-pan1-albedo.png",             // 0
    "Res/greasy-metal-pan1-normal.png",             // 1
    "Res/Texora_DecalsLeaking0208_2_S.jpg",         // 2
    "Res/Texora_DecalsLeaking0208_1_masked_S.png",  // 3
    "Res/synth-rubber-albedo.png",                  // 4
    "Res/synth-rubber-normal.png",                  // 5
    "Res/scuffed-plastic4-alb.png",                 // 6
    "Res/scuffed-plastic-normal.png",               // 7
    "Res/metalgrid3_basecolor.png",                 // 8
    "Res/metalgrid3_normal-ogl.png",                // 9
    "Res/Texora_Scifi_Floor4_1K_albedo.tif",        // 10
    "Res/Texora_Scifi_Floor4_1K_normal.tif",        // 11
    "Res/storage-container2-albedo.png",            // 12
    "Res/storage-container2-normal-ogl.png",        // 13
    "Res/chipped-paint-metal-albedo.png",           // 14
    "Res/chipped-paint-metal-normal-ogl.png",       // 15
    "Res/Texora_Plastic_Padded_1K_albedo.tif",      // 16
    "Res/Texora_Plastic_Padded_1K_normal.tif",      // 17
    "Res/rustediron-streaks_basecolor.png",         // 18
    "Res/rustediron-streaks_normal.png",            // 19
    "Res/Texora_Metal_Grid_1K_albedo.tif",          // 20
    "Res/Texora_Metal_Grid_1K_normal.tif",          // 21
    "Res/iron-rusted_sp1-basecolor.png",            // 22
    "Res/iron-rusted_sp2-basecolor.png",            // 23
    "Res/iron-rusted_sp3-basecolor.png",            // 24
    "Res/iron-rusted_sp4-basecolor.png",            // 25
    "Res/iron-rusted4-normal.png",                  // 26
};

inline constexpr std::string_view kSkyCubeMapFile = "Res/10.dds";

// ---- Soundtrack ----

inline constexpr std::string_view kMusicFile = "Res/vexa-rhino.mp3";

// ---- Model files ----

inline constexpr std::string_view kSheepModelFile = "Res/sheep.obj";
inline constexpr std::array<std::string_view, 3> kTextModelFiles = {"Res/Text1.obj", "Res/Text2.obj", "Res/Text3.obj"};
inline constexpr std::string_view kPodModelFile = "Res/cryo8.obj";
inline constexpr std::string_view kRoomModelFile = "Res/cryoRoom2.obj";

// ---- Texture groups ----

enum class TextureGroupId { A, B, C, D, E, F, G, H, I, J, K, L0, L1, L2, L3 };

inline constexpr size_t kTextureGroupCount = 15;

// A group's normal slot may leave the normal map bound by the previous group as it is.
inline constexpr int kKeepNormalMap = -1;

struct TextureGroup {
    std::string_view name;
    int diffuseSlot;  // bound to "gDiffuseMap"
    int normalSlot;   // bound to "gNormalMap", or kKeepNormalMap
};

// Indexed by TextureGroupId.
inline constexpr std::array<TextureGroup, kTextureGroupCount> kTextureGroups = {{
    {"A", 0, 1},
    {"B", 2, 3},
    {"C", 4, 5},
    {"D", 8, 9},
    {"E", 10, 11},
    {"F", 12, 13},
    {"G", 16, 17},
    {"H", 6, 7},
    {"I", 14, 15},
    {"J", 18, 19},
    {"K", 20, 21},
    {"L0", 22, 26},
    {"L1", 23, kKeepNormalMap},
    {"L2", 24, kKeepNormalMap},
    {"L3", 25, kKeepNormalMap},
}};

constexpr const TextureGroup& GetTextureGroup(TextureGroupId id)
{
    return kTextureGroups[static_cast<size_t>(id)];
}

// ---- Pod and room parts ----

// One draw-range slot: the sub-mesh whose whole name fills it (compared case-sensitively) and the
// texture group it is drawn with.
struct ModelPart {
    std::string_view meshName;
    TextureGroupId group;
};

inline constexpr size_t kPodPartCount = 12;
inline constexpr size_t kRoomPartCount = 33;

// Slot order of the pod's draw ranges.
inline constexpr std::array<ModelPart, kPodPartCount> PodPart = {{
    {"ShieldingCapsule_ShieldingCapsuleMesh", TextureGroupId::A},  // 0
    {"CircleSupport_CircleSupportMesh", TextureGroupId::A},        // 1
    {"NumPad_NumPadMesh", TextureGroupId::A},                      // 2
    {"VerticalSupport", TextureGroupId::A},                        // 3
    {"HumanShield_HumanShieldMesh", TextureGroupId::B},            // 4
    {"Hosepipe0_HosepipeMesh0", TextureGroupId::C},                // 5
    {"Hosepipe1_HosepipeMesh1", TextureGroupId::C},                // 6
    {"Hosepipe2_HosepipeMesh2", TextureGroupId::C},                // 7
    {"Hosepipe3_HosepipeMesh3", TextureGroupId::C},                // 8
    {"Hosepipe4_HosepipeMesh4", TextureGroupId::C},                // 9
    {"Hosepipe5_HosepipeMesh5", TextureGroupId::C},                // 10
    {"Hosepipe6_HosepipeMesh6", TextureGroupId::C},                // 11
}};

// Slot order of the room's draw ranges. The names are those of the model file, irregular capitals
// (slots 19 and 20) and the missing support 2 included.
inline constexpr std::array<ModelPart, kRoomPartCount> RoomPart = {{
    {"Floor_FloorMesh", TextureGroupId::D},          // 0
    {"Basket_BasketMesh", TextureGroupId::E},        // 1
    {"SideWall0_SideWall0Mesh", TextureGroupId::F},  // 2
    {"SideWall1_SideWall1Mesh", TextureGroupId::F},  // 3
    {"Slope_SlopeMesh", TextureGroupId::F},          // 4
    {"FrontWall_FrontWallMesh", TextureGroupId::G},  // 5
    {"BackWall_BackWallMesh", TextureGroupId::G},    // 6
    {"RedPipe0_RedPipe0Mesh", TextureGroupId::H},    // 7
    {"RedPipe1_RedPipe1Mesh", TextureGroupId::H},    // 8
    {"RedPipe2_RedPipe2Mesh", TextureGroupId::H},    // 9
    {"RedPipe3_RedPipe3Mesh", TextureGroupId::H},    // 10
    {"RedPipe4_RedPipe4Mesh", TextureGroupId::H},    // 11
    {"RedPipe5_RedPipe5Mesh", TextureGroupId::H},    // 12
    {"RedPipe6_RedPipe6Mesh", TextureGroupId::H},    // 13
    {"RedPipe7_RedPipe7Mesh", TextureGroupId::H},    // 14
    {"Hosepipe0_Hosepipe0Mesh", TextureGroupId::C},  // 15
    {"Hosepipe1_Hosepipe1Mesh", TextureGroupId::C},  // 16
    {"Hosepipe2_Hosepipe2Mesh", TextureGroupId::C},  // 17
    {"Hosepipe3_Hosepipe3Mesh", TextureGroupId::C},  // 18
    {"HosePipe4_HosePipe4Mesh", TextureGroupId::C},  // 19
    {"HosePipe5_Hosepipe5Mesh", TextureGroupId::C},  // 20
    {"Cube0_Cube0Mesh", TextureGroupId::I},          // 21
    {"Cube1_Cube1Mesh", TextureGroupId::I},          // 22
    {"Cube2_Cube2Mesh", TextureGroupId::I},          // 23
    {"Cube3_Cube3Mesh", TextureGroupId::I},          // 24
    {"Support0_Support0Mesh", TextureGroupId::J},    // 25
    {"Support1_Support1Mesh", TextureGroupId::J},    // 26
    {"Support3_Support3Mesh", TextureGroupId::J},    // 27
    {"Roof_RoofMesh", TextureGroupId::K},            // 28
    {"Drawing0_Drawing0Mesh", TextureGroupId::L0},   // 29
    {"Drawing1_Drawing1Mesh", TextureGroupId::L1},   // 30
    {"Drawing2_Drawing2Mesh", TextureGroupId::L2},   // 31
    {"Drawing3_Drawing3Mesh", TextureGroupId::L3},   // 32
}};

// The slot of a mesh name in a part table, or -1 when the name fills no slot. Whole names only, case
// sensitive.
template <size_t N>
constexpr int FindPartSlot(const std::array<ModelPart, N>& parts, std::string_view meshName)
{
    for (size_t slot = 0; slot < N; ++slot) {
        if (parts[slot].meshName == meshName) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

// ---- Drawing order ----

// Bind a texture group once, then draw the slots firstSlot .. endSlot - 1 in order.
struct DrawStep {
    TextureGroupId group;
    int firstSlot;
    int endSlot;
};

inline constexpr std::array<DrawStep, 3> kPodDrawSteps = {{
    {TextureGroupId::A, 0, 4},
    {TextureGroupId::B, 4, 5},
    {TextureGroupId::C, 5, 12},
}};

inline constexpr std::array<DrawStep, 13> kRoomDrawSteps = {{
    {TextureGroupId::D, 0, 1},
    {TextureGroupId::E, 1, 2},
    {TextureGroupId::F, 2, 5},
    {TextureGroupId::G, 5, 7},
    {TextureGroupId::H, 7, 15},
    {TextureGroupId::C, 15, 21},
    {TextureGroupId::I, 21, 25},
    {TextureGroupId::J, 25, 28},
    {TextureGroupId::K, 28, 29},
    {TextureGroupId::L0, 29, 30},
    {TextureGroupId::L1, 30, 31},
    {TextureGroupId::L2, 31, 32},
    {TextureGroupId::L3, 32, 33},
}};

// One drawn copy of a model: its translation along z after the model's world matrix, and how many of
// the model's slots it draws (a copy stops after its last step that starts below slotCount).
struct ModelCopy {
    float zOffset;
    int slotCount;
};

inline constexpr std::array<ModelCopy, 6> kPodCopies = {{
    {0.0f, 12},
    {-4.0f, 12},
    {-8.0f, 12},
    {43.0f, 12},
    {39.0f, 12},
    {35.0f, 12},
}};

// The second room copy leaves out the four drawings (slots 29 to 32).
inline constexpr std::array<ModelCopy, 2> kRoomCopies = {{
    {0.0f, 33},
    {43.0f, 29},
}};
