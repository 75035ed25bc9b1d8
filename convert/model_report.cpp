#include "convert/model_report.h"

#include "convert/model_text_writer.h"
#include "convert/object_name.h"
#include "convert/output_naming.h"
#include "convert/run_steps.h"
#include "platform/executor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace
{
// The range of values on a few axes, over the values added to it.
template <std::size_t Axes>
struct Range
{
    std::array<double, Axes> low{};
    std::array<double, Axes> high{};
    bool empty = true;

    void Add(const std::array<double, Axes>& value)
    {
        for (std::size_t i = 0; i < Axes; ++i)
        {
            low[i] = empty ? value[i] : std::min(low[i], value[i]);
            high[i] = empty ? value[i] : std::max(high[i], value[i]);
        }
        empty = false;
    }

    // Beyond the range by more than kFarFactor times its largest extent.
    bool IsFar(const std::array<double, Axes>& value) const
    {
        double extent = 1.0;
        for (std::size_t i = 0; i < Axes; ++i)
            extent = std::max(extent, high[i] - low[i]);
        const double margin = kFarFactor * extent;
        for (std::size_t i = 0; i < Axes; ++i)
            if (value[i] < low[i] - margin || value[i] > high[i] + margin)
                return true;
        return false;
    }
};

std::array<double, 3> Position(const ModelVertex& vertex)
{
    return {vertex.x, vertex.y, vertex.z};
}

std::array<double, 2> Mapping(const ModelVertex& vertex)
{
    return {vertex.u, vertex.v};
}

bool IsFinite(const ModelVertex& vertex)
{
    return std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z) &&
           std::isfinite(vertex.u) && std::isfinite(vertex.v);
}

bool IsZero(const ModelVertex& vector)
{
    return vector.x == 0.0f && vector.y == 0.0f && vector.z == 0.0f;
}

void AddWarning(ModelReport& report, WarningKind kind, int object, std::uint64_t count)
{
    if (count > 0)
        report.warnings.push_back({kind, object, count});
}

// The object's counts, box and the warnings its vertices and faces give.
ObjectReport InspectObject(const ModelObject& object, int index, ModelReport& report)
{
    const ObjectLabel label = SplitObjectName(object.name);
    ObjectReport result;
    result.storedName = object.name;
    result.writtenName = label.name;
    result.textureFlag = label.textureFlag;
    result.effectFlag = label.effectFlag;
    result.vertexCount = object.vertexCount;
    result.faceCount = object.faceCount;

    std::vector<bool> used(object.vertexCount, false);
    std::uint64_t zeroAreaFaces = 0;
    for (std::size_t i = 0; i < object.faces.size(); ++i)
    {
        for (const std::int32_t corner : object.faces[i].index)
            used[static_cast<std::size_t>(corner)] = true;
        zeroAreaFaces += IsZero(object.faceNormals[i]) ? 1 : 0;
    }

    Range<3> usedPositions;
    Range<2> usedMapping;
    Range<3> box;
    std::uint64_t unused = 0, notFinite = 0, zeroNormals = 0;
    for (std::size_t i = 0; i < object.vertices.size(); ++i)
    {
        const ModelVertex& vertex = object.vertices[i];
        result.mapping = result.mapping || vertex.u != 0.0f || vertex.v != 0.0f;
        if (!IsFinite(vertex))
            ++notFinite;
        else if (used[i])
        {
            usedPositions.Add(Position(vertex));
            usedMapping.Add(Mapping(vertex));
        }
        if (std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z))
        {
            const double scale = kPositionScale;
            box.Add({vertex.x * scale, vertex.z * scale, vertex.y * scale});
        }
        unused += used[i] ? 0 : 1;
        zeroNormals += used[i] && IsZero(object.vertexNormals[i]) ? 1 : 0;
    }
    if (!box.empty)
    {
        result.boxMin = box.low;
        result.boxMax = box.high;
    }

    std::uint64_t farPositions = 0, farMapping = 0;
    for (const ModelVertex& vertex : object.vertices)
    {
        if (usedPositions.empty || !IsFinite(vertex))
            continue;
        farPositions += usedPositions.IsFar(Position(vertex)) ? 1 : 0;
        farMapping += usedMapping.IsFar(Mapping(vertex)) ? 1 : 0;
    }

    AddWarning(report, WarningKind::UnusedVertices, index, unused);
    AddWarning(report, WarningKind::FarPositions, index, farPositions);
    AddWarning(report, WarningKind::FarMapping, index, farMapping);
    AddWarning(report, WarningKind::NotFinite, index, notFinite);
    AddWarning(report, WarningKind::ZeroAreaFaces, index, zeroAreaFaces);
    AddWarning(report, WarningKind::ZeroNormals, index, zeroNormals);
    return result;
}

// How many objects have key slots that change; none to tell when the
// animation was too long for its keys to be read.
std::optional<int> CountAnimatedObjects(CLoadedModel& model)
{
    if (!model.AreKeysRead())
        return std::nullopt;
    int animated = 0;
    for (int i = 0; i < model.GetObjectCount(); ++i)
        animated += model.IsObjectAnimated(i) ? 1 : 0;
    return animated;
}

// Each object's share and the model's decide; the objects and patches wound
// the other way (mirrored parts, as a rule) are named.
void AdviseFlip(const SurfaceSight& sight, ModelReport& report)
{
    std::vector<std::uint64_t> front(report.objects.size()), back(report.objects.size());
    for (const SurfacePatch& patch : sight.patches)
    {
        front[static_cast<std::size_t>(patch.object)] += patch.frontSeen;
        back[static_cast<std::size_t>(patch.object)] += patch.backSeen;
    }
    std::uint64_t allFront = 0, allBack = 0;
    for (std::size_t i = 0; i < report.objects.size(); ++i)
    {
        report.objects[i].outwardShare = OutwardShare(front[i], back[i]);
        report.objects[i].winding = WindingOfShare(report.objects[i].outwardShare);
        allFront += front[i];
        allBack += back[i];
    }
    report.outwardShare = OutwardShare(allFront, allBack);
    const StoredWinding winding = WindingOfShare(report.outwardShare);
    if (winding != StoredWinding::Outward && winding != StoredWinding::Inward)
        return;
    report.flipAdvice = winding == StoredWinding::Outward ? FlipAdvice::Off : FlipAdvice::On;
    const StoredWinding against = winding == StoredWinding::Outward ? StoredWinding::Inward : StoredWinding::Outward;
    for (std::size_t i = 0; i < report.objects.size(); ++i)
        if (report.objects[i].winding == against)
            report.disagreeingObjects.push_back(static_cast<int>(i));
    // Judged as objects are: a sheet seen about as much from each side is
    // against no setting.
    for (const SurfacePatch& patch : sight.patches)
        if (WindingOfShare(OutwardShare(patch.frontSeen, patch.backSeen)) == against)
            report.patchesAgainst.push_back({patch.object, patch.faceCount});
}

void AddNameWarnings(const CLoadedModel& model, ModelReport& report)
{
    std::map<std::string, int> objectsByWrittenName;
    for (const ObjectReport& object : report.objects)
        ++objectsByWrittenName[object.writtenName];
    for (std::size_t i = 0; i < report.objects.size(); ++i)
    {
        const int index = static_cast<int>(i);
        AddWarning(report, WarningKind::NameCut, index, model.IsNameCut(index) ? 1 : 0);
        const int sharing = objectsByWrittenName[report.objects[i].writtenName];
        AddWarning(report, WarningKind::NameCollision, index, sharing > 1 ? sharing : 0);
    }
}
} // namespace

bool InspectModel(const ConversionRequest& inspected, CStatusSink& status, ConversionResult& result)
{
    ConversionRequest request;
    request.inputPath = inspected.inputPath;
    request.objUp = inspected.objUp;
    request.readStandardInput = inspected.readStandardInput;
    // Standard input converts only with -o, which --info does not take; its
    // name when written to standard output stands in.
    request.writeStandardOutput = inspected.readStandardInput;
    request.outputPath = inspected.readStandardInput ? "" : DefaultOutputName(inspected.inputPath);
    OpenedRun run;
    if (!OpenRun(request, result, run))
        return false;
    ModelReport& report = result.report.emplace();
    report.textureName = run.textureName;

    // Loaded as ConvertModel loads it, so that --info fails only where the
    // conversion fails: keys that do not fit the limits are skipped, not
    // refused.
    const std::unique_ptr<CLoadedModel> loaded =
        LoadRun(run, request, KeyTracks::ReadWhenTheyFit, LoadMode::KeyframeModel, status, result);
    if (!loaded)
    {
        result.report.reset();
        return false;
    }
    CLoadedModel& model = *loaded;
    report.format = run.format;
    model.ComputeFaceNormals();
    model.ComputeVertexNormals();

    for (int i = 0; i < model.GetObjectCount(); ++i)
        report.objects.push_back(InspectObject(*model.GetObject(i), i, report));
    AddNameWarnings(model, report);
    std::stable_sort(report.warnings.begin(), report.warnings.end(),
                     [](const ReportWarning& a, const ReportWarning& b) { return a.object < b.object; });
    std::vector<const ModelObject*> objects;
    for (int i = 0; i < model.GetObjectCount(); ++i)
        objects.push_back(model.GetObject(i));
    std::optional<CExecutor> ownExecutor;
    CExecutor& executor = inspected.executor ? *inspected.executor : ownExecutor.emplace();
    AdviseFlip(LookAtSurface(objects, executor), report);

    report.frames = model.GetFrameSegmentLength();
    report.animatedObjects = report.frames > 1 ? CountAnimatedObjects(model) : 0;
    if (report.frames > 1 && report.animatedObjects == 0)
        report.warnings.push_back({WarningKind::StillAnimation, -1, static_cast<std::uint64_t>(report.frames)});
    return true;
}

const char* WarningName(WarningKind kind)
{
    switch (kind)
    {
    case WarningKind::UnusedVertices:
        return "unused-vertices";
    case WarningKind::FarPositions:
        return "far-positions";
    case WarningKind::FarMapping:
        return "far-mapping";
    case WarningKind::NotFinite:
        return "not-finite";
    case WarningKind::ZeroAreaFaces:
        return "zero-area-faces";
    case WarningKind::ZeroNormals:
        return "zero-normals";
    case WarningKind::NameCut:
        return "name-cut";
    case WarningKind::NameCollision:
        return "name-collision";
    case WarningKind::StillAnimation:
        return "still-animation";
    }
    return "";
}
