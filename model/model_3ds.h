#pragma once

#include "model/model_source.h"
#include "model/status_sink.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A model read from a .3DS chunk file.
class CModel3DS : public CModelSource
{
public:
    // statusSink may be null: messages then only reach *text.
    CModel3DS(CStatusSink* statusSink, std::string* text);

    ModelObject* GetObject(int index) override;
    // Mode 0: every object placed by its keys at that frame, merged into one
    // object named after object 0 (an empty object when there are none);
    // keys that an object lacks for the frame count as neutral. Mode 1: a
    // copy of the frame-th object in name order. The name is appended to
    // out's, the vertex and face arrays replaced, normals, pivot and keys
    // left alone. A frame outside [0, GetFrameCount()) sets out->valid to 0
    // and changes nothing else; a filled record gets valid 1.
    void BuildFrame(int frame, ModelObject* out) override;
    int Load(CInputFile* file) override;
    int GetFrameCount() override;
    int GetObjectCount() override;

    // mode 0: keyframe model; mode 1: morph sequence ordered by name.
    int LoadFile(CInputFile* file, int mode);
    int ReadChunks(CInputFile* file, std::uint32_t start, std::uint32_t length);

    int ComputeFaceNormals();
    int ComputeVertexNormals();

    void SortObjects(int first, int last);
    int PartitionSorted(int first, int last);
    void OrderSortedPair(int i, int j);
    void SwapSorted(int i, int j);

    // The objects in name order (mode 1 only).
    ModelObject* GetSorted(int index) { return m_ppSorted[index]; }
    int GetFrameSegmentLength() const { return m_nFrames; }
    int GetMode() const { return m_nMode; }

private:
    int WalkLevel(CInputFile* file, std::uint64_t start, std::uint64_t end, int depth);
    int HandleChunk(CInputFile* file, std::uint16_t id, std::uint64_t dataStart, std::uint64_t chunkEnd, int depth);
    int ReadObjectBlock(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd, int depth);
    int ReadTriangleMesh(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd, int depth);
    int ReadListCount(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd, std::uint64_t recordSize,
                      std::uint32_t& count);
    int ReadVertexList(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    int ReadFaceList(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    int ReadMapping(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    void ReadSegment(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    void ReadMaterialGroup(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    void ReadLocalAxes(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    void ReadNodeHeader(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    int ReadPositionOrScaleTrack(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd, bool scale);
    int ReadRotationTrack(CInputFile* file, std::uint64_t dataStart, std::uint64_t chunkEnd);
    bool CanBuildFrame(int frame);
    void BuildKeyframedFrame(int frame, ModelObject* out);
    void BuildMorphFrame(int frame, ModelObject* out);
    int CheckFaceIndices();
    int CheckKeySlots(std::uint64_t fileLength);
    ModelObject* CurrentObject();
    ModelObject* NodeObject();

    void ShowMessage(const std::string& text);
    void ShowProgress(const std::string& text);

    std::string* m_pText;
    CStatusSink* m_pStatusSink;
    int m_nMode = 0;
    char m_szName[13] = {};
    int m_nPointCount = -1;
    int m_nFrames = 1;
    int m_bReading = 0;
    int m_nObjects = 0;
    int m_nCurrent = -1;
    int m_nNodeObject = 0;
    std::vector<ModelObject> m_pObjects;
    std::vector<ModelObject*> m_ppSorted;
    // The lowest index of each object name read so far, kept whole or cut to
    // its first 12 characters, for matching node headers to objects.
    std::map<std::string, int> m_firstObjectByName;
    std::map<std::string, int> m_firstCutObjectByName;
    bool m_bNameCut = false;
    std::uint64_t m_nRotationWork = 0;
    std::uint64_t m_nRotationBudget = 0;
};
