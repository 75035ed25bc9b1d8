#include "geometry/winding.h"

#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace
{
using PositionBits = std::array<std::uint32_t, 3>;
// A directed edge: the bits of its start and end positions.
using EdgeKey = std::array<std::uint32_t, 6>;

struct EdgeHash
{
    std::size_t operator()(const EdgeKey& key) const
    {
        std::uint64_t hash = 14695981039346656037ull;
        for (const std::uint32_t word : key)
            hash = (hash ^ word) * 1099511628211ull;
        return static_cast<std::size_t>(hash);
    }
};

// Adding zero turns -0 into +0, so both zeros name the same position.
PositionBits Bits(const ModelVertex& vertex)
{
    return {std::bit_cast<std::uint32_t>(vertex.x + 0.0f), std::bit_cast<std::uint32_t>(vertex.y + 0.0f),
            std::bit_cast<std::uint32_t>(vertex.z + 0.0f)};
}

EdgeKey Edge(const PositionBits& from, const PositionBits& to)
{
    return {from[0], from[1], from[2], to[0], to[1], to[2]};
}

bool IsFinite(const ModelVertex& vertex)
{
    return std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z);
}

// Six times the signed volume of the tetrahedron from the origin to the face.
double TripleProduct(const ModelVertex& a, const ModelVertex& b, const ModelVertex& c)
{
    const double crossX = double{b.y} * c.z - double{b.z} * c.y;
    const double crossY = double{b.z} * c.x - double{b.x} * c.z;
    const double crossZ = double{b.x} * c.y - double{b.y} * c.x;
    return a.x * crossX + a.y * crossY + a.z * crossZ;
}
} // namespace

StoredWinding FindStoredWinding(const ModelObject& object)
{
    assert(IsWellFormed(object));
    std::unordered_map<EdgeKey, int, EdgeHash> edgeUses;
    edgeUses.reserve(object.faces.size() * 3);
    double volume = 0.0;
    for (const ModelFace& face : object.faces)
    {
        const ModelVertex* corner[3];
        PositionBits bits[3];
        for (int i = 0; i < 3; ++i)
        {
            corner[i] = &object.vertices[static_cast<std::size_t>(face.index[i])];
            if (!IsFinite(*corner[i]))
                return StoredWinding::Undecided;
            bits[i] = Bits(*corner[i]);
        }
        if (bits[0] == bits[1] || bits[1] == bits[2] || bits[2] == bits[0])
            continue;
        for (int i = 0; i < 3; ++i)
            ++edgeUses[Edge(bits[i], bits[(i + 1) % 3])];
        volume += TripleProduct(*corner[0], *corner[1], *corner[2]);
    }
    // Each directed edge once, and its reverse once: every edge is shared by
    // exactly two faces that agree on which side is out.
    for (const auto& [edge, uses] : edgeUses)
    {
        const auto reverse = edgeUses.find({edge[3], edge[4], edge[5], edge[0], edge[1], edge[2]});
        if (uses != 1 || reverse == edgeUses.end() || reverse->second != 1)
            return StoredWinding::Undecided;
    }
    if (volume == 0.0) // no faces, or none that bound anything
        return StoredWinding::Undecided;
    return volume > 0.0 ? StoredWinding::Outward : StoredWinding::Inward;
}
