#include "model/load_state.h"
#include "model/model_3ds.h"

#include <algorithm>

namespace
{
// One walk level handles at most this many chunks; the rest of it is ignored.
constexpr int kMaxChunksPerLevel = 10000;
// Real files nest four or five levels deep; a file that nests deeper is
// damaged, and its deeper chunks are ignored so the walk's stack stays small.
constexpr int kMaxDepth = 32;

const char* const kNotA3dsFile = "Error reading input file, it does not appear to be a true .3DS file.";

// Makes the load state reachable from the chunk readers for one scope.
class ActiveLoad
{
public:
    ActiveLoad(LoadState*& slot, LoadState& state) : m_slot(slot), m_previous(slot) { m_slot = &state; }
    ~ActiveLoad() { m_slot = m_previous; }
    ActiveLoad(const ActiveLoad&) = delete;
    ActiveLoad& operator=(const ActiveLoad&) = delete;

private:
    LoadState*& m_slot;
    LoadState* m_previous;
};
} // namespace

const char* const kTruncatedFile = "Error reading input file, it is truncated or damaged.";

int CModel3DS::LoadFile(CInputFile* file, int mode)
{
    LoadState state(*file);
    const ActiveLoad active(m_pLoad, state);
    m_nMode = mode;
    CByteCursor header(*file, 0, file->GetLength());
    std::uint32_t id = 0;
    if (!header.ReadWord(id) || id != kMain)
    {
        ShowError(ErrorKind::NotAModel, kNotA3dsFile);
        return 0;
    }
    std::uint32_t mainLength = 0;
    if (!header.ReadDword(mainLength))
    {
        ShowError(ErrorKind::Damaged, kTruncatedFile);
        return 0;
    }
    if (mainLength > file->GetLength())
        mainLength = static_cast<std::uint32_t>(file->GetLength());

    const auto contentStart = static_cast<std::uint32_t>(record_size::kChunkHeader);
    if (!ReadChunks(file, contentStart, mainLength - contentStart))
        return 0;
    m_pObjects.clear();
    m_meshMemory.Release(static_cast<std::size_t>(state.meshBytes));
    m_pObjects.reserve(static_cast<std::size_t>(m_nObjects));
    for (int i = 0; i < m_nObjects; ++i)
        m_pObjects.push_back(ObjectIn(&m_meshMemory));
    if (m_keyTracks == KeyTracks::Read && !CheckKeySlots())
        return 0;
    m_nCurrent = -1;
    m_bReading = 1;
    if (!ReadChunks(file, contentStart, mainLength - contentStart))
        return 0;
    if (!CheckFaceIndices())
        return 0;
    if (mode != 1)
        return 1;

    ShowProgress("  Sorting objects...");
    m_ppSorted.resize(static_cast<std::size_t>(m_nObjects));
    for (int i = 0; i < m_nObjects; ++i)
        m_ppSorted[static_cast<std::size_t>(i)] = &m_pObjects[static_cast<std::size_t>(i)];
    SortObjects(0, m_nObjects - 1);
    return 1;
}

int CModel3DS::ReadChunks(CInputFile* file, std::uint32_t start, std::uint32_t length)
{
    // Called outside a load, the pass gets working data of its own.
    if (!m_pLoad)
    {
        LoadState state(*file);
        const ActiveLoad active(m_pLoad, state);
        return ReadChunks(file, start, length);
    }
    // The end is computed in 32 bits, as the length field is: a length that
    // wraps past 2^32 ends before it starts and reads nothing.
    const std::uint32_t end = start + length;
    if (start >= end)
        return 1;
    return WalkLevel(CByteCursor(*file, start, end), 0);
}

// Handles the chunks lying one after another in the level. A chunk's
// content is cut at the level's end, so a length field can neither make a
// nested walk leave its parent nor make the walk go backwards.
int CModel3DS::WalkLevel(CByteCursor level, int depth)
{
    if (level.Left() == 0 || depth > kMaxDepth)
        return 1;
    CInputFile& file = m_pLoad->file;
    const std::uint64_t end = level.End();
    std::uint64_t position = level.Position();
    for (int chunkCount = 1; chunkCount <= kMaxChunksPerLevel; ++chunkCount)
    {
        // The header may reach past the level's end, but not past the file's:
        // a header cut off by the end of the file ends this level.
        CByteCursor header(file, position, file.GetLength());
        std::uint32_t id = 0;
        std::uint32_t length = 0;
        if (!header.ReadWord(id) || !header.ReadDword(length))
            return 1;
        if (length < record_size::kChunkHeader)
            return 1;
        // A content start past the level's end leaves the content empty.
        const std::uint64_t dataStart = header.Position();
        const std::uint64_t contentLength = length - record_size::kChunkHeader;
        const std::uint64_t chunkEnd =
            dataStart >= end ? dataStart : dataStart + std::min(contentLength, end - dataStart);
        if (!HandleChunk(static_cast<std::uint16_t>(id), CByteCursor(file, dataStart, chunkEnd), depth))
            return 0;
        if (length >= end - position)
            return 1;
        position += length;
    }
    return 1;
}

int CModel3DS::HandleChunk(std::uint16_t id, CByteCursor chunk, int depth)
{
    if (!m_bReading && m_pLoad->sizingMesh)
    {
        SizeList(id, chunk); // nothing nested in a mesh is counted as an object
        return 1;
    }
    switch (id)
    {
    case kEditor:
    case kKeyframeData:
        return WalkLevel(chunk, depth + 1);
    case kObjectBlock:
        return ReadObjectBlock(chunk, depth);
    case kTriangleMesh:
        return ReadTriangleMesh(chunk, depth);
    case kSegment:
        ReadSegment(chunk);
        return 1;
    default:
        break;
    }
    if (!m_bReading)
        return 1;
    switch (id)
    {
    case kVertexList:
        return ReadVertexList(chunk);
    case kFaceList:
        return ReadFaceList(chunk);
    case kMapping:
        return ReadMapping(chunk);
    case kLocalAxes:
        ReadLocalAxes(chunk);
        return 1;
    case kObjectNode:
        return WalkLevel(chunk, depth + 1);
    case kNodeHeader:
        ReadNodeHeader(chunk);
        return 1;
    case kPositionTrack:
        return ReadPositionOrScaleTrack(chunk, false);
    case kScaleTrack:
        return ReadPositionOrScaleTrack(chunk, true);
    case kRotationTrack:
        return ReadRotationTrack(chunk);
    default:
        return 1;
    }
}
