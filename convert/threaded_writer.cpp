#include "convert/threaded_writer.h"

#include "geometry/normals.h"
#include "platform/executor.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace
{
// What the lines of an object need besides the object: its vertex normals.
// The face normals they come from are not kept; each thread makes them in
// one buffer, whose memory serves object after object.
void PrepareObject(ModelObject& object)
{
    thread_local std::vector<ModelVertex> faceNormals;
    ComputeObjectVertexNormals(object, faceNormals);
}

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
} // namespace

void WriteObjectsOnThreads(CModelSource& model, CExecutor& executor, const std::string& textureName, bool flip,
                           CModelTextWriter& writer, const TextStretches& stretchSize)
{
    const int objectCount = model.GetObjectCount();
    std::size_t lineCount = 0;
    for (int i = 0; i < objectCount; ++i)
        lineCount += std::size_t{model.GetObject(i)->vertexCount} + model.GetObject(i)->faceCount;
    // A model of one stretch or less costs more to hand to other threads
    // than to write here.
    if (executor.GetThreadCount() <= 1 || lineCount <= stretchSize.faces)
    {
        for (int i = 0; i < objectCount; ++i)
        {
            ModelObject& object = *model.GetObject(i);
            PrepareObject(object);
            writer.WriteObject(object);
        }
        return;
    }
    executor.ForEach(static_cast<std::size_t>(objectCount),
                     [&](std::size_t index) { PrepareObject(*model.GetObject(static_cast<int>(index))); });
    std::vector<std::pair<int, ObjectLines>> stretches;
    std::size_t mostVertices = 0;
    for (int i = 0; i < objectCount; ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        mostVertices = std::max<std::size_t>(mostVertices, object.vertexCount);
        // The first stretch begins the object, though it has no vertices.
        for (std::size_t first = 0; first == 0 || first < object.vertexCount; first += stretchSize.vertices)
            stretches.push_back(
                {i, {first == 0, first, std::min<std::size_t>(first + stretchSize.vertices, object.vertexCount), 0, 0}});
        for (std::size_t first = 0; first < object.faceCount; first += stretchSize.faces)
            stretches.push_back(
                {i, {false, 0, 0, first, std::min<std::size_t>(first + stretchSize.faces, object.faceCount)}});
    }
    CIndexText indices;
    indices.Prepare(mostVertices);
    executor.MakeInOrder(
        stretches.size(),
        [&](std::size_t index, std::string& text) {
            const auto& [object, lines] = stretches[index];
            AppendObjectLines(*model.GetObject(object), lines, textureName, flip, indices, text);
        },
        [&](const std::string& text) { writer.WriteText(text); });
}

void AppendModelTextOnThreads(CModelSource& model, CExecutor& executor, const std::string& textureName, bool flip,
                              std::string& out, const TextStretches& stretches)
{
    CStringSink sink(out);
    CModelTextWriter writer(sink, textureName, flip);
    writer.WriteHeader(model.GetObjectCount());
    WriteObjectsOnThreads(model, executor, textureName, flip, writer, stretches);
    writer.Finish();
}
