#include "convert/model_text_writer.h"

#include "convert/number_format.h"
#include "convert/object_name.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstring>

namespace
{
constexpr std::size_t kRealsPerVertexLine = 8;
constexpr std::size_t kMaxVertexLineChars = kRealsPerVertexLine * (kMaxRealChars + 1);
constexpr std::size_t kMaxIntegerChars = 24;
constexpr std::size_t kMaxFaceLineChars = 3 * (kMaxIntegerChars + 1);

class CStringSink : public CByteSink
{
public:
    explicit CStringSink(std::string& out) : m_out(out) {}
    bool Write(const char* data, std::size_t count) override
    {
        m_out.append(data, count);
        return true;
    }

private:
    std::string& m_out;
};

char* PutInteger(char* out, long long value)
{
    return std::to_chars(out, out + kMaxIntegerChars, value).ptr;
}

char* PutReal(char* out, double value, char separator)
{
    out = FormatReal(out, value);
    *out = separator;
    return out + 1;
}
} // namespace

CModelTextWriter::CModelTextWriter(CByteSink& sink, std::string textureName, bool flip,
                                   const CIndexText* sharedIndices)
    : m_sink(sink)
    , m_strTextureName(std::move(textureName))
    , m_bFlip(flip)
    , m_pBuffer(std::make_unique_for_overwrite<char[]>(kBufferSize))
    , m_pIndices(sharedIndices != nullptr ? sharedIndices : &m_indexText)
{
}

CModelTextWriter::~CModelTextWriter() = default;

void CModelTextWriter::WriteHeader(int objectCount)
{
    Append("C3DModel\n4\n");
    AppendInteger(objectCount);
    Append("\n0,50.000000\n");
}

void CModelTextWriter::WriteObject(const ModelObject& object)
{
    WriteObjectStart(object);
    WriteVertexLines(object, 0, object.vertexCount);
    WriteFaceLines(object, 0, object.faceCount);
}

void CModelTextWriter::WriteObjectStart(const ModelObject& object)
{
    if (m_bFailed)
        return;
    assert(IsWellFormed(object) && object.vertexNormals.size() == object.vertexCount);
    const ObjectLabel label = SplitObjectName(object.name);
    Append(label.name);
    Append("\n1\n1\n");
    AppendInteger(static_cast<long long>(object.vertexCount));
    Append(",1,");
    AppendInteger(static_cast<long long>(object.faceCount));
    Append(",0\n1.0,1.0,64.0,");
    AppendInteger(label.textureFlag);
    Append(",");
    AppendInteger(label.effectFlag);
    Append(",");
    Append(m_strTextureName);
    Append("\n");
}

void CModelTextWriter::WriteVertexLines(const ModelObject& object, std::size_t first, std::size_t last)
{
    assert(first <= last && last <= object.vertexCount && object.vertexNormals.size() == object.vertexCount);
    for (std::size_t i = first; i < last && !m_bFailed; ++i)
        WriteVertexLine(object.vertices[i], object.vertexNormals[i]);
}

void CModelTextWriter::WriteFaceLines(const ModelObject& object, std::size_t first, std::size_t last)
{
    assert(first <= last && last <= object.faceCount && IsWellFormed(object));
    if (first == last)
        return;
    if (m_pIndices == &m_indexText)
        m_indexText.Prepare(object.vertexCount);
    for (std::size_t i = first; i < last && !m_bFailed; ++i)
        WriteFaceLine(object.faces[i]);
}

// Position with y and z exchanged and scaled, normal with y and z exchanged, u, v.
void CModelTextWriter::WriteVertexLine(const ModelVertex& vertex, const ModelVertex& normal)
{
    const double scale = kPositionScale;
    char* out = Reserve(kMaxVertexLineChars);
    out = PutReal(out, vertex.x * scale, ',');
    out = PutReal(out, vertex.z * scale, ',');
    out = PutReal(out, vertex.y * scale, ',');
    out = PutReal(out, normal.x, ',');
    out = PutReal(out, normal.z, ',');
    out = PutReal(out, normal.y, ',');
    out = PutReal(out, vertex.u, ',');
    out = PutReal(out, vertex.v, '\n');
    Commit(out);
}

void CModelTextWriter::WriteFaceLine(const ModelFace& face)
{
    const int first = m_bFlip ? 0 : 2;
    const int step = m_bFlip ? 1 : -1;
    const CIndexText& indices = *m_pIndices;
    char* out = Reserve(kMaxFaceLineChars);
    out = indices.Put(out, face.index[first]);
    *out++ = ',';
    out = indices.Put(out, face.index[first + step]);
    *out++ = ',';
    out = indices.Put(out, face.index[first + 2 * step]);
    *out++ = '\n';
    Commit(out);
}

void CModelTextWriter::Append(std::string_view text)
{
    if (text.size() > kBufferSize - m_nUsed)
        FlushBuffer();
    if (text.size() > kBufferSize)
    {
        if (!m_bFailed && !m_sink.Write(text.data(), text.size()))
            m_bFailed = true;
        return;
    }
    std::memcpy(m_pBuffer.get() + m_nUsed, text.data(), text.size());
    m_nUsed += text.size();
}

void CModelTextWriter::AppendInteger(long long value)
{
    Commit(PutInteger(Reserve(kMaxIntegerChars), value));
}

char* CModelTextWriter::Reserve(std::size_t count)
{
    if (count > kBufferSize - m_nUsed)
        FlushBuffer();
    return m_pBuffer.get() + m_nUsed;
}

void CModelTextWriter::FlushBuffer()
{
    if (m_nUsed > 0 && !m_bFailed && !m_sink.Write(m_pBuffer.get(), m_nUsed))
        m_bFailed = true;
    // After a failure the text is dropped, so the buffer never grows.
    m_nUsed = 0;
}

bool CModelTextWriter::Finish()
{
    FlushBuffer();
    return !m_bFailed;
}

bool WriteModelText(CModelSource& model, const std::string& textureName, bool flip, CByteSink& sink)
{
    CModelTextWriter writer(sink, textureName, flip);
    const int objectCount = model.GetObjectCount();
    writer.WriteHeader(objectCount);
    for (int i = 0; i < objectCount; ++i)
        writer.WriteObject(*model.GetObject(i));
    return writer.Finish();
}

void AppendModelText(CModelSource& model, const std::string& textureName, bool flip, std::string& out)
{
    CStringSink sink(out);
    WriteModelText(model, textureName, flip, sink);
}

void AppendObjectLines(const ModelObject& object, const ObjectLines& lines, const std::string& textureName, bool flip,
                       const CIndexText& indices, std::string& out)
{
    CStringSink sink(out);
    CModelTextWriter writer(sink, textureName, flip, &indices);
    if (lines.start)
        writer.WriteObjectStart(object);
    writer.WriteVertexLines(object, lines.firstVertex, lines.lastVertex);
    writer.WriteFaceLines(object, lines.firstFace, lines.lastFace);
    writer.Finish();
}
