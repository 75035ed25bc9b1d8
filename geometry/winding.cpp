#include "geometry/winding.h"

#include "geometry/raster.h"
#include "platform/executor.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace
{
using PositionBits = std::array<std::uint32_t, 3>;
// An undirected edge: the bits of its two positions, the lesser first.
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

// Where an edge has been met: the first face and whether it ran from the
// lesser position, and how many faces use it.
struct EdgeUse
{
    std::uint32_t face = 0;
    bool forward = false;
    bool sameWay = false; // the second face runs along it the same way as the first
    std::uint32_t second = 0;
    int faces = 0;
};

std::uint32_t Root(std::vector<std::uint32_t>& parent, std::uint32_t face)
{
    while (parent[face] != face)
    {
        parent[face] = parent[parent[face]];
        face = parent[face];
    }
    return face;
}

// Each face's patch root, by union of faces across the edges that join them.
std::vector<std::uint32_t> JoinFaces(const ModelObject& object)
{
    const auto faceCount = static_cast<std::uint32_t>(object.faces.size());
    std::unordered_map<EdgeKey, EdgeUse, EdgeHash> edges;
    edges.reserve(object.faces.size() * 2);
    for (std::uint32_t f = 0; f < faceCount; ++f)
    {
        PositionBits bits[3];
        for (int i = 0; i < 3; ++i)
            bits[i] = Bits(object.vertices[static_cast<std::size_t>(object.faces[f].index[i])]);
        for (int i = 0; i < 3; ++i)
        {
            const PositionBits& from = bits[i];
            const PositionBits& to = bits[(i + 1) % 3];
            if (from == to)
                continue;
            const bool forward = from < to;
            const PositionBits& low = forward ? from : to;
            const PositionBits& high = forward ? to : from;
            EdgeUse& use = edges[{low[0], low[1], low[2], high[0], high[1], high[2]}];
            if (use.faces == 0)
                use = {f, forward, false, 0, 0};
            else if (use.faces == 1)
            {
                use.second = f;
                use.sameWay = use.forward == forward;
            }
            ++use.faces;
        }
    }
    std::vector<std::uint32_t> parent(faceCount);
    std::iota(parent.begin(), parent.end(), 0u);
    for (const auto& [key, use] : edges)
    {
        // Two faces wound the same way run along their shared edge in
        // opposite directions.
        if (use.faces != 2 || use.sameWay || use.face == use.second)
            continue;
        const std::uint32_t a = Root(parent, use.face), b = Root(parent, use.second);
        if (a != b)
            parent[std::max(a, b)] = std::min(a, b);
    }
    for (std::uint32_t f = 0; f < faceCount; ++f)
        parent[f] = Root(parent, f);
    return parent;
}

float Dot(ViewDirection a, ViewDirection b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

ViewDirection Cross(ViewDirection a, ViewDirection b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

ViewDirection Normalized(ViewDirection d)
{
    const float length = std::sqrt(Dot(d, d));
    return {d.x / length, d.y / length, d.z / length};
}

bool IsFinite(const ModelVertex& vertex)
{
    return std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z);
}

// The sphere around the box of the positions that faces use.
struct Bounds
{
    ViewDirection centre;
    float radius = 0.0f;
};

Bounds FindBounds(const std::vector<const ModelObject*>& objects)
{
    float low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (const ModelObject* object : objects)
        for (const ModelFace& face : object->faces)
            for (const std::int32_t index : face.index)
            {
                const ModelVertex& v = object->vertices[static_cast<std::size_t>(index)];
                if (!IsFinite(v))
                    continue;
                const float p[3] = {v.x, v.y, v.z};
                for (int i = 0; i < 3; ++i)
                {
                    low[i] = std::min(low[i], p[i]);
                    high[i] = std::max(high[i], p[i]);
                }
            }
    if (!(low[0] <= high[0]))
        return {};
    const ViewDirection half{(high[0] - low[0]) / 2, (high[1] - low[1]) / 2, (high[2] - low[2]) / 2};
    return {{low[0] + half.x, low[1] + half.y, low[2] + half.z}, std::sqrt(Dot(half, half))};
}

// The faces seen in one view: each pixel's face number (over all objects)
// with its lowest bit saying whether the front is seen.
std::vector<std::uint64_t> LookFrom(const std::vector<const ModelObject*>& objects, const Bounds& bounds,
                                    ViewDirection toViewer)
{
    const ViewDirection up = std::abs(toViewer.z) > 0.99f ? ViewDirection{0, 1, 0} : ViewDirection{0, 0, 1};
    const ViewDirection right = Normalized(Cross(up, toViewer));
    const ViewDirection screenUp = Cross(toViewer, right);
    // A little margin, so that the sphere's edge falls inside the picture.
    const float scale = bounds.radius > 0.0f && std::isfinite(bounds.radius)
                            ? 0.49f * float(kSightSize) / bounds.radius
                            : 1.0f;
    const float middle = float(kSightSize) / 2;
    CIdRaster raster(kSightSize, kSightSize);
    std::vector<RasterPoint> points;
    std::vector<std::pair<std::size_t, std::uint32_t>> firstFace; // object, first face number
    std::uint32_t faceNumber = 0;
    for (std::size_t o = 0; o < objects.size(); ++o)
    {
        const ModelObject& object = *objects[o];
        points.clear();
        points.reserve(object.vertices.size());
        for (const ModelVertex& v : object.vertices)
        {
            const ViewDirection p{v.x - bounds.centre.x, v.y - bounds.centre.y, v.z - bounds.centre.z};
            points.push_back({Dot(p, right) * scale + middle, -Dot(p, screenUp) * scale + middle, Dot(p, toViewer)});
        }
        firstFace.emplace_back(o, faceNumber);
        for (const ModelFace& face : object.faces)
        {
            const std::int32_t* index = face.index;
            raster.FillTriangle(points[static_cast<std::size_t>(index[0])], points[static_cast<std::size_t>(index[1])],
                                points[static_cast<std::size_t>(index[2])], faceNumber++);
        }
    }
    std::vector<std::uint64_t> seen;
    for (const std::uint32_t id : raster.GetIds())
    {
        if (id == CIdRaster::kNoTriangle)
            continue;
        const auto owner = std::prev(std::upper_bound(firstFace.begin(), firstFace.end(), id,
                                                      [](std::uint32_t number, const auto& entry) {
                                                          return number < entry.second;
                                                      }));
        const ModelObject& object = *objects[owner->first];
        const std::int32_t* index = object.faces[id - owner->second].index;
        const bool front = ShowsFront(object.vertices[static_cast<std::size_t>(index[0])],
                                      object.vertices[static_cast<std::size_t>(index[1])],
                                      object.vertices[static_cast<std::size_t>(index[2])], toViewer);
        seen.push_back(std::uint64_t{id} << 1 | (front ? 1u : 0u));
    }
    return seen;
}
} // namespace

bool ShowsFront(const ModelVertex& a, const ModelVertex& b, const ModelVertex& c, ViewDirection toViewer)
{
    const ViewDirection ab{b.x - a.x, b.y - a.y, b.z - a.z};
    const ViewDirection ac{c.x - a.x, c.y - a.y, c.z - a.z};
    return Dot(Cross(ab, ac), toViewer) > 0.0f;
}

std::vector<ViewDirection> SightViews()
{
    std::vector<ViewDirection> views;
    for (int x = -1; x <= 1; ++x)
        for (int y = -1; y <= 1; ++y)
            for (int z = -1; z <= 1; ++z)
                if (x != 0 || y != 0 || z != 0)
                    views.push_back(Normalized({float(x), float(y), float(z)}));
    return views;
}

StoredWinding WindingOfShare(std::optional<double> outwardShare)
{
    if (!outwardShare)
        return StoredWinding::Undecided;
    if (*outwardShare >= kOutwardShare)
        return StoredWinding::Outward;
    if (*outwardShare <= kInwardShare)
        return StoredWinding::Inward;
    return StoredWinding::TwoSided;
}

std::optional<double> OutwardShare(std::uint64_t frontSeen, std::uint64_t backSeen)
{
    if (frontSeen + backSeen == 0)
        return std::nullopt;
    return double(frontSeen) / double(frontSeen + backSeen);
}

SurfaceSight LookAtSurface(const std::vector<const ModelObject*>& objects, CExecutor& executor)
{
    SurfaceSight sight;
    // Patches by object; each face's global number leads to its patch.
    std::vector<std::uint32_t> patchOfNumber;
    for (std::size_t o = 0; o < objects.size(); ++o)
    {
        assert(IsWellFormed(*objects[o]));
        const std::vector<std::uint32_t> roots = JoinFaces(*objects[o]);
        std::vector<std::uint32_t>& patchOfFace = sight.patchOfFace.emplace_back(roots.size());
        std::vector<std::uint32_t> patchOfRoot(roots.size());
        for (std::size_t f = 0; f < roots.size(); ++f)
        {
            // A root is its patch's first face, so it is met first.
            if (roots[f] == f)
            {
                patchOfRoot[f] = static_cast<std::uint32_t>(sight.patches.size());
                sight.patches.push_back({static_cast<int>(o), 0, 0, 0});
            }
            patchOfFace[f] = patchOfRoot[roots[f]];
            ++sight.patches[patchOfFace[f]].faceCount;
            patchOfNumber.push_back(patchOfFace[f]);
        }
    }
    const Bounds bounds = FindBounds(objects);
    const std::vector<ViewDirection> views = SightViews();
    std::vector<std::vector<std::uint64_t>> seen(views.size());
    executor.ForEach(views.size(), [&](std::size_t view) { seen[view] = LookFrom(objects, bounds, views[view]); });
    for (const std::vector<std::uint64_t>& pixels : seen)
        for (const std::uint64_t pixel : pixels)
        {
            SurfacePatch& patch = sight.patches[patchOfNumber[pixel >> 1]];
            ++(pixel & 1 ? patch.frontSeen : patch.backSeen);
        }
    return sight;
}

std::uint64_t TurnInwardPatches(ModelObject& object, int objectIndex, const SurfaceSight& sight)
{
    const std::vector<std::uint32_t>& patchOfFace = sight.patchOfFace[static_cast<std::size_t>(objectIndex)];
    assert(patchOfFace.size() == object.faces.size());
    std::uint64_t turned = 0;
    for (std::size_t f = 0; f < object.faces.size(); ++f)
    {
        const SurfacePatch& patch = sight.patches[patchOfFace[f]];
        if (patch.backSeen > patch.frontSeen)
        {
            std::swap(object.faces[f].index[1], object.faces[f].index[2]);
            ++turned;
        }
    }
    return turned;
}
