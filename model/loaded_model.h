#pragma once

#include "model/model_source.h"
#include "model/status_sink.h"
#include "platform/bulk_memory.h"
#include "records/error_kind.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the frames of a load are.
enum class LoadMode
{
    KeyframeModel = 0, // one frame per frame of the keyframe segment, every object placed by its keys
    MorphSequence = 1, // one frame per object, in name order; every object has as many vertices
};

// Whether a load reads the keyframe tracks. Placing objects at a frame
// (BuildFrame in the keyframe model) needs them; writing the objects as
// stored, or as morph frames, does not, and then keyframe data cannot make a
// load fail or take long, however long the segment it states.
enum class KeyTracks
{
    Read,            // every object gets key arrays of one slot per frame, filled from its tracks
    Skip,            // no object gets key arrays; the segment's length is still taken
    ReadWhenTheyFit, // as Read while the animation stays within the limits; past them, as Skip
};

// The key slots a load may give its objects together, one per object and
// frame. The longest animations we mean to place, 100 objects over 40,000
// frames, need 4,000,000 slots; 2^22 leaves some room above that and keeps
// the .3DS key arrays below 260 MB, however small the file that claims them.
// Past that, a load that must read the keys fails and one that reads them
// when they fit goes on without them.
inline constexpr std::uint64_t kMaxKeySlots = std::uint64_t{1} << 22;
// An object's name as messages give it; an empty one is "(unnamed)".
std::string NameInMessages(std::string_view name);

// A loaded model, whatever format it was read from: the objects and the
// memory of their arrays, their order by name, the frame count, and why the
// load failed. A model source derives from it and fills it in its Load;
// everything else here works on the result alone.
class CLoadedModel : public CModelSource
{
public:
    // Reads the file into the model: 1 when it has been read, 0 when not,
    // GetError() then saying why and the status text holding the message.
    // Runs once per model.
    virtual int LoadFile(CInputFile* file, LoadMode mode) = 0;
    // LoadFile as a keyframe model.
    int Load(CInputFile* file) override { return LoadFile(file, LoadMode::KeyframeModel); }

    ModelObject* GetObject(int index) override;
    // Keyframe model: every object placed by its key slots at that frame,
    // merged into one object named after object 0 (an empty object when
    // there are none); slots that no key set hold neutral values. Morph
    // sequence: a copy of the frame-th object in name order. The name is
    // appended to out's, the vertex and face arrays replaced, normals, pivot
    // and keys left alone. A frame outside [0, GetFrameCount()) sets
    // out->valid to 0 and changes nothing else; a filled record gets valid
    // 1. A keyframe model loaded without its key tracks builds no frame.
    void BuildFrame(int frame, ModelObject* out) override;
    int GetFrameCount() override;
    int GetObjectCount() override;

    int ComputeFaceNormals();
    int ComputeVertexNormals();

    void SortObjects(int first, int last);

    // Why the load failed; None after a successful one. The message that
    // says so to the user is in the status text.
    ErrorKind GetError() const { return m_error; }
    // The failure's message, as the status text holds it; empty after a
    // successful load.
    const std::string& GetErrorText() const;

    int GetFrameSegmentLength() const { return m_nFrames; }
    // Whether the keyframe model can be built: every object then has what
    // places it at each frame (for a .3DS file, a key slot per frame).
    bool AreKeysRead() const { return m_bKeysRead; }
    // Whether the object's placement changes from frame to frame; false
    // when the keys were not read.
    virtual bool IsObjectAnimated(int index) const;
    // What the load left out or took differently from the file, one line
    // each, beginning "Warning"; the load succeeded all the same.
    const std::vector<std::string>& GetWarnings() const { return m_warnings; }
    // Whether the file stored the object's name longer than the 12
    // characters kept of it.
    bool IsNameCut(int index) const
    {
        return static_cast<std::size_t>(index) < m_objectNameCut.size() &&
               m_objectNameCut[static_cast<std::size_t>(index)];
    }

protected:
    // text, the caller's, receives the message of a failed load; statusSink
    // may be null, and shows progress only.
    CLoadedModel(CStatusSink* statusSink, std::string* text);

    // For the source filling the model. Empties the model and makes count
    // empty objects whose mesh arrays take their memory from the model;
    // meshBytes estimates what those arrays will take.
    void MakeObjects(int count, std::size_t meshBytes);
    // The memory MakeObjects is told an object's mesh arrays take, for a
    // source that keeps no arrays of its own beside them.
    static std::size_t MeshBytes(std::size_t vertices, std::size_t faces)
    {
        return vertices * 2 * sizeof(ModelVertex) + faces * 2 * sizeof(ModelFace) + 64;
    }
    // Ends a failed load: records the kind and puts the message in the
    // status text. Returns 0, the load's result.
    int FailLoad(ErrorKind kind, const std::string& message);
    void ShowProgress(const std::string& text);
    // "  reading Object index of count", as each source shows its objects.
    void ShowObjectProgress(std::size_t index, std::size_t count);
    void AddWarning(std::string text) { m_warnings.push_back(std::move(text)); }
    // Names object index after a name of any length, as a .3DS object block
    // would: the first 12 characters are kept, and IsNameCut tells whether
    // there were more. "_T" and "_E" that only the part cut off holds are
    // kept after the 12, so that the written flags are those of the whole
    // name while the written name stays the one a .3DS file gives.
    void NameObject(int index, std::string_view wholeName);
    // Sources without animation: one frame, at which every object stands as
    // stored, and a neutral key slot per object unless keys is Skip.
    void StandStill(KeyTracks keys);
    // A .3DS object counts its vertices and faces in 16 bits, and the game's
    // files have always kept to that: an object of a larger count fails the
    // load, the message naming it and its counts. Returns the load's result
    // so far, 1 when the object fits.
    int CheckObjectSize(std::string_view name, std::uint64_t vertexCount, std::uint64_t faceCount);
    // Checks what the consumers of the objects rely on and, for a morph
    // sequence, orders the objects by name. Returns the load's result.
    int FinishLoad();

    std::string* m_pText;
    CStatusSink* m_pStatusSink;
    LoadMode m_nMode = LoadMode::KeyframeModel;
    int m_nFrames = 1;
    int m_nObjects = 0;
    bool m_bKeysRead = false;
    ErrorKind m_error = ErrorKind::None;
    // The objects' mesh arrays, freed at once; it outlives the objects.
    CBulkMemory m_meshMemory;
    std::vector<ModelObject> m_pObjects;
    std::vector<ModelObject*> m_ppSorted;
    std::vector<bool> m_objectNameCut; // by object index
    std::vector<std::string> m_warnings;

private:
    bool CanBuildFrame(int frame);
    void BuildKeyframedFrame(int frame, ModelObject* out);
    void BuildMorphFrame(int frame, ModelObject* out);

    int PartitionSorted(int first, int last);
    void OrderSortedPair(int i, int j);
    void SwapSorted(int i, int j);
};
