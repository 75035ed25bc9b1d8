#include "model/model_3ds.h"
#include "model/read_operations.h"

#include <algorithm>
#include <cstdio>

namespace
{
// One walk level handles at most this many chunks; the rest of it is ignored.
constexpr int kMaxChunksPerLevel = 10000;
// Real files nest four or five levels deep; a file that nests deeper is
// damaged, and its deeper chunks are ignored so the walk's stack stays small.
constexpr int kMaxDepth = 32;

const char* const kNotA3dsFile = "Error reading input file, it does not appear to be a true .3DS file.";
const char* const kPointCountsDiffer = "Error: Object point counts do not match";
} // namespace

const char* const kTruncatedFile = "Error reading input file, it is truncated or damaged.";

int CModel3DS::LoadFile(CInputFile* file, int mode)
{
    m_nMode = mode;
    file->Seek(0);
    std::uint32_t id = 0;
    if (!ReadWord(file, id) || id != 0x4D4D)
    {
        ShowMessage(kNotA3dsFile);
        return 0;
    }
    std::uint32_t mainLength = 0;
    if (!ReadDword(file, mainLength))
    {
        ShowMessage(kTruncatedFile);
        return 0;
    }
    if (mainLength > file->GetLength())
        mainLength = static_cast<std::uint32_t>(file->GetLength());

    if (!ReadChunks(file, 6, mainLength - 6))
        return 0;
    if (!CheckKeySlots(file->GetLength()))
        return 0;

    m_pObjects.assign(static_cast<std::size_t>(m_nObjects), ModelObject{});
    m_nRotationBudget = 4 * ((std::uint64_t{1} << 16) + 8 * file->GetLength());
    m_nCurrent = -1;
    m_bReading = 1;
    if (!ReadChunks(file, 6, mainLength - 6))
        return 0;
    if (!CheckFaceIndices())
        return 0;
    if (mode != 1)
        return 1;

    ShowMessage("  Sorting objects...");
    m_ppSorted.resize(static_cast<std::size_t>(m_nObjects));
    for (int i = 0; i < m_nObjects; ++i)
        m_ppSorted[static_cast<std::size_t>(i)] = &m_pObjects[static_cast<std::size_t>(i)];
    SortObjects(0, m_nObjects - 1);
    return 1;
}

int CModel3DS::ReadChunks(CInputFile* file, std::uint32_t start, std::uint32_t length)
{
    // The end is computed in 32 bits, as the length field is: a length that
    // wraps past 2^32 ends before it starts and reads nothing.
    const std::uint32_t end = start + length;
    if (start >= end)
        return 1;
    return WalkLevel(file, start, std::min<std::uint64_t>(end, file->GetLength()), 0);
}

// Handles the chunks lying one after another in [start, end). A chunk's
// content is clamped to the level's end, so a length field can neither make
// a nested walk leave its parent nor make the walk go backwards.
int CModel3DS::WalkLevel(CInputFile* file, std::uint64_t start, std::uint64_t end, int depth)
{
    if (start >= end || depth > kMaxDepth)
        return 1;
    std::uint64_t position = start;
    for (int chunkCount = 1; chunkCount <= kMaxChunksPerLevel; ++chunkCount)
    {
        file->Seek(position);
        std::uint32_t id = 0;
        std::uint32_t length = 0;
        // A header cut off by the end of the file ends this level.
        if (!ReadWord(file, id) || !ReadDword(file, length))
            return 1;
        if (length < 6)
            return 1;
        const std::uint64_t dataStart = position + 6;
        const std::uint64_t chunkEnd = std::max(dataStart, std::min(position + length, end));
        if (!HandleChunk(file, static_cast<std::uint16_t>(id), dataStart, chunkEnd, depth))
            return 0;
        position += length;
        if (position >= end)
            return 1;
    }
    return 1;
}

int CModel3DS::HandleChunk(CInputFile* file, std::uint16_t id, std::uint64_t dataStart, std::uint64_t chunkEnd,
                           int depth)
{
    switch (id)
    {
    case 0x3D3D:
    case 0xB000:
        return WalkLevel(file, dataStart, chunkEnd, depth + 1);
    case 0x4000:
        return ReadObjectBlock(file, dataStart, chunkEnd, depth);
    case 0x4100:
        return ReadTriangleMesh(file, dataStart, chunkEnd, depth);
    case 0xB008:
        ReadSegment(file, dataStart, chunkEnd);
        return 1;
    default:
        break;
    }
    if (!m_bReading)
        return 1;
    switch (id)
    {
    case 0x4110:
        return ReadVertexList(file, dataStart, chunkEnd);
    case 0x4120:
        return ReadFaceList(file, dataStart, chunkEnd);
    case 0x4140:
        return ReadMapping(file, dataStart, chunkEnd);
    case 0x4160:
        ReadLocalAxes(file, dataStart, chunkEnd);
        return 1;
    case 0xB002:
        return WalkLevel(file, dataStart, chunkEnd, depth + 1);
    case 0xB010:
        ReadNodeHeader(file, dataStart, chunkEnd);
        return 1;
    case 0xB020:
        return ReadPositionOrScaleTrack(file, dataStart, chunkEnd, false);
    case 0xB022:
        return ReadPositionOrScaleTrack(file, dataStart, chunkEnd, true);
    case 0xB021:
        return ReadRotationTrack(file, dataStart, chunkEnd);
    default:
        return 1;
    }
}

int CModel3DS::ReadObjectBlock(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd, int depth)
{
    // The name is stored cut to 12 characters, but the nested chunks always
    // begin after its terminator, however long it is.
    file->Seek(dataStart);
    const std::uint64_t nameEnd = ReadObjectName(file, chunkEnd, m_szName);
    if (m_szName[0] == '!')
        return 1;
    if (nameEnd == 0)
        return 1; // no terminator inside the chunk: nothing nested
    m_bNameCut = nameEnd - dataStart - 1 > 12;
    return WalkLevel(file, nameEnd, chunkEnd, depth + 1);
}

int CModel3DS::ReadTriangleMesh(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd, int depth)
{
    if (!m_bReading)
    {
        ++m_nObjects;
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
    (m_bNameCut ? m_firstCutObjectByName : m_firstObjectByName).try_emplace(object.name, m_nCurrent);
    const std::size_t slots = m_nFrames > 0 ? static_cast<std::size_t>(m_nFrames) : 0;
    object.positionKeys.assign(slots, ModelVertex{0, 0, 0});
    object.rotationKeys.assign(slots, ModelVertex{0, 0, 0});
    object.scaleKeys.assign(slots, ModelVertex{1, 1, 1});
    return WalkLevel(file, dataStart, chunkEnd, depth + 1);
}

ModelObject* CModel3DS::CurrentObject()
{
    if (m_nCurrent < 0 || m_nCurrent >= m_nObjects)
        return nullptr;
    return &m_pObjects[static_cast<std::size_t>(m_nCurrent)];
}

// Reads the count that opens a vertex, face or mapping list and checks that
// its records lie inside the chunk before anything is allocated for them.
int CModel3DS::ReadListCount(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd,
                             std::uint64_t recordSize, std::uint32_t& count)
{
    file->Seek(dataStart);
    if (ReadWord(file, count) && FitsInChunk(file, chunkEnd, count, recordSize))
        return 1;
    ShowMessage(kTruncatedFile);
    return 0;
}

int CModel3DS::ReadVertexList(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    std::uint32_t count = 0;
    if (!ReadListCount(file, dataStart, chunkEnd, 12, count))
        return 0;
    if (m_nPointCount == -1)
        m_nPointCount = static_cast<int>(count);
    else if (m_nMode == 1 && static_cast<int>(count) != m_nPointCount)
    {
        ShowMessage(kPointCountsDiffer);
        return 0;
    }
    object->vertexCount = count;
    object->vertices.resize(count);
    const std::uint8_t* bytes = file->Data() + file->GetPosition();
    for (ModelVertex& vertex : object->vertices)
    {
        vertex = ModelVertex{LoadFloat(bytes), LoadFloat(bytes + 4), LoadFloat(bytes + 8), 0.0f, 0.0f};
        bytes += 12;
    }
    return 1;
}

int CModel3DS::ReadFaceList(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    std::uint32_t count = 0;
    if (!ReadListCount(file, dataStart, chunkEnd, 8, count))
        return 0;
    object->faceCount = count;
    object->faces.assign(count, ModelFace{});
    const std::uint8_t* bytes = file->Data() + file->GetPosition();
    for (ModelFace& face : object->faces)
    {
        face.index[0] = LoadWord(bytes);
        face.index[1] = LoadWord(bytes + 2);
        face.index[2] = LoadWord(bytes + 4);
        bytes += 8; // the flags word is dropped
    }

    // Nested chunks follow the faces; only material groups are read.
    std::uint64_t offset = dataStart + 2 + std::uint64_t{count} * 8;
    while (offset < chunkEnd && chunkEnd - offset >= 6)
    {
        file->Seek(offset);
        std::uint32_t subId = 0;
        std::uint32_t subLength = 0;
        ReadWord(file, subId);
        ReadDword(file, subLength);
        if (subLength < 6)
            break; // the scan must move forward
        if (subId == 0x4130)
            ReadMaterialGroup(file, offset + 6, std::min(offset + subLength, chunkEnd));
        offset += subLength;
    }
    return 1;
}

int CModel3DS::ReadMapping(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd)
{
    ModelObject* object = CurrentObject();
    if (!object)
        return 1;
    std::uint32_t count = 0;
    if (!ReadListCount(file, dataStart, chunkEnd, 8, count))
        return 0;
    // Only vertices that exist take coordinates.
    const std::size_t mapped = std::min<std::size_t>(count, object->vertices.size());
    const std::uint8_t* bytes = file->Data() + file->GetPosition();
    for (std::size_t i = 0; i < mapped; ++i, bytes += 8)
    {
        object->vertices[i].u = LoadFloat(bytes);
        object->vertices[i].v = static_cast<float>(1.0 - static_cast<double>(LoadFloat(bytes + 4)));
    }
    return 1;
}

// Every consumer of a face indexes its object's vertices with it, so a face
// that names a vertex the object does not have makes the file unusable.
int CModel3DS::CheckFaceIndices()
{
    for (const ModelObject& object : m_pObjects)
    {
        for (const ModelFace& face : object.faces)
        {
            for (std::int32_t index : face.index)
            {
                if (index < 0 || static_cast<std::uint32_t>(index) >= object.vertexCount)
                {
                    ShowMessage("Error reading input file, a face of object " + object.name +
                                " uses a vertex that the object does not have.");
                    return 0;
                }
            }
        }
    }
    return 1;
}
