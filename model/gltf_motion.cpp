#include "model/gltf_motion.h"

#include <algorithm>
#include <cmath>

namespace
{
// Adds factor * value to a sum that so far holds `terms` terms, leaving the
// term out when its factor is zero, so that zero factors cannot turn a
// negative zero positive or an infinity into NaN.
void AddTerm(double& sum, int& terms, double factor, double value)
{
    if (factor == 0.0)
        return;
    const double term = factor == 1.0 ? value : factor * value;
    sum = terms == 0 ? term : sum + term;
    ++terms;
}

void AddOffset(double& sum, int& terms, double offset)
{
    if (offset == 0.0)
        return;
    sum = terms == 0 ? offset : sum + offset;
    ++terms;
}

void Normalise(std::array<double, 4>& rotation)
{
    const double length = std::sqrt(rotation[0] * rotation[0] + rotation[1] * rotation[1] +
                                    rotation[2] * rotation[2] + rotation[3] * rotation[3]);
    if (length > 0.0 && length != 1.0 && std::isfinite(length))
        for (double& component : rotation)
            component /= length;
}

// Spherical linear interpolation along the shorter arc; nearly equal keys
// are blended linearly, where the arc's sine would divide by almost zero.
std::array<double, 4> Slerp(std::array<double, 4> from, std::array<double, 4> to, double s)
{
    double cosine = from[0] * to[0] + from[1] * to[1] + from[2] * to[2] + from[3] * to[3];
    if (cosine < 0.0)
    {
        cosine = -cosine;
        for (double& component : to)
            component = -component;
    }
    double fromWeight = 1.0 - s;
    double toWeight = s;
    if (cosine < 0.9995)
    {
        const double angle = std::acos(std::min(cosine, 1.0));
        const double sine = std::sin(angle);
        fromWeight = std::sin((1.0 - s) * angle) / sine;
        toWeight = std::sin(s * angle) / sine;
    }
    std::array<double, 4> result;
    for (std::size_t i = 0; i < 4; ++i)
        result[i] = fromWeight * from[i] + toWeight * to[i];
    Normalise(result);
    return result;
}

// The value group `group` (0 in-tangent, 1 value, 2 out-tangent for a cubic
// spline; 0 otherwise) of key `key`, component `component`.
double KeyValue(const GltfTrack& track, std::size_t key, int group, int component)
{
    const auto components = static_cast<std::size_t>(TrackComponents(track.path));
    const std::size_t groups = track.interpolation == GltfInterpolation::CubicSpline ? 3 : 1;
    return track.values[(key * groups + static_cast<std::size_t>(group)) * components +
                        static_cast<std::size_t>(component)];
}

void KeyValues(const GltfTrack& track, std::size_t key, double* out)
{
    const int group = track.interpolation == GltfInterpolation::CubicSpline ? 1 : 0;
    for (int component = 0; component < TrackComponents(track.path); ++component)
        out[component] = KeyValue(track, key, group, component);
}

GltfTransform PoseAt(const GltfNodeMotion& node, const std::vector<GltfTrack>& tracks, double time)
{
    GltfTransform pose = node.rest;
    if (const int track = node.tracks[static_cast<std::size_t>(GltfPath::Translation)]; track >= 0)
        SampleTrack(tracks[static_cast<std::size_t>(track)], time, pose.translation.data());
    if (const int track = node.tracks[static_cast<std::size_t>(GltfPath::Rotation)]; track >= 0)
        SampleTrack(tracks[static_cast<std::size_t>(track)], time, pose.rotation.data());
    if (const int track = node.tracks[static_cast<std::size_t>(GltfPath::Scale)]; track >= 0)
        SampleTrack(tracks[static_cast<std::size_t>(track)], time, pose.scale.data());
    return pose;
}
} // namespace

GltfMatrix TransformMatrix(const GltfTransform& transform)
{
    if (transform.hasMatrix)
        return transform.matrix;
    std::array<double, 4> q = transform.rotation;
    Normalise(q);
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const double turn[3][3] = {
        {1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
        {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
        {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)},
    };
    GltfMatrix matrix;
    for (int row = 0; row < 3; ++row)
    {
        for (int column = 0; column < 3; ++column)
        {
            const double factor = turn[row][column];
            const double scale = transform.scale[static_cast<std::size_t>(column)];
            matrix(row, column) = factor == 0.0 || scale == 1.0 ? factor : factor * scale;
        }
        matrix(row, 3) = transform.translation[static_cast<std::size_t>(row)];
    }
    return matrix;
}

GltfMatrix ComposeMatrices(const GltfMatrix& parent, const GltfMatrix& child)
{
    GltfMatrix out;
    for (int row = 0; row < 3; ++row)
    {
        for (int column = 0; column < 4; ++column)
        {
            double sum = 0.0;
            int terms = 0;
            for (int k = 0; k < 3; ++k)
                AddTerm(sum, terms, parent(row, k), child(k, column));
            if (column == 3)
                AddOffset(sum, terms, parent(row, 3));
            out(row, column) = terms == 0 ? 0.0 : sum;
        }
    }
    return out;
}

ModelVertex PlacePoint(const GltfMatrix& world, const std::array<float, 3>& point)
{
    double placed[3];
    for (int row = 0; row < 3; ++row)
    {
        double sum = 0.0;
        int terms = 0;
        for (int column = 0; column < 3; ++column)
            AddTerm(sum, terms, world(row, column), point[static_cast<std::size_t>(column)]);
        AddOffset(sum, terms, world(row, 3));
        placed[row] = terms == 0 ? 0.0 : sum;
    }
    return ModelVertex{static_cast<float>(placed[0]), static_cast<float>(-placed[2]), static_cast<float>(placed[1]),
                       0.0f, 0.0f};
}

int TrackComponents(GltfPath path)
{
    return path == GltfPath::Rotation ? 4 : 3;
}

void SampleTrack(const GltfTrack& track, double time, double* out)
{
    const std::size_t keys = track.times.size();
    const int components = TrackComponents(track.path);
    const auto after = std::upper_bound(track.times.begin(), track.times.end(), time,
                                        [](double t, float key) { return t < double{key}; });
    if (after == track.times.begin())
        return KeyValues(track, 0, out);
    if (after == track.times.end())
        return KeyValues(track, keys - 1, out);
    const auto next = static_cast<std::size_t>(after - track.times.begin());
    const std::size_t key = next - 1;
    if (track.interpolation == GltfInterpolation::Step)
        return KeyValues(track, key, out);
    // The key's time is at most `time`, the next one's above it: the span is
    // positive.
    const double span = double{track.times[next]} - double{track.times[key]};
    const double s = (time - double{track.times[key]}) / span;
    if (track.interpolation == GltfInterpolation::Linear)
    {
        std::array<double, 4> from{}, to{};
        KeyValues(track, key, from.data());
        KeyValues(track, next, to.data());
        if (track.path == GltfPath::Rotation)
        {
            const std::array<double, 4> turned = Slerp(from, to, s);
            std::copy(turned.begin(), turned.end(), out);
            return;
        }
        for (int i = 0; i < components; ++i)
            out[i] = from[static_cast<std::size_t>(i)] +
                     s * (to[static_cast<std::size_t>(i)] - from[static_cast<std::size_t>(i)]);
        return;
    }
    const double s2 = s * s, s3 = s2 * s;
    for (int i = 0; i < components; ++i)
    {
        const double value = KeyValue(track, key, 1, i);
        const double outTangent = KeyValue(track, key, 2, i);
        const double nextValue = KeyValue(track, next, 1, i);
        const double inTangent = KeyValue(track, next, 0, i);
        out[i] = (2 * s3 - 3 * s2 + 1) * value + (s3 - 2 * s2 + s) * span * outTangent +
                 (-2 * s3 + 3 * s2) * nextValue + (s3 - s2) * span * inTangent;
    }
}

void GltfMotion::WorldMatrices(double time, std::vector<GltfMatrix>& out) const
{
    out.resize(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i)
    {
        const GltfNodeMotion& node = nodes[i];
        const GltfMatrix local = TransformMatrix(PoseAt(node, tracks, time));
        out[i] = node.parent < 0 ? local : ComposeMatrices(out[static_cast<std::size_t>(node.parent)], local);
    }
}

void GltfMotion::RestMatrices(std::vector<GltfMatrix>& out) const
{
    out.resize(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i)
    {
        const GltfNodeMotion& node = nodes[i];
        const GltfMatrix local = TransformMatrix(node.rest);
        out[i] = node.parent < 0 ? local : ComposeMatrices(out[static_cast<std::size_t>(node.parent)], local);
    }
}

bool GltfMotion::Moves(int node) const
{
    const auto changes = [](const GltfTrack& track) {
        const int group = track.interpolation == GltfInterpolation::CubicSpline ? 1 : 0;
        for (std::size_t key = 1; key < track.times.size(); ++key)
            for (int c = 0; c < TrackComponents(track.path); ++c)
            {
                const double value = KeyValue(track, key, group, c), first = KeyValue(track, 0, group, c);
                if (value != first && !(std::isnan(value) && std::isnan(first)))
                    return true;
            }
        return false;
    };
    // Parents come before their children: the walk up always ends.
    for (int at = node; at >= 0; at = nodes[static_cast<std::size_t>(at)].parent)
        for (const int track : nodes[static_cast<std::size_t>(at)].tracks)
            if (track >= 0 && changes(tracks[static_cast<std::size_t>(track)]))
                return true;
    return false;
}

double FramesFor(double endTime)
{
    if (!(endTime > 0.0))
        return 1.0;
    return std::ceil(endTime * kFramesPerSecond - 0.001) + 1.0;
}
