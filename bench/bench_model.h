#pragma once

#include "fixtures/chunk_writer.h"

#include <cstdint>
#include <vector>

// Large deterministic .3DS models for benchmarks and scaling runs.
//
// Each object is a height field on a grid: vertex i sits in column
// i % width and row i / width, every full grid cell gives two triangles, and
// heights and coordinates come from integer arithmetic alone, so the same
// shape gives the same bytes on every machine. Every object carries mapping
// coordinates and one material group that names all its faces, as exported
// scenes do. A grid of 256 x 128 vertices gives 32,768 vertices and 64,770
// faces.
namespace bench
{

// The .3DS counts are 16-bit.
inline constexpr std::uint32_t kMaxCountPerObject = 65535;

struct BenchModelShape
{
    std::uint32_t objectCount = 1;
    std::uint32_t verticesPerObject = 32768; // 3 to 65535
    // 0 for every face the grid has; the count is cut to 65535 in any case.
    std::uint32_t maxFacesPerObject = 0;
    bool materialGroups = true; // one group naming every face, or none
};

struct GridSize
{
    std::uint32_t width = 0;
    std::uint32_t rows = 0;
};

// A power-of-two width near the square root; the last row may be partial.
GridSize GridFor(std::uint32_t vertexCount);

// Faces that a grid of vertexCount vertices yields before any cut.
std::uint32_t GridFaceCount(std::uint32_t vertexCount);

fixtures::Mesh MakeGridMesh(std::uint32_t objectIndex, const BenchModelShape& shape);

std::vector<std::uint8_t> BuildBenchModel(const BenchModelShape& shape);

// The same objects as meshes, for the writers of other formats.
std::vector<fixtures::Mesh> MakeBenchMeshes(const BenchModelShape& shape);

// Totals of a shape, for reports and benchmark counters.
std::uint64_t TotalVertices(const BenchModelShape& shape);
std::uint64_t TotalFaces(const BenchModelShape& shape);

} // namespace bench
