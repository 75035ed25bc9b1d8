#include "model/chunk_parser.h"
#include "model/face_attributes.h"
#include "platform/memory_advice.h"

#include <algorithm>

namespace
{
const char* const kPointCountsDiffer = "Error: Object point counts do not match";
} // namespace

int C3dsParser::ReadObjectBlock(CByteCursor chunk, int depth)
{
    // The name is stored cut to 12 characters, but the nested chunks always
    // begin after its terminator, however long it is.
    std::string_view name;
    const bool terminated = chunk.ReadString(name);
    const std::size_t stored = std::min(name.size(), sizeof m_szName - 1);
    name.copy(m_szName, stored);
    m_szName[stored] = '\0';
    if (m_szName[0] == '!')
        return 1;
    if (!terminated)
        return 1; // no terminator inside the chunk: nothing nested
    m_bNameCut = name.size() > sizeof m_szName - 1;
    return WalkLevel(chunk, depth + 1);
}

int C3dsParser::ReadTriangleMesh(CByteCursor chunk, int depth)
{
    if (!m_bReading)
    {
        ++m_nObjectsCounted;
        m_bSizingMesh = true;
        WalkLevel(chunk, depth + 1);
        m_bSizingMesh = false;
        return 1;
    }
    // A mesh nested where only the reading pass looks was not counted and has
    // no record: skip it rather than write past the object array.
    if (m_nCurrent + 1 >= m_model.m_nObjects)
        return 1;
    ++m_nCurrent;

    m_model.ShowObjectProgress(static_cast<std::size_t>(m_nCurrent), static_cast<std::size_t>(m_model.m_nObjects));

    const auto index = static_cast<std::size_t>(m_nCurrent);
    ModelObject& object = m_model.m_pObjects[index];
    object.name = m_szName;
    m_model.m_objectNameCut[index] = m_bNameCut;
    (m_bNameCut ? m_firstCutObjectByName : m_firstObjectByName).try_emplace(object.name, m_nCurrent);
    // Without key arrays, no track finds an object to write to (NodeObject).
    if (m_bKeys)
    {
        const std::size_t slots = m_model.m_nFrames > 0 ? static_cast<std::size_t>(m_model.m_nFrames) : 0;
        object.positionKeys.assign(slots, ModelVertex{0, 0, 0});
        object.rotationKeys.assign(slots, ModelVertex{0, 0, 0});
        object.scaleKeys.assign(slots, ModelVertex{1, 1, 1});
    }
    return WalkLevel(chunk, depth + 1);
}

// In the counting pass: what a vertex or face list will take once read, as
// far as its records lie inside the chunk (the reading pass refuses more).
void C3dsParser::SizeList(std::uint16_t id, CByteCursor chunk)
{
    std::uint32_t count = 0;
    if ((id != kVertexList && id != kFaceList) || !chunk.ReadWord(count))
        return;
    const std::uint64_t recordSize = id == kVertexList ? record_size::kVertex : record_size::kFace;
    const std::uint64_t records = std::min<std::uint64_t>(count, chunk.Left() / recordSize);
    // A vertex has its record and its normal; a face its record. Each list
    // may also lose a little to alignment.
    m_nMeshBytes += records * (id == kVertexList ? 2 * sizeof(ModelVertex) : sizeof(ModelFace)) + kListAlignmentSlack;
}

ModelObject* C3dsParser::CurrentObject()
{
    if (m_nCurrent < 0 || m_nCurrent >= m_model.m_nObjects)
        return nullptr;
    return &m_model.m_pObjects[static_cast<std::size_t>(m_nCurrent)];
}

// Reads the count that opens a vertex, face or mapping list and takes its
// records, which must lie inside the chunk before anything is made of them.
template <std::size_t Size>
int C3dsParser::OpenList(CByteCursor& chunk, CRecordList<Size>& records)
{
    std::uint32_t count = 0;
    if (chunk.ReadWord(count) && chunk.TakeRecords(count, records))
        return 1;
    return Fail(ErrorKind::Damaged, kTruncatedFile);
}

int C3dsParser::ReadVertexList(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    CRecordList<record_size::kVertex> records;
    if (!OpenList(chunk, records))
        return 0;
    const auto count = static_cast<std::uint32_t>(records.Count());
    if (m_nPointCount == -1)
        m_nPointCount = static_cast<int>(count);
    else if (m_model.m_nMode == LoadMode::MorphSequence && static_cast<int>(count) != m_nPointCount)
        return Fail(ErrorKind::Damaged, kPointCountsDiffer);
    object->vertexCount = count;
    ReserveFresh(object->vertices, count);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const ByteRecord<record_size::kVertex> vertex = records[i];
        object->vertices.push_back({LoadFloat<0>(vertex), LoadFloat<4>(vertex), LoadFloat<8>(vertex), 0.0f, 0.0f});
    }
    return 1;
}

int C3dsParser::ReadFaceList(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    CRecordList<record_size::kFace> records;
    if (!OpenList(chunk, records))
        return 0;
    const auto count = static_cast<std::uint32_t>(records.Count());
    object->faceCount = count;
    // Appended rather than filled in place: the records are large, and each
    // byte of them is then written once.
    ReserveFresh(object->faces, count);
    for (std::uint32_t i = 0; i < count; ++i) // the flags word is dropped
    {
        const ByteRecord<record_size::kFace> record = records[i];
        ModelFace& face = object->faces.emplace_back();
        face.index[0] = LoadWord<0>(record);
        face.index[1] = LoadWord<2>(record);
        face.index[2] = LoadWord<4>(record);
    }

    // Nested chunks follow the faces; only material groups are read.
    while (const auto header = chunk.TakeRecord<record_size::kChunkHeader>())
    {
        const std::uint32_t subLength = LoadDword<2>(*header);
        if (subLength < record_size::kChunkHeader)
            break; // the scan must move forward
        CByteCursor sub = chunk.Split(subLength - record_size::kChunkHeader);
        if (LoadWord<0>(*header) == kMaterialGroup)
            ReadMaterialGroup(sub);
    }
    return 1;
}

int C3dsParser::ReadMapping(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    CRecordList<record_size::kMapping> records;
    if (!OpenList(chunk, records))
        return 0;
    // Only vertices that exist take coordinates.
    const std::size_t mapped = std::min(records.Count(), object->vertices.size());
    for (std::size_t i = 0; i < mapped; ++i)
    {
        const ByteRecord<record_size::kMapping> mapping = records[i];
        object->vertices[i].u = LoadFloat<0>(mapping);
        object->vertices[i].v = static_cast<float>(1.0 - static_cast<double>(LoadFloat<4>(mapping)));
    }
    return 1;
}

void C3dsParser::ReadMaterialGroup(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return;
    std::string_view name;
    ModelFace attributes;
    if (!chunk.ReadString(name) || !DecodeFaceAttributes(name, attributes))
        return;
    std::uint32_t count = 0;
    if (!chunk.ReadWord(count))
        return;
    // Only the face numbers that really lie inside the chunk.
    CRecordList<2> faces;
    chunk.TakeRecords(std::min<std::uint64_t>(count, chunk.Left() / 2), faces);
    for (std::size_t i = 0; i < faces.Count(); ++i)
    {
        const std::uint16_t index = LoadWord<0>(faces[i]);
        if (index < object->faces.size()) // an index past the list names no face
            CopyFaceAttributes(attributes, object->faces[index]);
    }
}

void C3dsParser::ReadLocalAxes(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return;
    const auto axes = chunk.TakeRecord<record_size::kLocalAxes>();
    if (!axes)
        return;
    object->pivot.x = LoadFloat<record_size::kAxesBeforeOrigin>(*axes);
    object->pivot.y = LoadFloat<record_size::kAxesBeforeOrigin + 4>(*axes);
    object->pivot.z = LoadFloat<record_size::kAxesBeforeOrigin + 8>(*axes);
}
