#pragma once
// Light and material records, copied to the effects' constant buffers byte for byte.
// Each group of four floats starts a 16-byte row, the packing the effect files declare,
// so the field order and sizes below are fixed; the checks at the end hold them there.
// Every field starts at zero, so unused fields (the pads) never carry stray bytes.

#include <array>
#include <cstddef>
#include <type_traits>

#include "math/MathHelper.h"

struct DirectionalLight {
    Float4 Ambient;
    Float4 Diffuse;
    Float4 Specular;
    Float3 Direction;  // the way the light travels, unit length
    float Pad = 0.0f;
};

struct SpotLight {
    Float4 Ambient;
    Float4 Diffuse;
    Float4 Specular;
    Float3 Position;
    float Range = 0.0f;
    Float3 Direction;  // axis of the cone
    float SpotPower = 0.0f;
    Float3 Attenuation;
    float Pad = 0.0f;
};

// The three directional lights every lit effect takes, as its gDirLights array.
using DirectionalLights = std::array<DirectionalLight, 3>;

struct Material {
    Float4 Ambient;
    Float4 Diffuse;
    Float4 Specular;  // w holds the specular power
    Float4 Reflect;
};

static_assert(std::is_standard_layout_v<DirectionalLight> && std::is_trivially_copyable_v<DirectionalLight>);
static_assert(std::is_standard_layout_v<SpotLight> && std::is_trivially_copyable_v<SpotLight>);
static_assert(std::is_standard_layout_v<Material> && std::is_trivially_copyable_v<Material>);

static_assert(sizeof(DirectionalLight) == 64);
static_assert(offsetof(DirectionalLight, Ambient) == 0);
static_assert(offsetof(DirectionalLight, Diffuse) == 16);
static_assert(offsetof(DirectionalLight, Specular) == 32);
static_assert(offsetof(DirectionalLight, Direction) == 48);
static_assert(offsetof(DirectionalLight, Pad) == 60);

static_assert(sizeof(SpotLight) == 96);
static_assert(offsetof(SpotLight, Ambient) == 0);
static_assert(offsetof(SpotLight, Diffuse) == 16);
static_assert(offsetof(SpotLight, Specular) == 32);
static_assert(offsetof(SpotLight, Position) == 48);
static_assert(offsetof(SpotLight, Range) == 60);
static_assert(offsetof(SpotLight, Direction) == 64);
static_assert(offsetof(SpotLight, SpotPower) == 76);
static_assert(offsetof(SpotLight, Attenuation) == 80);
static_assert(offsetof(SpotLight, Pad) == 92);

static_assert(sizeof(Material) == 64);
static_assert(offsetof(Material, Ambient) == 0);
static_assert(offsetof(Material, Diffuse) == 16);
static_assert(offsetof(Material, Specular) == 32);
static_assert(offsetof(Material, Reflect) == 48);

// Three directional lights travel as one 192-byte block with no gaps between them.
static_assert(sizeof(DirectionalLight[3]) == 192);
