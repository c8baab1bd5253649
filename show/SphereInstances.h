#pragma once
// Per-instance data of the instanced spheres: a cloud of 8000 small spheres on a 20 x 20 x 20 grid,
// pushed out and turned about the vertical axis by their distance from the centre, and the single
// big dark sphere. Generated once at start-up and sent to immutable vertex buffers.

#include <cstddef>
#include <vector>

#include "assets/VertexRecords.h"
#include "platform/d3d11/D3D11.h"

inline constexpr size_t kSphereGridSize = 20;
inline constexpr size_t kSphereInstanceCount = kSphereGridSize * kSphereGridSize * kSphereGridSize;

// The 8000 records of the cloud, record 400k + 20i + j for the grid point (j, i, k) along (x, y, z).
// The random numbers come from the C library's rand(), restarted from its unseeded state (srand(1))
// so that every call gives the same cloud; six numbers per record.
std::vector<InstanceRecord> BuildSphereInstances();

// The big sphere: one record, identity world, dark grey.
std::vector<InstanceRecord> BuildBigSphereInstances();

// An immutable vertex buffer of the records (80 bytes each); null and E_INVALIDARG when empty.
HRESULT CreateInstanceBuffer(ID3D11Device* device, const std::vector<InstanceRecord>& records, ID3D11Buffer** buffer);
