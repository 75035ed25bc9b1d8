#include "model/face_attributes.h"
#include "model/load_state.h"
#include "model/model_3ds.h"
#include "platform/memory_advice.h"

#include <algorithm>
#include <cstdio>

namespace
{
const char* const kPointCountsDiffer = "Error: Object point counts do not match";
} // namespace

int CModel3DS::ReadObjectBlock(CByteCursor chunk, int depth)
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
    m_pLoad->nameCut = name.size() > sizeof m_szName - 1;
    return WalkLevel(chunk, depth + 1);
}

int CModel3DS::ReadTriangleMesh(CByteCursor chunk, int depth)
{
    if (!m_bReading)
    {
        ++m_nObjects;
        m_pLoad->sizingMesh = true;
        WalkLevel(chunk, depth + 1);
        m_pLoad->sizingMesh = false;
        return 1;
    }
    // A mesh nested where only the reading pass looks was not counted and has
    // no record: skip it rather than write past the object array.
    if (m_nCurrent + 1 >= m_nObjects)
        return 1;
    ++m_nCurrent;

    char progress[200];
    std::snprintf(progress, sizeof progress, "  reading Object %d of %d", m_nCurrent, m_nObjects);
    ShowProgress(progress);

    ModelObject& object = m_pObjects[static_cast<std::size_t>(m_nCurrent)];
    object.name = m_szName;
    m_objectNameCut.resize(m_pObjects.size());
    m_objectNameCut[static_cast<std::size_t>(m_nCurrent)] = m_pLoad->nameCut;
    (m_pLoad->nameCut ? m_pLoad->firstCutObjectByName : m_pLoad->firstObjectByName)
        .try_emplace(object.name, m_nCurrent);
    // Without key arrays, no track finds an object to write to (NodeObject).
    if (m_keyTracks == KeyTracks::Read)
    {
        const std::size_t slots = m_nFrames > 0 ? static_cast<std::size_t>(m_nFrames) : 0;
        object.positionKeys.assign(slots, ModelVertex{0, 0, 0});
        object.rotationKeys.assign(slots, ModelVertex{0, 0, 0});
        object.scaleKeys.assign(slots, ModelVertex{1, 1, 1});
    }
    return WalkLevel(chunk, depth + 1);
}

// In the counting pass: what a vertex or face list will take once read, as
// far as its records lie inside the chunk (the reading pass refuses more).
void CModel3DS::SizeList(std::uint16_t id, CByteCursor chunk)
{
    std::uint32_t count = 0;
    if ((id != kVertexList && id != kFaceList) || !chunk.ReadWord(count))
        return;
    const std::uint64_t recordSize = id == kVertexList ? record_size::kVertex : record_size::kFace;
    const std::uint64_t records = std::min<std::uint64_t>(count, chunk.Left() / recordSize);
    // A vertex has its record and its normal; a face its record. Each list
    // may also lose a little to alignment.
    m_pLoad->meshBytes += records * (id == kVertexList ? 2 * sizeof(ModelVertex) : sizeof(ModelFace)) + kListAlignmentSlack;
}

ModelObject* CModel3DS::CurrentObject()
{
    if (m_nCurrent < 0 || m_nCurrent >= m_nObjects)
        return nullptr;
    return &m_pObjects[static_cast<std::size_t>(m_nCurrent)];
}

// Reads the count that opens a vertex, face or mapping list and takes its
// records, which must lie inside the chunk before anything is made of them.
int CModel3DS::OpenList(CByteCursor& chunk, std::uint64_t recordSize, std::uint32_t& count,
                        const std::uint8_t*& records)
{
    if (chunk.ReadWord(count) && chunk.Fits(count, recordSize) && chunk.Take(count * recordSize, records))
        return 1;
    ShowError(ErrorKind::Damaged, kTruncatedFile);
    return 0;
}

int CModel3DS::ReadVertexList(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    std::uint32_t count = 0;
    const std::uint8_t* records = nullptr;
    if (!OpenList(chunk, record_size::kVertex, count, records))
        return 0;
    if (m_nPointCount == -1)
        m_nPointCount = static_cast<int>(count);
    else if (m_nMode == 1 && static_cast<int>(count) != m_nPointCount)
    {
        ShowError(ErrorKind::Damaged, kPointCountsDiffer);
        return 0;
    }
    object->vertexCount = count;
    ReserveFresh(object->vertices, count);
    for (std::uint32_t i = 0; i < count; ++i, records += record_size::kVertex)
        object->vertices.push_back({LoadFloat(records), LoadFloat(records + 4), LoadFloat(records + 8), 0.0f, 0.0f});
    return 1;
}

int CModel3DS::ReadFaceList(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    std::uint32_t count = 0;
    const std::uint8_t* records = nullptr;
    if (!OpenList(chunk, record_size::kFace, count, records))
        return 0;
    object->faceCount = count;
    // Appended rather than filled in place: the records are large, and each
    // byte of them is then written once.
    ReserveFresh(object->faces, count);
    for (std::uint32_t i = 0; i < count; ++i, records += record_size::kFace) // the flags word is dropped
    {
        ModelFace& face = object->faces.emplace_back();
        face.index[0] = LoadWord(records);
        face.index[1] = LoadWord(records + 2);
        face.index[2] = LoadWord(records + 4);
    }

    // Nested chunks follow the faces; only material groups are read.
    std::uint32_t subId = 0;
    std::uint32_t subLength = 0;
    while (chunk.Fits(1, record_size::kChunkHeader) && chunk.ReadWord(subId) && chunk.ReadDword(subLength))
    {
        if (subLength < record_size::kChunkHeader)
            break; // the scan must move forward
        CByteCursor sub = chunk.Split(subLength - record_size::kChunkHeader);
        if (subId == kMaterialGroup)
            ReadMaterialGroup(sub);
    }
    return 1;
}

int CModel3DS::ReadMapping(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    std::uint32_t count = 0;
    const std::uint8_t* records = nullptr;
    if (!OpenList(chunk, record_size::kMapping, count, records))
        return 0;
    // Only vertices that exist take coordinates.
    const std::size_t mapped = std::min<std::size_t>(count, object->vertices.size());
    for (std::size_t i = 0; i < mapped; ++i, records += record_size::kMapping)
    {
        object->vertices[i].u = LoadFloat(records);
        object->vertices[i].v = static_cast<float>(1.0 - static_cast<double>(LoadFloat(records + 4)));
    }
    return 1;
}

void CModel3DS::ReadMaterialGroup(CByteCursor chunk)
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
    const std::uint8_t* face = nullptr;
    for (std::uint32_t i = 0; i < count && chunk.Take(2, face); ++i)
    {
        const std::uint16_t index = LoadWord(face);
        if (index < object->faces.size()) // an index past the list names no face
            CopyFaceAttributes(attributes, object->faces[index]);
    }
}

void CModel3DS::ReadLocalAxes(CByteCursor chunk)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return;
    ModelVertex origin;
    if (!chunk.Skip(record_size::kAxesBeforeOrigin) || !chunk.ReadFloat(origin.x) || !chunk.ReadFloat(origin.y) ||
        !chunk.ReadFloat(origin.z))
        return;
    object->pivot.x = origin.x;
    object->pivot.y = origin.y;
    object->pivot.z = origin.z;
}

// Every consumer of a face indexes its object's vertices with it, so a face
// that names a vertex the object does not have makes the file unusable. The
// list readers have already made each array match its count.
int CModel3DS::CheckFaceIndices()
{
    for (const ModelObject& object : m_pObjects)
    {
        if (!IsWellFormed(object))
        {
            ShowError(ErrorKind::Damaged, "Error reading input file, a face of object " + object.name +
                        " uses a vertex that the object does not have.");
            return 0;
        }
    }
    return 1;
}
