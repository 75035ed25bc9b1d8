#pragma once

#include "convert/index_text.h"
#include "records/model_records.h"
#include "model/model_source.h"
#include "platform/byte_sink.h"

#include <cstddef>
#include <memory>
#include <string>

// Positions are written scaled by the float nearest to 0.04; each product
// with a float coordinate is exact in double precision.
inline constexpr float kPositionScale = 0.04f;

// Writes the model text file: a header, then per object five lines, its
// vertex lines and its face lines. Lines end in a line feed alone; numbers
// are written independently of the process locale.
//
// Text collects in a buffer that goes to the sink whenever it fills and at
// Finish(), so a sink sees few large writes.
class CModelTextWriter
{
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    // flip keeps each face's stored winding; otherwise faces are written
    // reversed. Face lines take their index text from sharedIndices when
    // given (prepared for the largest object, and shared by writers on
    // several threads), else from the writer's own.
    CModelTextWriter(CByteSink& sink, std::string textureName, bool flip, const CIndexText* sharedIndices = nullptr);
    ~CModelTextWriter();
    CModelTextWriter(const CModelTextWriter&) = delete;
    CModelTextWriter& operator=(const CModelTextWriter&) = delete;

    void WriteHeader(int objectCount);
    // The name line holds the name before its first '_'; "_T" and "_E" in the
    // whole name set the texture and effect flags. The object must be well
    // formed (IsWellFormed) and have its vertex normals.
    void WriteObject(const ModelObject& object);
    // WriteObject in parts, for writers that share one object: the five
    // lines that begin it, and its vertex and face lines from first up to
    // last.
    void WriteObjectStart(const ModelObject& object);
    void WriteVertexLines(const ModelObject& object, std::size_t first, std::size_t last);
    void WriteFaceLines(const ModelObject& object, std::size_t first, std::size_t last);
    // Text made elsewhere, such as by AppendObjectText, written as it is.
    void WriteText(std::string_view text) { Append(text); }
    // Hands the rest of the buffer to the sink. False when any write to the
    // sink failed; nothing more is written after the first failure.
    bool Finish();

private:
    void WriteVertexLine(const ModelVertex& vertex, const ModelVertex& normal);
    void WriteFaceLine(const ModelFace& face);
    void Append(std::string_view text);
    void AppendInteger(long long value);
    // Makes room for count bytes and returns where they go; Commit marks
    // the bytes up to end as written.
    char* Reserve(std::size_t count);
    void Commit(char* end) { m_nUsed = static_cast<std::size_t>(end - m_pBuffer.get()); }
    void FlushBuffer();

    CByteSink& m_sink;
    std::string m_strTextureName;
    bool m_bFlip;
    bool m_bFailed = false;
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nUsed = 0;
    CIndexText m_indexText;              // prepared here unless shared text was given
    const CIndexText* m_pIndices;        // the text face lines take: shared, or m_indexText
};

// The whole file for a loaded model with normals, through GetObjectCount and
// GetObject. Names are read, not changed. False when the sink failed.
bool WriteModelText(CModelSource& model, const std::string& textureName, bool flip, CByteSink& sink);

// The same text, appended to out.
void AppendModelText(CModelSource& model, const std::string& textureName, bool flip, std::string& out);

// A stretch of an object's lines: its start when start is set, then vertex
// and face lines from first up to last.
struct ObjectLines
{
    bool start = false;
    std::size_t firstVertex = 0;
    std::size_t lastVertex = 0;
    std::size_t firstFace = 0;
    std::size_t lastFace = 0;
};

// Those lines, as WriteObject writes them, appended to out; indices holds
// the text of the object's vertex indices.
void AppendObjectLines(const ModelObject& object, const ObjectLines& lines, const std::string& textureName, bool flip,
                       const CIndexText& indices, std::string& out);
