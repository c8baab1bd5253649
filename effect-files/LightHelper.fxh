// Lighting shared by the lit effects. The three records match the application's structures byte
// for byte: every group of four floats is one 16-byte constant-buffer row.

struct DirectionalLight
{
    float4 Ambient;
    float4 Diffuse;
    float4 Specular;
    float3 Direction;   // the way the light travels
    float  Pad;
};

struct SpotLight
{
    float4 Ambient;
    float4 Diffuse;
    float4 Specular;
    float3 Position;
    float  Range;
    float3 Direction;   // the cone's axis
    float  SpotPower;
    float3 Attenuation; // constant, linear, quadratic
    float  Pad;
};

struct Material
{
    float4 Ambient;
    float4 Diffuse;
    float4 Specular;    // w is the specular power
    float4 Reflect;
};

// Light gathered at one point, kept apart so that textures modulate only ambient and diffuse.
struct LightSum
{
    float4 Ambient;
    float4 Diffuse;
    float4 Specular;
};

LightSum NoLight()
{
    LightSum s;
    s.Ambient = float4(0.0f, 0.0f, 0.0f, 0.0f);
    s.Diffuse = float4(0.0f, 0.0f, 0.0f, 0.0f);
    s.Specular = float4(0.0f, 0.0f, 0.0f, 0.0f);
    return s;
}

void AddLight(inout LightSum sum, LightSum more)
{
    sum.Ambient += more.Ambient;
    sum.Diffuse += more.Diffuse;
    sum.Specular += more.Specular;
}

// Blinn-Phong for one light arriving from toLight (unit), scaled by intensity.
LightSum BlinnPhong(Material mat, float4 ambient, float4 diffuse, float4 specular,
                    float3 toLight, float3 normal, float3 toEye, float intensity)
{
    LightSum s = NoLight();
    s.Ambient = mat.Ambient * ambient * intensity;

    float lambert = dot(toLight, normal);
    if (lambert > 0.0f)
    {
        float3 halfway = normalize(toLight + toEye);
        float power = max(mat.Specular.w, 1.0f);
        float highlight = pow(max(dot(halfway, normal), 0.0f), power);
        s.Diffuse = lambert * mat.Diffuse * diffuse * intensity;
        s.Specular = highlight * float4(mat.Specular.rgb, 1.0f) * specular * intensity;
    }
    return s;
}

LightSum ShadeDirectional(Material mat, DirectionalLight light, float3 normal, float3 toEye)
{
    return BlinnPhong(mat, light.Ambient, light.Diffuse, light.Specular,
                      -light.Direction, normal, toEye, 1.0f);
}

LightSum ShadeSpot(Material mat, SpotLight light, float3 posW, float3 normal, float3 toEye)
{
    float3 toLight = light.Position - posW;
    float dist = length(toLight);
    if (dist > light.Range || dist < 1e-4f)
        return NoLight();
    toLight /= dist;

    float cone = pow(max(dot(-toLight, normalize(light.Direction)), 0.0f), max(light.SpotPower, 1.0f));
    float falloff = dot(light.Attenuation, float3(1.0f, dist, dist * dist));
    // Close to the lamp the falloff tends to zero; cap the boost so nothing burns out.
    float intensity = cone * min(1.0f / max(falloff, 1e-3f), 4.0f);
    return BlinnPhong(mat, light.Ambient, light.Diffuse, light.Specular, toLight, normal, toEye, intensity);
}

LightSum ShadeDirectionals(Material mat, DirectionalLight lights[3], int count, float3 normal, float3 toEye)
{
    LightSum sum = NoLight();
    [unroll]
    for (int i = 0; i < 3; ++i)
    {
        if (i < count)
            AddLight(sum, ShadeDirectional(mat, lights[i], normal, toEye));
    }
    return sum;
}

// Texture colour and light combined; alpha comes from the material and the texture.
float4 Combine(LightSum light, float4 texColor, Material mat)
{
    float4 color = texColor * (light.Ambient + light.Diffuse) + light.Specular;
    color.a = mat.Diffuse.a * texColor.a;
    return color;
}

float FogAmount(float dist, float fogStart, float fogRange)
{
    return saturate((dist - fogStart) / max(fogRange, 1e-4f));
}

// A normal-map sample in [0,1] turned into a world-space normal, using the tangent frame
// re-orthogonalised against the interpolated normal (Gram-Schmidt).
float3 BumpedNormal(float3 mapSample, float3 unitNormalW, float3 tangentW)
{
    float3 n = unitNormalW;
    float3 t = tangentW - dot(tangentW, n) * n;
    float len = length(t);
    if (len < 1e-5f)
        return n;
    t /= len;
    float3 b = cross(n, t);
    float3 tangentSpace = 2.0f * mapSample - 1.0f;
    return normalize(tangentSpace.x * t + tangentSpace.y * b + tangentSpace.z * n);
}
