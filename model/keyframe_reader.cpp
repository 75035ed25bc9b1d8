#include "model/load_state.h"
#include "model/model_3ds.h"

#include <algorithm>
#include <limits>
#include <string>

namespace
{
float Difference(float value, float base)
{
    return static_cast<float>(static_cast<double>(value) - static_cast<double>(base));
}

float Ratio(float value, float base)
{
    return static_cast<float>(static_cast<double>(value) / static_cast<double>(base));
}

// Key slots keep their u and v untouched.
void SetVector(ModelVertex& slot, float x, float y, float z)
{
    slot.x = x;
    slot.y = y;
    slot.z = z;
}
} // namespace

void CModel3DS::ReadSegment(CByteCursor chunk)
{
    // The counting pass fixes the segment before any key array is sized; a
    // segment met only by the reading pass (nested where the counting pass
    // does not look) must not change it, or arrays would differ in length.
    if (m_bReading)
        return;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    if (!chunk.Fits(2, 4) || !chunk.ReadDword(first) || !chunk.ReadDword(last))
        return;
    const std::int64_t frames = std::int64_t{last} - std::int64_t{first} + 1;
    // A segment that ends before it starts animates nothing: one frame.
    if (frames <= 0)
        m_nFrames = 1;
    else
        m_nFrames = static_cast<int>(std::min<std::int64_t>(frames, std::numeric_limits<int>::max()));
}

// The arrays a load with key tracks gives every object take three 20-byte
// records per frame. The longest animations we mean to place, 100 objects
// over 40,000 frames, need 4,000,000 slots; 2^22 leaves some room above that
// and keeps the arrays below 260 MB, however small the file that claims them.
int CModel3DS::CheckKeySlots()
{
    constexpr std::uint64_t kMaxKeySlots = std::uint64_t{1} << 22;
    const std::uint64_t slots = std::uint64_t(m_nObjects) * std::uint64_t(m_nFrames);
    if (slots > kMaxKeySlots)
        return RefuseLongAnimation();
    // Each rotation track's fill-in touches every frame of the segment. Real
    // files have one track a node; a few per object over the whole segment
    // (many more for short segments) are allowed, so the work stays within a
    // few times the slots even when a file repeats its tracks.
    m_pLoad->rotationBudget = 4 * std::max(slots, std::uint64_t{1} << 16);
    return 1;
}

// The one message for keyframe data that would take too much to read.
int CModel3DS::RefuseLongAnimation()
{
    ShowError(ErrorKind::TooLarge, "Error reading input file, its keyframe animation is too long: " + std::to_string(m_nFrames) +
                " frames of " + std::to_string(m_nObjects) + (m_nObjects == 1 ? " object." : " objects."));
    return 0;
}

void CModel3DS::ReadNodeHeader(CByteCursor chunk)
{
    std::string_view name;
    const bool terminated = chunk.ReadString(name);
    m_nNodeObject = 0;
    if (!terminated)
        return; // a name cut off by the chunk's end matches nothing
    // The lowest index among the objects read so far whose name equals the
    // node's, or whose cut name begins a longer node name. Looked up rather
    // than scanned: a file of many objects and many nodes must not cost
    // their product.
    const std::string nodeName(name);
    int match = -1;
    if (const auto whole = m_pLoad->firstObjectByName.find(nodeName); whole != m_pLoad->firstObjectByName.end())
        match = whole->second;
    if (nodeName.size() > sizeof m_szName - 1)
    {
        const auto cut = m_pLoad->firstCutObjectByName.find(nodeName.substr(0, sizeof m_szName - 1));
        if (cut != m_pLoad->firstCutObjectByName.end() && (match < 0 || cut->second < match))
            match = cut->second;
    }
    if (match >= 0)
        m_nNodeObject = match;
}

// The object the current node animates, when it has key arrays to write.
ModelObject* CModel3DS::NodeObject()
{
    if (m_nNodeObject < 0 || m_nNodeObject >= m_nObjects || m_nNodeObject > m_nCurrent)
        return nullptr;
    ModelObject* object = &m_pObjects[static_cast<std::size_t>(m_nNodeObject)];
    return object->positionKeys.empty() ? nullptr : object;
}

int CModel3DS::ReadPositionOrScaleTrack(CByteCursor chunk, bool scale)
{
    ModelObject* object = NodeObject();
    if (!object)
        return 1;
    std::vector<ModelVertex>& keys = scale ? object->scaleKeys : object->positionKeys;
    const ModelVertex neutral = scale ? ModelVertex{1, 1, 1} : ModelVertex{0, 0, 0};
    ModelVertex base = neutral;
    ForEachTrackKey(chunk, record_size::kVectorKey, keys.size(), [&](std::uint16_t frame, const std::uint8_t* values) {
        const ModelVertex value{LoadFloat(values), LoadFloat(values + 4), LoadFloat(values + 8)};
        if (frame == 0)
        {
            base = value;
            SetVector(keys[0], neutral.x, neutral.y, neutral.z);
        }
        else if (scale)
            SetVector(keys[frame], Ratio(value.x, base.x), Ratio(value.y, base.y), Ratio(value.z, base.z));
        else
            SetVector(keys[frame], Difference(value.x, base.x), Difference(value.y, base.y),
                      Difference(value.z, base.z));
    });
    return 1;
}
