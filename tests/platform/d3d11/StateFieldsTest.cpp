// The state field tables: their defaults are Direct3D's, every field is visited once, and each
// enumerated domain holds exactly its value names.
#include "platform/d3d11/StateFields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using d3dgl::FieldDomain;
using d3dgl::FieldInfo;

template <typename Desc>
std::set<std::string> FieldNames()
{
    std::set<std::string> names;
    int visits = 0;
    Desc desc = d3dgl::DefaultDesc<Desc>();
    d3dgl::VisitFields(desc, [&](const FieldInfo& f, auto&) {
        ++visits;
        std::string name = f.group;
        name.append(f.name);
        if (f.target >= 0) {
            name.append("[").append(std::to_string(f.target)).append("]");
        }
        names.insert(name);
    });
    EXPECT_EQ(static_cast<int>(names.size()), visits);  // no field is visited twice
    return names;
}

TEST(StateFields, EveryFieldIsVisitedOnceUnderItsOwnName)
{
    EXPECT_EQ(FieldNames<D3D11_RASTERIZER_DESC>().size(), 10u);
    const std::set<std::string> depth = FieldNames<D3D11_DEPTH_STENCIL_DESC>();
    EXPECT_EQ(depth.size(), 14u);
    EXPECT_EQ(depth.count("BackFaceStencilDepthFail"), 1u);
    const std::set<std::string> blend = FieldNames<D3D11_BLEND_DESC>();
    EXPECT_EQ(blend.size(), 2u + 8u * 8u);
    EXPECT_EQ(blend.count("RenderTargetWriteMask[7]"), 1u);
    EXPECT_EQ(FieldNames<D3D11_SAMPLER_DESC>().size(), 10u);
}

TEST(StateFields, DefaultsAreDirect3DsDefaultStates)
{
    const auto r = d3dgl::DefaultDesc<D3D11_RASTERIZER_DESC>();
    EXPECT_EQ(r.FillMode, D3D11_FILL_SOLID);
    EXPECT_EQ(r.CullMode, D3D11_CULL_BACK);
    EXPECT_EQ(r.FrontCounterClockwise, FALSE);
    EXPECT_EQ(r.DepthClipEnable, TRUE);
    const auto d = d3dgl::DefaultDesc<D3D11_DEPTH_STENCIL_DESC>();
    EXPECT_EQ(d.DepthEnable, TRUE);
    EXPECT_EQ(d.DepthFunc, D3D11_COMPARISON_LESS);
    EXPECT_EQ(d.StencilReadMask, 0xFF);
    EXPECT_EQ(d.BackFace.StencilFunc, D3D11_COMPARISON_ALWAYS);
    EXPECT_EQ(d.BackFace.StencilPassOp, D3D11_STENCIL_OP_KEEP);
    const auto b = d3dgl::DefaultDesc<D3D11_BLEND_DESC>();
    for (const D3D11_RENDER_TARGET_BLEND_DESC& t : b.RenderTarget) {
        EXPECT_EQ(t.SrcBlend, D3D11_BLEND_ONE);
        EXPECT_EQ(t.DestBlend, D3D11_BLEND_ZERO);
        EXPECT_EQ(t.RenderTargetWriteMask, 0xF);
    }
    const auto s = d3dgl::DefaultDesc<D3D11_SAMPLER_DESC>();
    EXPECT_EQ(s.Filter, D3D11_FILTER_MIN_MAG_MIP_LINEAR);
    EXPECT_EQ(s.AddressW, D3D11_TEXTURE_ADDRESS_CLAMP);
    EXPECT_EQ(s.MaxAnisotropy, 1u);
    EXPECT_EQ(s.BorderColor[3], 1.0f);
    EXPECT_LT(s.MinLOD, -1e38f);
    EXPECT_GT(s.MaxLOD, 1e38f);
}

TEST(StateFields, DomainsHoldTheirNamedValuesAndNoOthers)
{
    for (FieldDomain domain : {FieldDomain::Bool, FieldDomain::FillMode, FieldDomain::CullMode,
                               FieldDomain::DepthWriteMask, FieldDomain::Comparison, FieldDomain::StencilOp,
                               FieldDomain::Blend, FieldDomain::BlendOp, FieldDomain::Filter, FieldDomain::Address}) {
        ASSERT_FALSE(d3dgl::ValueNames(domain).empty());
        for (const d3dgl::ValueName& v : d3dgl::ValueNames(domain)) {
            EXPECT_TRUE(d3dgl::InDomain(domain, v.value)) << v.name;
        }
    }
    EXPECT_FALSE(d3dgl::InDomain(FieldDomain::Blend, 12));  // the gap in Direct3D's blend factors
    EXPECT_FALSE(d3dgl::InDomain(FieldDomain::Filter, 0x40));
    EXPECT_FALSE(d3dgl::InDomain(FieldDomain::Filter, 0x100));  // reductions are Direct3D 11.1's
    EXPECT_FALSE(d3dgl::InDomain(FieldDomain::Comparison, 0));
    EXPECT_TRUE(d3dgl::InDomain(FieldDomain::ColorMask, 0xF));
    EXPECT_FALSE(d3dgl::InDomain(FieldDomain::ColorMask, 0x10));
    EXPECT_TRUE(d3dgl::InDomain(FieldDomain::Anisotropy, 16));
    EXPECT_FALSE(d3dgl::InDomain(FieldDomain::Anisotropy, 17));
}

}  // namespace
