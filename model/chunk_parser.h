#pragma once

#include "model/byte_cursor.h"
#include "model/chunk_ids.h"
#include "model/model_3ds.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <span>
#include <string>

// One load of a .3DS file into a CModel3DS: every cursor, pass flag and
// lookup of the load lives here and dies with it, so nothing of a load
// outlasts the file it describes. The model receives only the result.
//
// The file is walked twice. The counting pass counts the mesh objects,
// sizes their lists and takes the keyframe segment; the model's objects are
// made between the passes; the reading pass fills them.
class C3dsParser
{
public:
    C3dsParser(CModel3DS& model, std::span<const std::uint8_t> file);
    C3dsParser(const C3dsParser&) = delete;
    C3dsParser& operator=(const C3dsParser&) = delete;

    // Both passes; the load's result, 1 or 0 (the model then holds why).
    int Parse();
    // One pass over the chunks lying one after another from start for
    // length bytes.
    int ReadChunks(std::uint32_t start, std::uint32_t length);

private:
    // The chunk readers, in chunk_reader.cpp (the walk), mesh_reader.cpp,
    // keyframe_reader.cpp and rotation_track.cpp. Each is handed the chunk's
    // content and reads nothing outside it.
    int WalkLevel(CByteCursor level, int depth);
    int HandleChunk(std::uint16_t id, CByteCursor chunk, int depth);
    int ReadObjectBlock(CByteCursor chunk, int depth);
    int ReadTriangleMesh(CByteCursor chunk, int depth);
    template <std::size_t Size>
    int OpenList(CByteCursor& chunk, CRecordList<Size>& records);
    void SizeList(std::uint16_t id, CByteCursor chunk);
    int ReadVertexList(CByteCursor chunk);
    int ReadFaceList(CByteCursor chunk);
    int ReadMapping(CByteCursor chunk);
    void ReadMaterialGroup(CByteCursor chunk);
    void ReadLocalAxes(CByteCursor chunk);
    void ReadSegment(CByteCursor chunk);
    void ReadNodeHeader(CByteCursor chunk);
    int ReadPositionOrScaleTrack(CByteCursor chunk, bool scale);
    int ReadRotationTrack(CByteCursor chunk);
    int PlanKeySlots();
    int RefuseLongAnimation();
    void DropKeys();
    ModelObject* CurrentObject();
    ModelObject* NodeObject();
    int Fail(ErrorKind kind, const std::string& message) { return m_model.FailLoad(kind, message); }

    static constexpr std::uint64_t kListAlignmentSlack = 64;

    CModel3DS& m_model;
    std::span<const std::uint8_t> m_file;
    // The name of the object block read last, cut to 12 characters, and
    // whether it was longer.
    char m_szName[13] = {};
    bool m_bNameCut = false;
    // The vertex count of the first vertex list read, which every list of a
    // morph sequence must have; -1 before it.
    int m_nPointCount = -1;
    int m_bReading = 0; // 0 in the counting pass, 1 in the reading pass
    int m_nObjectsCounted = 0;
    int m_nCurrent = -1;   // the object being read
    int m_nNodeObject = 0; // the object the current keyframe node animates
    // Whether the objects get key arrays, filled from their tracks.
    bool m_bKeys = false;
    // The lowest index of each object name read so far, kept whole or cut to
    // its first 12 characters, for matching node headers to objects.
    std::map<std::string, int> m_firstObjectByName;
    std::map<std::string, int> m_firstCutObjectByName;
    // The counting pass: whether it is inside a mesh, where it only sizes
    // the vertex and face lists, and the bytes their records and the
    // vertex normals will take.
    bool m_bSizingMesh = false;
    std::uint64_t m_nMeshBytes = 0;
    // Frames the rotation fill-in has touched, and how many it may touch;
    // set with the key slots.
    std::uint64_t m_nRotationWork = 0;
    std::uint64_t m_nRotationBudget = 0;
};

extern const char* const kTruncatedFile;

// Reads a track's header and hands each key that lies inside the track and
// names a frame below slotCount to visit(frame, key), key being the whole
// record of KeySize bytes. False when the header is cut off.
template <std::size_t KeySize, typename Visit>
bool ForEachTrackKey(CByteCursor track, std::size_t slotCount, Visit visit)
{
    constexpr std::size_t kCountEnd = record_size::kTrackCountOffset + 2;
    const auto head = track.TakeRecord<kCountEnd>();
    if (!head)
        return false;
    const std::uint32_t count = LoadWord<record_size::kTrackCountOffset>(*head);
    // The keys follow the header; only those that really lie inside the
    // chunk are read, whatever the count says.
    if (!track.Skip(record_size::kTrackHeader - kCountEnd))
        return true;
    CRecordList<KeySize> keys;
    track.TakeRecords(std::min<std::uint64_t>(count, track.Left() / KeySize), keys);
    for (std::size_t i = 0; i < keys.Count(); ++i)
    {
        const ByteRecord<KeySize> key = keys[i];
        const std::uint16_t frame = LoadWord<0>(key);
        if (frame < slotCount) // no slot for a key outside the segment
            visit(frame, key);
    }
    return true;
}
