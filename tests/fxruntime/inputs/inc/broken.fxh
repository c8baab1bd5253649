// Shared code with a mistake on line 5.
float4 Brighten(float4 c)
{
    float4 result = c * 2.0f;
    return result + gUndefinedBoost;
}
