#include "model/loaded_model.h"

#include "geometry/normals.h"

#include <algorithm>
#include <cmath>

namespace
{
bool SameValue(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool KeysChange(const std::vector<ModelVertex>& keys)
{
    return std::any_of(keys.begin(), keys.end(), [&](const ModelVertex& key) {
        return !SameValue(key.x, keys[0].x) || !SameValue(key.y, keys[0].y) || !SameValue(key.z, keys[0].z);
    });
}
} // namespace

CLoadedModel::CLoadedModel(CStatusSink* statusSink, std::string* text) : m_pText(text), m_pStatusSink(statusSink)
{
}

ModelObject* CLoadedModel::GetObject(int index)
{
    return &m_pObjects[static_cast<std::size_t>(index)];
}

int CLoadedModel::GetFrameCount()
{
    return m_nMode != LoadMode::KeyframeModel ? m_nObjects : m_nFrames;
}

int CLoadedModel::GetObjectCount()
{
    return m_nObjects;
}

int CLoadedModel::ComputeFaceNormals()
{
    for (int i = 0; i < GetObjectCount(); ++i)
        ComputeObjectFaceNormals(*GetObject(i));
    return 0;
}

int CLoadedModel::ComputeVertexNormals()
{
    for (int i = 0; i < GetObjectCount(); ++i)
        ComputeObjectVertexNormals(*GetObject(i));
    return 0;
}

bool CLoadedModel::IsObjectAnimated(int index) const
{
    if (!m_bKeysRead)
        return false;
    const ModelObject& object = m_pObjects[static_cast<std::size_t>(index)];
    return KeysChange(object.positionKeys) || KeysChange(object.rotationKeys) || KeysChange(object.scaleKeys);
}

const std::string& CLoadedModel::GetErrorText() const
{
    static const std::string none;
    return m_error != ErrorKind::None && m_pText ? *m_pText : none;
}

void CLoadedModel::MakeObjects(int count, std::size_t meshBytes)
{
    m_pObjects.clear();
    m_ppSorted.clear();
    m_objectNameCut.assign(static_cast<std::size_t>(count), false);
    m_meshMemory.Release(meshBytes);
    m_nObjects = count;
    m_pObjects.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        m_pObjects.push_back(ObjectIn(&m_meshMemory));
}

int CLoadedModel::FailLoad(ErrorKind kind, const std::string& message)
{
    m_error = kind;
    if (m_pText)
        *m_pText = message;
    return 0;
}

void CLoadedModel::ShowProgress(const std::string& text)
{
    if (m_pStatusSink)
        m_pStatusSink->ShowProgress(text);
}

void CLoadedModel::ShowObjectProgress(std::size_t index, std::size_t count)
{
    ShowProgress("  reading Object " + std::to_string(index) + " of " + std::to_string(count));
}

int CLoadedModel::FinishLoad()
{
    // Every consumer of a face indexes its object's vertices with it, so a
    // face that names a vertex the object does not have makes the file
    // unusable. The source has already made each array match its count.
    for (const ModelObject& object : m_pObjects)
    {
        if (!IsWellFormed(object))
            return FailLoad(ErrorKind::Damaged, "Error reading input file, a face of object " + object.name +
                                                    " uses a vertex that the object does not have.");
    }
    if (m_nMode != LoadMode::MorphSequence)
        return 1;

    ShowProgress("  Sorting objects...");
    m_ppSorted.resize(static_cast<std::size_t>(m_nObjects));
    for (int i = 0; i < m_nObjects; ++i)
        m_ppSorted[static_cast<std::size_t>(i)] = &m_pObjects[static_cast<std::size_t>(i)];
    SortObjects(0, m_nObjects - 1);
    return 1;
}

std::string NameInMessages(std::string_view name)
{
    return name.empty() ? "(unnamed)" : std::string(name);
}

void CLoadedModel::NameObject(int index, std::string_view wholeName)
{
    constexpr std::size_t kKept = 12;
    const std::string_view kept = wholeName.substr(0, kKept);
    std::string name(kept);
    for (const std::string_view flag : {std::string_view("_T"), std::string_view("_E")})
        if (kept.find(flag) == std::string_view::npos && wholeName.find(flag) != std::string_view::npos)
            name += flag;
    const auto slot = static_cast<std::size_t>(index);
    m_pObjects[slot].name = std::move(name);
    m_objectNameCut[slot] = wholeName.size() > kKept;
}

int CLoadedModel::CheckObjectSize(std::string_view name, std::uint64_t vertexCount, std::uint64_t faceCount)
{
    constexpr std::uint64_t kMostPerObject = 65535;
    if (vertexCount <= kMostPerObject && faceCount <= kMostPerObject)
        return 1;
    return FailLoad(ErrorKind::TooLarge, "Error reading input file, object " + NameInMessages(name) + " has " +
                                             std::to_string(vertexCount) + " vertices and " +
                                             std::to_string(faceCount) + " faces, more than the " +
                                             std::to_string(kMostPerObject) + " of each that an object may have.");
}

void CLoadedModel::StandStill(KeyTracks keys)
{
    m_nFrames = 1;
    m_bKeysRead = keys != KeyTracks::Skip;
    if (!m_bKeysRead)
        return;
    for (ModelObject& object : m_pObjects)
    {
        object.positionKeys.assign(1, ModelVertex{0, 0, 0});
        object.rotationKeys.assign(1, ModelVertex{0, 0, 0});
        object.scaleKeys.assign(1, ModelVertex{1, 1, 1});
    }
}
