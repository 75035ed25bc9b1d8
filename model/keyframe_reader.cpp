#include "model/chunk_parser.h"

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

void C3dsParser::ReadSegment(CByteCursor chunk)
{
    // The counting pass fixes the segment before any key array is sized; a
    // segment met only by the reading pass (nested where the counting pass
    // does not look) must not change it, or arrays would differ in length.
    if (m_bReading)
        return;
    const auto segment = chunk.TakeRecord<8>();
    if (!segment)
        return;
    const std::int64_t frames = std::int64_t{LoadDword<4>(*segment)} - std::int64_t{LoadDword<0>(*segment)} + 1;
    // A segment that ends before it starts animates nothing: one frame.
    if (frames <= 0)
        m_model.m_nFrames = 1;
    else
        m_model.m_nFrames = static_cast<int>(std::min<std::int64_t>(frames, std::numeric_limits<int>::max()));
}

// The arrays a load with key tracks gives every object take three 20-byte
// records per frame, at most kMaxKeySlots of them.
int C3dsParser::PlanKeySlots()
{
    m_bKeys = m_model.m_keyTracks != KeyTracks::Skip;
    if (!m_bKeys)
        return 1;
    const std::uint64_t slots = std::uint64_t(m_model.m_nObjects) * std::uint64_t(m_model.m_nFrames);
    if (slots > kMaxKeySlots)
    {
        if (m_model.m_keyTracks == KeyTracks::Read)
            return RefuseLongAnimation();
        m_bKeys = false;
        return 1;
    }
    // Each rotation track's fill-in touches every frame of the segment. Real
    // files have one track a node; a few per object over the whole segment
    // (many more for short segments) are allowed, so the work stays within a
    // few times the slots even when a file repeats its tracks.
    m_nRotationBudget = 4 * std::max(slots, std::uint64_t{1} << 16);
    return 1;
}

// The one message for keyframe data that would take too much to read.
int C3dsParser::RefuseLongAnimation()
{
    const int objects = m_model.m_nObjects;
    return Fail(ErrorKind::TooLarge, "Error reading input file, its keyframe animation is too long: " +
                                         std::to_string(m_model.m_nFrames) + " frames of " + std::to_string(objects) +
                                         (objects == 1 ? " object." : " objects."));
}

// Gives up the keys half way through the reading pass: the objects read so
// far lose their arrays, and those still to come get none, so that no track
// finds an object to write to and the model is as if the keys were skipped.
void C3dsParser::DropKeys()
{
    m_bKeys = false;
    for (ModelObject& object : m_model.m_pObjects)
    {
        std::vector<ModelVertex>().swap(object.positionKeys);
        std::vector<ModelVertex>().swap(object.rotationKeys);
        std::vector<ModelVertex>().swap(object.scaleKeys);
    }
}

void C3dsParser::ReadNodeHeader(CByteCursor chunk)
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
    if (const auto whole = m_firstObjectByName.find(nodeName); whole != m_firstObjectByName.end())
        match = whole->second;
    if (nodeName.size() > sizeof m_szName - 1)
    {
        const auto cut = m_firstCutObjectByName.find(nodeName.substr(0, sizeof m_szName - 1));
        if (cut != m_firstCutObjectByName.end() && (match < 0 || cut->second < match))
            match = cut->second;
    }
    if (match >= 0)
        m_nNodeObject = match;
}

// The object the current node animates, when it has key arrays to write.
ModelObject* C3dsParser::NodeObject()
{
    if (m_nNodeObject < 0 || m_nNodeObject >= m_model.m_nObjects || m_nNodeObject > m_nCurrent)
        return nullptr;
    ModelObject* object = &m_model.m_pObjects[static_cast<std::size_t>(m_nNodeObject)];
    return object->positionKeys.empty() ? nullptr : object;
}

int C3dsParser::ReadPositionOrScaleTrack(CByteCursor chunk, bool scale)
{
    ModelObject* object = NodeObject();
    if (!object)
        return 1;
    std::vector<ModelVertex>& keys = scale ? object->scaleKeys : object->positionKeys;
    const ModelVertex neutral = scale ? ModelVertex{1, 1, 1} : ModelVertex{0, 0, 0};
    ModelVertex base = neutral;
    using Key = ByteRecord<record_size::kVectorKey>;
    ForEachTrackKey<record_size::kVectorKey>(chunk, keys.size(), [&](std::uint16_t frame, Key key) {
        constexpr std::size_t kValues = record_size::kKeyHeader;
        const ModelVertex value{LoadFloat<kValues>(key), LoadFloat<kValues + 4>(key), LoadFloat<kValues + 8>(key)};
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
