#include "model/chunk_parser.h"

#include <algorithm>

namespace
{
float Product(float a, float b)
{
    return static_cast<float>(static_cast<double>(a) * static_cast<double>(b));
}

float Sum(float a, float b)
{
    return static_cast<float>(static_cast<double>(a) + static_cast<double>(b));
}

float Along(float start, double t, float step)
{
    return static_cast<float>(static_cast<double>(start) + t * static_cast<double>(step));
}

// For every frame, the first keyed frame after it, or frameCount.
std::vector<std::size_t> NextKeyedFrames(const std::vector<char>& keyed)
{
    std::vector<std::size_t> next(keyed.size());
    std::size_t following = keyed.size();
    for (std::size_t j = keyed.size(); j-- > 0;)
    {
        next[j] = following;
        if (keyed[j])
            following = j;
    }
    return next;
}

// Sums the keys into running totals, puts frames between two keys on the
// straight line from the earlier total towards the later key, and multiplies
// the frames after the last key by the last total.
void FillRotations(std::vector<ModelVertex>& rotations, const std::vector<char>& keyed)
{
    const std::vector<std::size_t> next = NextKeyedFrames(keyed);
    const std::size_t frameCount = rotations.size();
    std::size_t previous = 0;
    for (std::size_t j = 1; j < frameCount; ++j)
    {
        ModelVertex& slot = rotations[j];
        const ModelVertex start = rotations[previous];
        if (keyed[j])
        {
            slot.x = Sum(start.x, slot.x);
            slot.y = Sum(start.y, slot.y);
            slot.z = Sum(start.z, slot.z);
            previous = j;
            continue;
        }
        const std::size_t later = next[j];
        if (later == frameCount)
        {
            for (std::size_t k = j; k < frameCount; ++k)
            {
                rotations[k].x = Product(start.x, rotations[k].x);
                rotations[k].y = Product(start.y, rotations[k].y);
                rotations[k].z = Product(start.z, rotations[k].z);
            }
            return;
        }
        const double t = static_cast<double>(j - previous) / static_cast<double>(later - previous);
        slot.x = Along(start.x, t, rotations[later].x);
        slot.y = Along(start.y, t, rotations[later].y);
        slot.z = Along(start.z, t, rotations[later].z);
    }
}
} // namespace

int C3dsParser::ReadRotationTrack(CByteCursor chunk)
{
    ModelObject* object = NodeObject();
    if (!object)
        return 1;
    std::vector<ModelVertex>& rotations = object->rotationKeys;
    // The fill-in touches every frame of the segment; the budget is set with
    // the key slots (PlanKeySlots).
    m_nRotationWork += rotations.size();
    if (m_nRotationWork > m_nRotationBudget)
    {
        if (m_model.m_keyTracks == KeyTracks::Read)
            return RefuseLongAnimation();
        DropKeys();
        return 1;
    }

    std::vector<char> keyed(rotations.size(), 0);
    using Key = ByteRecord<record_size::kRotationKey>;
    const bool read = ForEachTrackKey<record_size::kRotationKey>(chunk, rotations.size(), [&](std::uint16_t frame, Key key) {
        constexpr std::size_t kAngle = record_size::kKeyHeader;
        keyed[frame] = 1;
        const float angle = frame == 0 ? 0.0f : LoadFloat<kAngle>(key);
        rotations[frame].x = Product(angle, LoadFloat<kAngle + 4>(key));
        rotations[frame].y = Product(angle, LoadFloat<kAngle + 8>(key));
        rotations[frame].z = Product(angle, LoadFloat<kAngle + 12>(key));
    });
    if (!read)
        return 1;
    keyed[0] = 1;
    FillRotations(rotations, keyed);
    return 1;
}
