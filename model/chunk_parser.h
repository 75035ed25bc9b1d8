#pragma once

#include "model/byte_cursor.h"
#include "model/chunk_ids.h"

#include <cstdint>
#include <map>
#include <string>

// The working data of one CModel3DS::LoadFile: it lives only while the load
// runs, so nothing of it outlasts the file it describes.
struct LoadState
{
    explicit LoadState(CInputFile& input) : file(input) {}

    CInputFile& file;
    // The lowest index of each object name read so far, kept whole or cut to
    // its first 12 characters, for matching node headers to objects.
    std::map<std::string, int> firstObjectByName;
    std::map<std::string, int> firstCutObjectByName;
    // Whether the name of the object block being read was longer than 12.
    bool nameCut = false;
    // The counting pass: whether it is inside a mesh, where it only sizes
    // the vertex and face lists, and the bytes their records and the
    // vertex normals will take.
    bool sizingMesh = false;
    std::uint64_t meshBytes = 0;
    // Frames the rotation fill-in has touched, and how many it may touch;
    // set with the key slots.
    std::uint64_t rotationWork = 0;
    std::uint64_t rotationBudget = 0;
};

extern const char* const kTruncatedFile;

// Reads a track's header and hands each key that lies inside the track and
// names a frame below slotCount to visit(frame, values), values pointing at
// the bytes after the key's header. False when the header is cut off.
template <typename Visit>
bool ForEachTrackKey(CByteCursor track, std::uint64_t keySize, std::size_t slotCount, Visit visit)
{
    std::uint32_t count = 0;
    if (!track.Skip(record_size::kTrackCountOffset) || !track.ReadWord(count))
        return false;
    // The keys follow the header; only those that really lie inside the
    // chunk are read, whatever the count says.
    const std::uint64_t afterCount = record_size::kTrackHeader - record_size::kTrackCountOffset - 2;
    const std::uint8_t* key = nullptr;
    if (!track.Skip(afterCount))
        return true;
    for (std::uint32_t i = 0; i < count && track.Take(keySize, key); ++i)
    {
        const std::uint16_t frame = LoadWord(key);
        if (frame < slotCount) // no slot for a key outside the segment
            visit(frame, key + record_size::kKeyHeader);
    }
    return true;
}
