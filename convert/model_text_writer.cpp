#include "convert/model_text_writer.h"

#include "convert/number_format.h"
#include "convert/object_name.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cstring>

namespace
{
// The float nearest to 0.04; each product with a float coordinate is exact
// in double precision.
constexpr float kPositionScale = 0.04f;
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

CModelTextWriter::CModelTextWriter(CByteSink& sink, std::string textureName, bool flip)
    : m_sink(sink)
    , m_strTextureName(std::move(textureName))
    , m_bFlip(flip)
    , m_pBuffer(std::make_unique<char[]>(kBufferSize))
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
    if (m_bFailed)
        return;
    assert(IsWellFormed(object) && object.vertexNormals.size() == object.vertexCount);
    const ObjectLabel label = SplitObjectName(object.name);
    const std::size_t vertexCount = object.vertexCount;
    const std::size_t faceCount = object.faceCount;

    Append(label.name);
    Append("\n1\n1\n");
    AppendInteger(static_cast<long long>(vertexCount));
    Append(",1,");
    AppendInteger(static_cast<long long>(faceCount));
    Append(",0\n1.0,1.0,64.0,");
    AppendInteger(label.textureFlag);
    Append(",");
    AppendInteger(label.effectFlag);
    Append(",");
    Append(m_strTextureName);
    Append("\n");

    for (std::size_t i = 0; i < vertexCount && !m_bFailed; ++i)
        WriteVertexLine(object.vertices[i], object.vertexNormals[i]);
    if (faceCount > 0)
        m_indexText.Prepare(vertexCount);
    for (std::size_t i = 0; i < faceCount && !m_bFailed; ++i)
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
    char* out = Reserve(kMaxFaceLineChars);
    out = m_indexText.Put(out, face.index[first]);
    *out++ = ',';
    out = m_indexText.Put(out, face.index[first + step]);
    *out++ = ',';
    out = m_indexText.Put(out, face.index[first + 2 * step]);
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

void AppendObjectText(const ModelObject& object, const std::string& textureName, bool flip, std::string& out)
{
    CStringSink sink(out);
    CModelTextWriter writer(sink, textureName, flip);
    writer.WriteObject(object);
    writer.Finish();
}
