#include "model/face_attributes.h"
#include "model/model_3ds.h"
#include "model/read_operations.h"

#include <algorithm>
#include <limits>

namespace
{
constexpr std::uint64_t kTrackHeaderSize = 14; // 10 unread bytes, the key count, 2 unread bytes
constexpr std::uint64_t kVectorKeySize = 18;
constexpr std::uint64_t kKeyValueOffset = 6;

// How many keys of keySize bytes really lie inside the track chunk, whatever
// its count field says.
std::uint32_t KeysInChunk(std::uint32_t count, std::uint64_t dataStart, std::uint64_t chunkEnd, std::uint64_t keySize)
{
    const std::uint64_t firstKey = dataStart + kTrackHeaderSize;
    if (chunkEnd <= firstKey)
        return 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, (chunkEnd - firstKey) / keySize));
}

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

void CModel3DS::ReadSegment(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd)
{
    // The counting pass fixes the segment before any key array is sized; a
    // segment met only by the reading pass (nested where the counting pass
    // does not look) must not change it, or arrays would differ in length.
    if (m_bReading)
        return;
    file->Seek(dataStart);
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    if (!FitsInChunk(file, chunkEnd, 2, 4) || !ReadDword(file, first) || !ReadDword(file, last))
        return;
    const std::int64_t frames = std::int64_t{last} - std::int64_t{first} + 1;
    // A segment that ends before it starts animates nothing: one frame.
    if (frames <= 0)
        m_nFrames = 1;
    else
        m_nFrames = static_cast<int>(std::min<std::int64_t>(frames, std::numeric_limits<int>::max()));
}

// Key arrays take three records per frame and object; a segment far longer
// than anything the file's size can describe is refused rather than allocated.
int CModel3DS::CheckKeySlots(std::uint64_t fileLength)
{
    const std::uint64_t slots = std::uint64_t(std::max(m_nObjects, 1)) * std::uint64_t(m_nFrames);
    if (slots <= (std::uint64_t{1} << 16) + 8 * fileLength)
        return 1;
    ShowMessage("Error reading input file, its keyframe segment is too long.");
    return 0;
}

void CModel3DS::ReadMaterialGroup(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return;
    file->Seek(dataStart);
    std::string name;
    FaceAttributes attributes;
    if (!ReadString(file, chunkEnd, name) || !DecodeFaceAttributes(name, attributes))
        return;
    std::uint32_t count = 0;
    if (!FitsInChunk(file, chunkEnd, 1, 2) || !ReadWord(file, count))
        return;
    const std::uint64_t available = (chunkEnd - file->GetPosition()) / 2;
    const std::uint8_t* bytes = file->Data() + file->GetPosition();
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(count, available); ++i)
    {
        const std::uint16_t face = LoadWord(bytes + 2 * i);
        if (face < object->faces.size()) // an index past the list names no face
            ApplyFaceAttributes(attributes, object->faces[face]);
    }
}

void CModel3DS::ReadLocalAxes(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return;
    file->Seek(dataStart + 36);
    if (!FitsInChunk(file, chunkEnd, 3, 4))
        return;
    ReadFloat(file, object->pivot.x);
    ReadFloat(file, object->pivot.y);
    ReadFloat(file, object->pivot.z);
}

void CModel3DS::ReadNodeHeader(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd)
{
    file->Seek(dataStart);
    std::string nodeName;
    const bool terminated = ReadString(file, chunkEnd, nodeName);
    m_nNodeObject = 0;
    if (!terminated)
        return; // a name cut off by the chunk's end matches nothing
    // The lowest index among the objects read so far whose name equals the
    // node's, or whose cut name begins a longer node name. Looked up rather
    // than scanned: a file of many objects and many nodes must not cost
    // their product.
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
ModelObject* CModel3DS::NodeObject()
{
    if (m_nNodeObject < 0 || m_nNodeObject >= m_nObjects || m_nNodeObject > m_nCurrent)
        return nullptr;
    ModelObject* object = &m_pObjects[static_cast<std::size_t>(m_nNodeObject)];
    return object->positionKeys.empty() ? nullptr : object;
}

int CModel3DS::ReadPositionOrScaleTrack(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd, bool scale)
{
    ModelObject* object = NodeObject();
    if (!object)
        return 1;
    std::vector<ModelVertex>& keys = scale ? object->scaleKeys : object->positionKeys;
    const ModelVertex neutral = scale ? ModelVertex{1, 1, 1} : ModelVertex{0, 0, 0};
    file->Seek(dataStart + 10);
    std::uint32_t count = 0;
    if (!FitsInChunk(file, chunkEnd, 1, 2) || !ReadWord(file, count))
        return 1;
    count = KeysInChunk(count, dataStart, chunkEnd, kVectorKeySize);

    ModelVertex base = neutral;
    const std::uint8_t* key = file->Data() + dataStart + kTrackHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i, key += kVectorKeySize)
    {
        const std::uint16_t frame = LoadWord(key);
        if (frame >= keys.size())
            continue; // no slot for a key outside the segment
        const ModelVertex value{LoadFloat(key + kKeyValueOffset), LoadFloat(key + kKeyValueOffset + 4),
                                LoadFloat(key + kKeyValueOffset + 8)};
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
    }
    return 1;
}
