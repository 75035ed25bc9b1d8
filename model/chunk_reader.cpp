#include "model/chunk_parser.h"

#include <algorithm>

namespace
{
// One walk level handles at most this many chunks; the rest of it is ignored.
constexpr int kMaxChunksPerLevel = 10000;
// Real files nest four or five levels deep; a file that nests deeper is
// damaged, and its deeper chunks are ignored so the walk's stack stays small.
constexpr int kMaxDepth = 32;

const char* const kNotA3dsFile = "Error reading input file, it does not appear to be a true .3DS file.";
} // namespace

const char* const kTruncatedFile = "Error reading input file, it is truncated or damaged.";

C3dsParser::C3dsParser(CModel3DS& model, std::span<const std::uint8_t> file) : m_model(model), m_file(file)
{
}

int C3dsParser::Parse()
{
    CByteCursor header(m_file, 0, m_file.size());
    std::uint32_t id = 0;
    if (!header.ReadWord(id) || id != kMain)
        return Fail(ErrorKind::NotAModel, kNotA3dsFile);
    std::uint32_t mainLength = 0;
    if (!header.ReadDword(mainLength))
        return Fail(ErrorKind::Damaged, kTruncatedFile);
    if (mainLength > m_file.size())
        mainLength = static_cast<std::uint32_t>(m_file.size());

    const auto contentStart = static_cast<std::uint32_t>(record_size::kChunkHeader);
    if (!ReadChunks(contentStart, mainLength - contentStart))
        return 0;
    m_model.MakeObjects(m_nObjectsCounted, static_cast<std::size_t>(m_nMeshBytes));
    if (!PlanKeySlots())
        return 0;
    m_nCurrent = -1;
    m_bReading = 1;
    if (!ReadChunks(contentStart, mainLength - contentStart))
        return 0;
    m_model.m_bKeysRead = m_bKeys;
    return m_model.FinishLoad();
}

int C3dsParser::ReadChunks(std::uint32_t start, std::uint32_t length)
{
    // The end is computed in 32 bits, as the length field is: a length that
    // wraps past 2^32 ends before it starts and reads nothing.
    const std::uint32_t end = start + length;
    if (start >= end)
        return 1;
    return WalkLevel(CByteCursor(m_file, start, end), 0);
}

// Handles the chunks lying one after another in the level. A chunk's
// content is cut at the level's end, so a length field can neither make a
// nested walk leave its parent nor make the walk go backwards.
int C3dsParser::WalkLevel(CByteCursor level, int depth)
{
    if (level.Left() == 0 || depth > kMaxDepth)
        return 1;
    const std::uint64_t end = level.End();
    std::uint64_t position = level.Position();
    for (int chunkCount = 1; chunkCount <= kMaxChunksPerLevel; ++chunkCount)
    {
        // The header may reach past the level's end, but not past the file's:
        // a header cut off by the end of the file ends this level.
        CByteCursor header(m_file, position, m_file.size());
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
        if (!HandleChunk(static_cast<std::uint16_t>(id), CByteCursor(m_file, dataStart, chunkEnd), depth))
            return 0;
        if (length >= end - position)
            return 1;
        position += length;
    }
    return 1;
}

int C3dsParser::HandleChunk(std::uint16_t id, CByteCursor chunk, int depth)
{
    if (!m_bReading && m_bSizingMesh)
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
