#include "show/SceneConstants.h"

namespace {

DirectionalLight MakeDirectionalLight(Float4 ambient, Float4 diffuse, Float4 specular, Float3 direction)
{
    DirectionalLight light;
    light.Ambient = ambient;
    light.Diffuse = diffuse;
    light.Specular = specular;
    light.Direction = direction;
    return light;
}

SpotLight MakeSpotLight(Float4 ambient, Float4 diffuse, Float4 specular, float spotPower, Float3 attenuation)
{
    SpotLight light;
    light.Ambient = ambient;
    light.Diffuse = diffuse;
    light.Specular = specular;
    light.Range = 10000.0f;
    light.SpotPower = spotPower;
    light.Attenuation = attenuation;
    light.Pad = 1.0f;
    return light;
}

Material MakeMaterial(Float4 ambient, Float4 diffuse, Float4 specular)
{
    Material material;
    material.Ambient = ambient;
    material.Diffuse = diffuse;
    material.Specular = specular;
    return material;
}

}  // namespace

std::array<DirectionalLight, 3> FirstSceneLights()
{
    return {
        MakeDirectionalLight({0.3f, 0.3f, 0.3f, 1.0f}, {0.87f, 0.85f, 0.95f, 1.0f}, {0.8f, 0.8f, 0.8f, 1.0f},
                             {0.57735f, -0.57735f, 0.57735f}),
        MakeDirectionalLight({0.15f, 0.15f, 0.15f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}, {0.75f, 0.75f, 0.75f, 1.0f},
                             {-0.57735f, -0.57735f, 0.57735f}),
        MakeDirectionalLight({0.15f, 0.15f, 0.15f, 1.0f}, {0.85f, 0.85f, 0.85f, 1.0f}, {1.0f, 1.0f, 1.0f, 16.0f},
                             {0.0f, -0.707f, -0.707f}),
    };
}

std::array<DirectionalLight, 3> SecondSceneLights()
{
    std::array<DirectionalLight, 3> lights = FirstSceneLights();
    // A dim key light; the fill lights stay as in the first scene.
    lights[0] = MakeDirectionalLight({0.001f, 0.01f, 0.01f, 1.0f}, {0.08f, 0.08f, 0.08f, 1.0f},
                                     {0.05f, 0.05f, 0.0f, 1.0f}, {0.57735f, -0.57735f, 0.57735f});
    return lights;
}

SpotLight InitialSecondCameraSpot()
{
    return MakeSpotLight({0.0f, 0.0f, 0.0f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f}, {0.8f, 0.8f, 0.8f, 1.0f}, 24.0f,
                         {0.0f, 0.15f, 0.0f});
}

SpotLight InitialActiveCameraSpot()
{
    return MakeSpotLight({0.1f, 0.1f, 0.1f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, 12.0f,
                         {1.0f, 0.0f, 0.0f});
}

SpotLight DarkSpot()
{
    SpotLight light = MakeSpotLight({0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 48.0f,
                                    {1.0f, 0.0f, 0.0f});
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

Material SheepMaterial()
{
    return MakeMaterial({1.0f, 1.0f, 1.0f, 1.0f}, {0.878f, 0.865f, 0.895f, 1.0f}, {0.8f, 0.8f, 0.8f, 96.0f});
}

Material TextMaterial()
{
    return MakeMaterial({0.2f, 0.2f, 0.2f, 1.0f}, {0.482353f, 0.705882f, 0.811765f, 1.0f}, {0.8f, 0.8f, 0.8f, 96.0f});
}

Material PodMaterial()
{
    return MakeMaterial({0.2f, 0.2f, 0.2f, 1.0f}, {0.878f, 0.865f, 0.895f, 1.0f}, {0.8f, 0.8f, 0.8f, 1.0f});
}

Material RoomMaterial()
{
    return MakeMaterial({0.2f, 0.2f, 0.2f, 1.0f}, {0.878f, 0.865f, 0.895f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f});
}

Float4x4 Text2World()
{
    return Scaling(2.0f, 2.0f, 2.0f) * RotationX(-kPi) * Translation(44.0f, -20.0f, -35.0f);
}

Float4x4 Text3World()
{
    return RotationX(-kPi / 2.0f) * RotationY(kPi) * Translation(6.0f, 2.0f, 13.0f);
}

Float4x4 PodWorld()
{
    return Identity();
}

Float4x4 RoomWorld()
{
    return Identity();
}

void PlaceInitialCameras(Camera& camera, Camera& secondCamera)
{
    camera.ResetToInitial();
    camera.Position = {45.0f, 21.0f, 0.0f};
    camera.RotateAboutWorldY(-2.058285f);
    camera.Pitch(0.3926991f);

    secondCamera.ResetToInitial();
    secondCamera.Position = {10.0f, 0.0f, -5.0f};
}
