#include "bench/bench_model.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>

namespace bench
{
namespace
{
constexpr float kGridSpacing = 0.37f;
constexpr float kObjectSpacing = 150.0f;
constexpr float kHeightRange = 200.0f;

// An integer hash with a full spread of low bits: heights must not repeat in
// patterns that would make number formatting unusually easy.
std::uint32_t Mix(std::uint32_t value)
{
    value ^= value >> 16;
    value *= 0x7FEB352Du;
    value ^= value >> 15;
    value *= 0x846CA68Bu;
    value ^= value >> 16;
    return value;
}

// A height in [-100, 100) with all 24 bits of the mantissa in use.
float HeightAt(std::uint32_t objectIndex, std::uint32_t vertexIndex)
{
    const std::uint32_t bits = Mix(vertexIndex * 2654435761u + objectIndex * 40503u + 1u) >> 8;
    return static_cast<float>(bits) * (kHeightRange / 16777216.0f) - kHeightRange / 2;
}

void AddVertices(fixtures::Mesh& mesh, std::uint32_t objectIndex, std::uint32_t vertexCount, GridSize grid)
{
    const float objectOffset = static_cast<float>(objectIndex) * kObjectSpacing;
    const auto halfWidth = static_cast<std::int32_t>(grid.width / 2);
    const auto halfRows = static_cast<std::int32_t>(grid.rows / 2);
    const float lastColumn = static_cast<float>(grid.width - 1);
    const float lastRow = static_cast<float>(std::max<std::uint32_t>(grid.rows, 2) - 1);
    mesh.vertices.reserve(vertexCount);
    mesh.mapping.reserve(vertexCount);
    for (std::uint32_t i = 0; i < vertexCount; ++i)
    {
        const auto column = static_cast<std::int32_t>(i % grid.width);
        const auto row = static_cast<std::int32_t>(i / grid.width);
        const float x = static_cast<float>(column - halfWidth) * kGridSpacing + objectOffset;
        const float y = static_cast<float>(row - halfRows) * kGridSpacing;
        mesh.vertices.push_back({x, y, HeightAt(objectIndex, i)});
        mesh.mapping.push_back({static_cast<float>(column) / lastColumn, static_cast<float>(row) / lastRow});
    }
}

// Two triangles per grid cell whose four corners exist, row by row.
void AddFaces(fixtures::Mesh& mesh, std::uint32_t vertexCount, GridSize grid, std::uint32_t maxFaces)
{
    const std::uint32_t width = grid.width;
    for (std::uint32_t corner = 0; corner + width + 1 < vertexCount; ++corner)
    {
        if (corner % width == width - 1)
            continue; // the last column starts no cell
        const auto a = static_cast<std::uint16_t>(corner);
        const auto b = static_cast<std::uint16_t>(corner + 1);
        const auto c = static_cast<std::uint16_t>(corner + width);
        const auto d = static_cast<std::uint16_t>(corner + width + 1);
        if (mesh.faces.size() < maxFaces)
            mesh.faces.push_back({a, b, c});
        if (mesh.faces.size() < maxFaces)
            mesh.faces.push_back({b, d, c});
        if (mesh.faces.size() >= maxFaces)
            return;
    }
}

std::uint32_t FaceLimit(const BenchModelShape& shape)
{
    if (shape.maxFacesPerObject == 0)
        return kMaxCountPerObject;
    return std::min(shape.maxFacesPerObject, kMaxCountPerObject);
}
} // namespace

GridSize GridFor(std::uint32_t vertexCount)
{
    const auto side = static_cast<std::uint32_t>(std::ceil(std::sqrt(static_cast<double>(vertexCount))));
    const std::uint32_t width = std::max<std::uint32_t>(2, std::bit_ceil(side));
    return {width, (vertexCount + width - 1) / width};
}

std::uint32_t GridFaceCount(std::uint32_t vertexCount)
{
    const GridSize grid = GridFor(vertexCount);
    const std::uint32_t fullRows = vertexCount / grid.width;
    const std::uint32_t partialRow = vertexCount % grid.width;
    if (fullRows == 0)
        return 0;
    const std::uint32_t cells = (fullRows - 1) * (grid.width - 1) + (partialRow > 0 ? partialRow - 1 : 0);
    return 2 * cells;
}

fixtures::Mesh MakeGridMesh(std::uint32_t objectIndex, const BenchModelShape& shape)
{
    const std::uint32_t vertexCount = std::min(shape.verticesPerObject, kMaxCountPerObject);
    const GridSize grid = GridFor(vertexCount);
    fixtures::Mesh mesh;
    mesh.name = "Mesh" + std::to_string(objectIndex) + "_T";
    AddVertices(mesh, objectIndex, vertexCount, grid);
    AddFaces(mesh, vertexCount, grid, FaceLimit(shape));
    if (!shape.materialGroups)
        return mesh;

    fixtures::MaterialGroup group;
    group.name = "skin1t";
    group.faces.reserve(mesh.faces.size());
    for (std::size_t face = 0; face < mesh.faces.size(); ++face)
        group.faces.push_back(static_cast<std::uint16_t>(face));
    mesh.materials.push_back(std::move(group));
    return mesh;
}

std::vector<std::uint8_t> BuildBenchModel(const BenchModelShape& shape)
{
    fixtures::ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    writer.Begin(fixtures::kEditor);
    // One mesh at a time, so a large model never holds all its meshes at once.
    for (std::uint32_t i = 0; i < shape.objectCount; ++i)
        fixtures::WriteMeshBlock(writer, MakeGridMesh(i, shape));
    writer.End();
    writer.End();
    return writer.Take();
}

std::vector<fixtures::Mesh> MakeBenchMeshes(const BenchModelShape& shape)
{
    std::vector<fixtures::Mesh> meshes;
    for (std::uint32_t i = 0; i < shape.objectCount; ++i)
        meshes.push_back(MakeGridMesh(i, shape));
    return meshes;
}

std::uint64_t TotalVertices(const BenchModelShape& shape)
{
    return std::uint64_t{shape.objectCount} * std::min(shape.verticesPerObject, kMaxCountPerObject);
}

std::uint64_t TotalFaces(const BenchModelShape& shape)
{
    const std::uint32_t vertexCount = std::min(shape.verticesPerObject, kMaxCountPerObject);
    return std::uint64_t{shape.objectCount} * std::min(GridFaceCount(vertexCount), FaceLimit(shape));
}

} // namespace bench
