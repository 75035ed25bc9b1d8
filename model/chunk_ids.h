#pragma once

#include <cstdint>

// The chunk ids of the .3DS format that the reader acts on. Our chunk writer
// in fixtures/ and the fuzzing dictionary take their ids from here.
enum ChunkId : std::uint16_t
{
    kMain = 0x4D4D,
    kEditor = 0x3D3D,
    kObjectBlock = 0x4000,
    kTriangleMesh = 0x4100,
    kVertexList = 0x4110,
    kFaceList = 0x4120,
    kMaterialGroup = 0x4130,
    kMapping = 0x4140,
    kLocalAxes = 0x4160,
    kKeyframeData = 0xB000,
    kObjectNode = 0xB002,
    kSegment = 0xB008,
    kNodeHeader = 0xB010,
    kPositionTrack = 0xB020,
    kRotationTrack = 0xB021,
    kScaleTrack = 0xB022,
};

// The sizes of the fixed records inside chunks, in bytes.
namespace record_size
{
// Id word and length dword.
constexpr std::uint64_t kChunkHeader = 6;
// x, y and z floats.
constexpr std::uint64_t kVertex = 12;
// Three vertex index words and a flags word.
constexpr std::uint64_t kFace = 8;
// u and v floats.
constexpr std::uint64_t kMapping = 8;
// The local axes: three axis vectors, then the origin, each three floats.
constexpr std::uint64_t kLocalAxes = 48;
constexpr std::uint64_t kAxesBeforeOrigin = 36;
// 10 unread bytes, the key count (of which the low word is read), then 2
// unread bytes.
constexpr std::uint64_t kTrackHeader = 14;
constexpr std::uint64_t kTrackCountOffset = 10;
// The frame number (of which the low word is read), then unread flags.
constexpr std::uint64_t kKeyHeader = 6;
// A key header and x, y and z floats.
constexpr std::uint64_t kVectorKey = kKeyHeader + 12;
// A key header, the angle and the axis' x, y and z floats.
constexpr std::uint64_t kRotationKey = kKeyHeader + 16;
} // namespace record_size
