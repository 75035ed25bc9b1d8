#pragma once

#include "model/model_source.h"
#include "model/status_sink.h"
#include "platform/bulk_memory.h"
#include "records/error_kind.h"

#include <cstdint>
#include <string>
#include <vector>

class CByteCursor;
struct LoadState;

// Whether a load reads the keyframe tracks. Placing objects at a frame
// (BuildFrame in mode 0) needs them; writing the objects as stored, or as
// morph frames, does not, and then keyframe data cannot make a load fail or
// take long, however long the segment it states.
enum class KeyTracks
{
    Read, // every object gets key arrays of one slot per frame, filled from its tracks
    Skip, // no object gets key arrays; the segment's length is still taken
};

// A model read from a .3DS chunk file.
class CModel3DS : public CModelSource
{
public:
    // statusSink, which hears the progress of a load, may be null; a failed
    // load leaves its one message in *text. keys applies
    // to every load of the model.
    CModel3DS(CStatusSink* statusSink, std::string* text, KeyTracks keys = KeyTracks::Read);

    ModelObject* GetObject(int index) override;
    // Mode 0: every object placed by its key slots at that frame, merged into
    // one object named after object 0 (an empty object when there are none);
    // slots that no key set hold neutral values. Mode 1: a
    // copy of the frame-th object in name order. The name is appended to
    // out's, the vertex and face arrays replaced, normals, pivot and keys
    // left alone. A frame outside [0, GetFrameCount()) sets out->valid to 0
    // and changes nothing else; a filled record gets valid 1. A model loaded
    // in mode 0 without its key tracks builds no frame.
    void BuildFrame(int frame, ModelObject* out) override;
    int Load(CInputFile* file) override;
    int GetFrameCount() override;
    int GetObjectCount() override;

    // mode 0: keyframe model; mode 1: morph sequence ordered by name.
    int LoadFile(CInputFile* file, int mode);
    // Walks the chunks lying one after another from start for length bytes;
    // one pass of LoadFile.
    int ReadChunks(CInputFile* file, std::uint32_t start, std::uint32_t length);

    int ComputeFaceNormals();
    int ComputeVertexNormals();

    void SortObjects(int first, int last);

    int GetFrameSegmentLength() const { return m_nFrames; }
    // Why the load failed, its message being in the status text; None
    // after a successful load.
    ErrorKind GetError() const { return m_error; }
    // Whether the file stored the object's name longer than the 12
    // characters kept of it.
    bool IsNameCut(int index) const
    {
        return static_cast<std::size_t>(index) < m_objectNameCut.size() &&
               m_objectNameCut[static_cast<std::size_t>(index)];
    }

private:
    // The chunk readers, in chunk_reader.cpp (the walk), mesh_reader.cpp,
    // keyframe_reader.cpp and rotation_track.cpp. Each is handed the chunk's
    // content and reads nothing outside it.
    int WalkLevel(CByteCursor level, int depth);
    int HandleChunk(std::uint16_t id, CByteCursor chunk, int depth);
    int ReadObjectBlock(CByteCursor chunk, int depth);
    int ReadTriangleMesh(CByteCursor chunk, int depth);
    int OpenList(CByteCursor& chunk, std::uint64_t recordSize, std::uint32_t& count, const std::uint8_t*& records);
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
    int CheckFaceIndices();
    int CheckKeySlots();
    int RefuseLongAnimation();
    ModelObject* CurrentObject();
    ModelObject* NodeObject();

    bool CanBuildFrame(int frame);
    void BuildKeyframedFrame(int frame, ModelObject* out);
    void BuildMorphFrame(int frame, ModelObject* out);

    int PartitionSorted(int first, int last);
    void OrderSortedPair(int i, int j);
    void SwapSorted(int i, int j);

    // A failure of the load: its kind, and its message in the status text.
    void ShowError(ErrorKind kind, const std::string& text);
    void ShowProgress(const std::string& text);

    static constexpr std::uint64_t kListAlignmentSlack = 64;

    std::string* m_pText;
    CStatusSink* m_pStatusSink;
    int m_nMode = 0;
    KeyTracks m_keyTracks;
    ErrorKind m_error = ErrorKind::None;
    char m_szName[13] = {};
    int m_nPointCount = -1;
    int m_nFrames = 1;
    int m_bReading = 0;
    int m_nObjects = 0;
    int m_nCurrent = -1;
    int m_nNodeObject = 0;
    // The objects' mesh arrays, freed at once; it outlives the objects.
    CBulkMemory m_meshMemory;
    std::vector<ModelObject> m_pObjects;
    std::vector<ModelObject*> m_ppSorted;
    std::vector<bool> m_objectNameCut; // by object index, filled by the reading pass
    // The working data of the load in progress; null outside LoadFile.
    LoadState* m_pLoad = nullptr;
};
