#include "model/load_state.h"
#include "model/model_3ds.h"

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

int CModel3DS::ReadRotationTrack(CByteCursor chunk)
{
    ModelObject* object = NodeObject();
    if (!object)
        return 1;
    std::vector<ModelVertex>& rotations = object->rotationKeys;
    // The fill-in touches every frame of the segment; the budget is set with
    // the key slots (CheckKeySlots).
    m_pLoad->rotationWork += rotations.size();
    if (m_pLoad->rotationWork > m_pLoad->rotationBudget)
        return RefuseLongAnimation();

    std::vector<char> keyed(rotations.size(), 0);
    const bool read = ForEachTrackKey(chunk, record_size::kRotationKey, rotations.size(),
                                      [&](std::uint16_t frame, const std::uint8_t* values) {
                                          keyed[frame] = 1;
                                          const float angle = frame == 0 ? 0.0f : LoadFloat(values);
                                          rotations[frame].x = Product(angle, LoadFloat(values + 4));
                                          rotations[frame].y = Product(angle, LoadFloat(values + 8));
                                          rotations[frame].z = Product(angle, LoadFloat(values + 12));
                                      });
    if (!read)
        return 1;
    keyed[0] = 1;
    FillRotations(rotations, keyed);
    return 1;
}
