#include "tests/robustness/hostile_files.h"

#include "fixtures/chunk_writer.h"

#include <algorithm>
#include <functional>

namespace robustness
{
namespace
{
using namespace fixtures;

// One walk level reads at most this many chunks, so long runs are spread
// over several containers.
constexpr int kChunksPerLevel = 10000;
// How deep the reader walks.
constexpr int kNestingDepth = 32;
// Key slots the reader accepts for a file of this many bytes (objects times
// frames), and the rotation fill-ins it allows as a multiple of that.
std::uint32_t AcceptedKeySlots(std::size_t fileLength)
{
    return static_cast<std::uint32_t>((1u << 16) + 8 * fileLength);
}

void Triangle(ChunkWriter& writer)
{
    writer.Begin(kVertexList);
    writer.Word(3);
    for (float value : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f})
        writer.Float(value);
    writer.End();
}

void TrackHeader(ChunkWriter& writer, std::uint16_t id, std::uint16_t keyCount)
{
    writer.Begin(id);
    for (int i = 0; i < 5; ++i)
        writer.Word(0);
    writer.Word(keyCount);
    writer.Word(0);
}

void RotationKey(ChunkWriter& writer, std::uint16_t frame)
{
    writer.Word(frame);
    writer.Dword(0);
    for (float value : {0.5f, 0.f, 0.f, 1.f})
        writer.Float(value);
}

// A file whose editor data the caller writes, with keyframe data after it
// when keyframes is set.
std::vector<std::uint8_t> Wrap(const std::function<void(ChunkWriter&)>& editor,
                               const std::function<void(ChunkWriter&)>& keyframes = nullptr)
{
    ChunkWriter writer;
    writer.Begin(kMain);
    writer.Begin(kEditor);
    editor(writer);
    writer.End();
    if (keyframes)
    {
        writer.Begin(kKeyframeData);
        keyframes(writer);
        writer.End();
    }
    writer.End();
    return writer.Take();
}

// An object block holding a triangle mesh whose content the caller writes.
void MeshBlock(ChunkWriter& writer, const std::string& name, const std::function<void(ChunkWriter&)>& mesh)
{
    writer.Begin(kObjectBlock);
    writer.String(name);
    writer.Begin(kTriangleMesh);
    mesh(writer);
    writer.End();
    writer.End();
}

// A chunk holding only a count, claiming that many records that are absent.
void ClaimedCount(ChunkWriter& writer, std::uint16_t id)
{
    writer.Begin(id);
    writer.Word(0xFFFF);
    writer.End();
}

// Returns where the last frame is stored, for PatchLastFrame.
std::size_t Segment(ChunkWriter& writer, std::uint32_t first, std::uint32_t last)
{
    writer.Begin(kSegment);
    writer.Dword(first);
    const std::size_t lastFrameOffset = writer.Data().size();
    writer.Dword(last);
    writer.End();
    return lastFrameOffset;
}

// The segment's length depends on the file's length, known only once the
// file is complete.
void PatchLastFrame(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t lastFrame)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(lastFrame >> (8 * i));
}

// A node for the named object with every kind of track, each rotation track
// keyed at its first and last frames so that the fill-in runs in full.
void AnimatedNode(ChunkWriter& writer, const std::string& name, std::uint16_t lastFrame, int rotationTracks)
{
    writer.Begin(kObjectNode);
    writer.Begin(kNodeHeader);
    writer.String(name);
    writer.End();
    for (int i = 0; i < rotationTracks; ++i)
    {
        TrackHeader(writer, kRotationTrack, 2);
        RotationKey(writer, 1);
        RotationKey(writer, lastFrame);
        writer.End();
    }
    TrackHeader(writer, kPositionTrack, 0xFFFF);
    writer.End();
    TrackHeader(writer, kScaleTrack, 0xFFFF);
    writer.End();
    writer.End();
}

std::vector<std::uint8_t> LongestSegment()
{
    std::size_t lastFrameOffset = 0;
    auto bytes = Wrap([](ChunkWriter& writer) { MeshBlock(writer, "Box", Triangle); },
                      [&lastFrameOffset](ChunkWriter& writer) {
                          lastFrameOffset = Segment(writer, 0, 0);
                          AnimatedNode(writer, "Box", 0xFFFF, 3);
                      });
    PatchLastFrame(bytes, lastFrameOffset, AcceptedKeySlots(bytes.size()) - 1);
    return bytes;
}

std::vector<std::uint8_t> ManyObjectsSharingTheSegment()
{
    constexpr int kObjects = 40;
    std::size_t lastFrameOffset = 0;
    auto bytes = Wrap(
        [](ChunkWriter& writer) {
            writer.Begin(kObjectBlock);
            writer.String("Box");
            for (int i = 0; i < kObjects; ++i)
            {
                writer.Begin(kTriangleMesh);
                writer.End();
            }
            writer.End();
        },
        [&lastFrameOffset](ChunkWriter& writer) { lastFrameOffset = Segment(writer, 0, 0); });
    PatchLastFrame(bytes, lastFrameOffset, AcceptedKeySlots(bytes.size()) / kObjects - 1);
    return bytes;
}

std::vector<std::uint8_t> SegmentBeyondTheLimit()
{
    return Wrap([](ChunkWriter& writer) { MeshBlock(writer, "Box", Triangle); },
                [](ChunkWriter& writer) { Segment(writer, 0, 0xFFFFFFFE); });
}

std::vector<std::uint8_t> DeepNesting()
{
    ChunkWriter writer;
    writer.Begin(kMain);
    for (int i = 0; i < 60; ++i)
        writer.Begin(i % 2 ? kKeyframeData : kEditor);
    MeshBlock(writer, "Deep", Triangle);
    for (int i = 0; i < 60; ++i)
        writer.End();
    writer.End();
    return writer.Take();
}

std::vector<std::uint8_t> LengthsPastTheEnd()
{
    ChunkWriter writer;
    writer.RawHeader(kMain, 0xFFFFFFFF);
    writer.RawHeader(kEditor, 0xFFFFFFFF);
    writer.RawHeader(kObjectBlock, 0xFFFFFFFF);
    writer.String("Box");
    writer.RawHeader(kTriangleMesh, 0xFFFFFFF0);
    writer.RawHeader(kFaceList, 0xFFFFFF00);
    writer.Word(0);
    writer.RawHeader(kMaterialGroup, 0xFFFFFFFF);
    writer.String("skin1");
    writer.Word(0xFFFF);
    return writer.Take();
}
} // namespace

std::vector<HostileFile> SmallHostileFiles()
{
    const auto triangleThen = [](std::uint16_t claim) {
        return Wrap([claim](ChunkWriter& writer) {
            MeshBlock(writer, "Box", [claim](ChunkWriter& mesh) {
                Triangle(mesh);
                ClaimedCount(mesh, claim);
            });
        });
    };
    return {
        {"VertexCountWithoutVertices", Wrap([](ChunkWriter& writer) {
             MeshBlock(writer, "Box", [](ChunkWriter& mesh) { ClaimedCount(mesh, kVertexList); });
         })},
        {"FaceCountWithoutFaces", triangleThen(kFaceList)},
        {"MappingCountWithoutCoordinates", triangleThen(kMapping)},
        {"MaterialGroupCountWithoutFaces", Wrap([](ChunkWriter& writer) {
             MeshBlock(writer, "Box", [](ChunkWriter& mesh) {
                 Triangle(mesh);
                 mesh.Begin(kFaceList);
                 mesh.Word(1);
                 for (std::uint16_t value : {0, 1, 2, 0})
                     mesh.Word(value);
                 mesh.Begin(kMaterialGroup);
                 mesh.String("skin1wbfen");
                 mesh.Word(0xFFFF);
                 mesh.End();
                 mesh.End();
             });
         })},
        {"KeyCountsWithoutKeys", Wrap([](ChunkWriter& writer) { MeshBlock(writer, "Box", Triangle); },
                                      [](ChunkWriter& writer) {
                                          Segment(writer, 0, 100);
                                          AnimatedNode(writer, "Box", 100, 1);
                                      })},
        {"LongestAcceptedSegment", LongestSegment()},
        {"ManyObjectsSharingTheSegment", ManyObjectsSharingTheSegment()},
        {"SegmentBeyondTheLimit", SegmentBeyondTheLimit()},
        {"DeepNesting", DeepNesting()},
        {"LengthsPastTheEnd", LengthsPastTheEnd()},
    };
}

std::vector<GrowingShape> AllGrowingShapes()
{
    return {GrowingShape::FlatChunks,      GrowingShape::NestedContainers,  GrowingShape::MeshObjects,
            GrowingShape::NodesAndObjects, GrowingShape::EqualNamedObjects, GrowingShape::FaceListSubChunks};
}

std::string ShapeName(GrowingShape shape)
{
    switch (shape)
    {
    case GrowingShape::FlatChunks: return "FlatChunks";
    case GrowingShape::NestedContainers: return "NestedContainers";
    case GrowingShape::MeshObjects: return "MeshObjects";
    case GrowingShape::NodesAndObjects: return "NodesAndObjects";
    case GrowingShape::EqualNamedObjects: return "EqualNamedObjects";
    case GrowingShape::FaceListSubChunks: return "FaceListSubChunks";
    }
    return "Unknown";
}

namespace
{
// Calls unit for each of units, spread over containers of at most
// kChunksPerLevel chunks each.
void InContainers(ChunkWriter& writer, int units, const std::function<void(ChunkWriter&)>& open,
                  const std::function<void(ChunkWriter&)>& unit)
{
    for (int first = 0; first < units; first += kChunksPerLevel)
    {
        open(writer);
        for (int i = first; i < std::min(units, first + kChunksPerLevel); ++i)
            unit(writer);
        writer.End();
    }
}

void OpenObjectBlock(ChunkWriter& writer)
{
    writer.Begin(kObjectBlock);
    writer.String("Same");
}

void EmptyMesh(ChunkWriter& writer)
{
    writer.Begin(kTriangleMesh);
    writer.End();
}

void SmallMesh(ChunkWriter& writer)
{
    MeshSpec mesh;
    mesh.name = "Part_T";
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.mapping = {{0, 0}, {1, 0}, {0, 1}};
    mesh.faces = {{0, 1, 2}};
    mesh.materials = {{"skin1t", {0}}};
    mesh.hasPivot = true;
    WriteMeshBlock(writer, mesh);
}

void NestedChain(ChunkWriter& writer)
{
    for (int level = 0; level < kNestingDepth; ++level)
        writer.Begin(level % 2 ? kKeyframeData : kEditor);
    writer.RawHeader(0x0001, 6);
    for (int level = 0; level < kNestingDepth; ++level)
        writer.End();
}
} // namespace

std::vector<std::uint8_t> BuildGrowingFile(GrowingShape shape, int units)
{
    const auto editor = [](ChunkWriter& writer) { writer.Begin(kEditor); };
    ChunkWriter writer;
    writer.Begin(kMain);
    switch (shape)
    {
    case GrowingShape::FlatChunks:
        InContainers(writer, units, editor, [](ChunkWriter& w) { w.RawHeader(0x0001, 6); });
        break;
    case GrowingShape::NestedContainers:
        InContainers(writer, units, editor, NestedChain);
        break;
    case GrowingShape::MeshObjects:
        InContainers(writer, units, editor, SmallMesh);
        break;
    case GrowingShape::NodesAndObjects:
        writer.Begin(kEditor);
        InContainers(writer, units, OpenObjectBlock, EmptyMesh);
        writer.End();
        InContainers(writer, units, [](ChunkWriter& w) { w.Begin(kKeyframeData); },
                     [](ChunkWriter& w) {
                         w.Begin(kNodeHeader);
                         w.String("Other");
                         w.End();
                     });
        break;
    case GrowingShape::EqualNamedObjects:
        writer.Begin(kEditor);
        InContainers(writer, units, OpenObjectBlock, EmptyMesh);
        writer.End();
        break;
    case GrowingShape::FaceListSubChunks:
        writer.Begin(kEditor);
        MeshBlock(writer, "Skinned", [units](ChunkWriter& mesh) {
            Triangle(mesh);
            mesh.Begin(kFaceList);
            mesh.Word(1);
            for (std::uint16_t value : {0, 1, 2, 0})
                mesh.Word(value);
            for (int i = 0; i < units; ++i)
            {
                mesh.Begin(kMaterialGroup);
                mesh.String("skin1t");
                mesh.Word(1);
                mesh.Word(0);
                mesh.End();
            }
            mesh.End();
        });
        writer.End();
        break;
    }
    writer.End();
    return writer.Take();
}

} // namespace robustness
