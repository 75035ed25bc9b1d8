#include "convert/preview.h"

#include "convert/run_steps.h"
#include "geometry/winding.h"
#include "platform/atomic_output_file.h"
#include "platform/executor.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace
{
struct Direction
{
    float x, y, z;
};

Direction Normalized(Direction d)
{
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / length, d.y / length, d.z / length};
}

float Dot(Direction a, Direction b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Direction Cross(Direction a, Direction b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Direction Between(const ModelVertex& from, const ModelVertex& to)
{
    return {to.x - from.x, to.y - from.y, to.z - from.z};
}

// The picture's frame, in the stored coordinates (z up): the viewer lies
// toward toViewer from the model, the picture's right and up axes complete a
// right-handed frame with it, so that counter-clockwise on the screen is
// counter-clockwise as seen from the viewer.
struct ViewFrame
{
    Direction toViewer, right, up;
};

ViewFrame FrameOf(ViewDirection view)
{
    const Direction toViewer = Normalized({view.x, view.y, view.z});
    // Looking straight down or up, the picture's up is along y.
    const Direction up = std::abs(toViewer.z) > 0.99f ? Direction{0.0f, 1.0f, 0.0f} : Direction{0.0f, 0.0f, 1.0f};
    const Direction right = Normalized(Cross(up, toViewer));
    return {toViewer, right, Cross(toViewer, right)};
}

// From above, to the viewer's left: the three sides of a box that face the
// viewer get three different shades.
const Direction kToLight = Normalized({0.4f, -0.7f, 1.0f});
constexpr float kAmbient = 0.35f;
// The part of the picture the model's larger extent fills.
constexpr float kFill = 0.9f;

using Objects = std::vector<const ModelObject*>;
// Each object's vertices projected: x and y in pixels, depth toward the viewer.
using ProjectedModel = std::vector<std::vector<RasterPoint>>;

ProjectedModel Project(const Objects& objects, int size, const ViewFrame& frame)
{
    ProjectedModel projected(objects.size());
    // Only the vertices that faces use count for the fit: a stray vertex far
    // away would shrink the model to a dot.
    float left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (std::size_t i = 0; i < projected.size(); ++i)
    {
        const ModelObject& object = *objects[i];
        std::vector<RasterPoint>& points = projected[i];
        points.reserve(object.vertexCount);
        for (const ModelVertex& v : object.vertices)
        {
            const Direction p{v.x, v.y, v.z};
            points.push_back({Dot(p, frame.right), -Dot(p, frame.up), Dot(p, frame.toViewer)});
        }
        for (const ModelFace& face : object.faces)
            for (std::int32_t index : face.index)
            {
                const RasterPoint& point = points[index];
                if (!std::isfinite(point.x) || !std::isfinite(point.y))
                    continue;
                left = std::min(left, point.x);
                right = std::max(right, point.x);
                top = std::min(top, point.y);
                bottom = std::max(bottom, point.y);
            }
    }
    const float extent = std::max(right - left, bottom - top);
    const float scale = extent > 0.0f && std::isfinite(extent) ? kFill * float(size) / extent : 1.0f;
    const float centreX = left <= right ? (left + right) / 2 : 0.0f;
    const float centreY = top <= bottom ? (top + bottom) / 2 : 0.0f;
    for (std::vector<RasterPoint>& points : projected)
        for (RasterPoint& point : points)
        {
            point.x = (point.x - centreX) * scale + float(size) / 2;
            point.y = (point.y - centreY) * scale + float(size) / 2;
        }
    return projected;
}

RgbColour Shaded(RgbColour colour, float light)
{
    const float factor = kAmbient + (1.0f - kAmbient) * light;
    return {std::uint8_t(colour.red * factor), std::uint8_t(colour.green * factor),
            std::uint8_t(colour.blue * factor)};
}

// Draws part `part` of `partCount` of every object's faces.
void DrawFaces(const Objects& objects, const ProjectedModel& projected, const ViewFrame& frame, bool flip,
               int part, int partCount, CRasterImage& image)
{
    for (std::size_t i = 0; i < objects.size(); ++i)
    {
        const ModelObject& object = *objects[i];
        const std::size_t first = object.faces.size() * part / partCount;
        const std::size_t last = object.faces.size() * (part + 1) / partCount;
        for (std::size_t f = first; f < last; ++f)
        {
            const std::int32_t* index = object.faces[f].index;
            const ModelVertex& a = object.vertices[index[0]];
            const ModelVertex& b = object.vertices[index[1]];
            const ModelVertex& c = object.vertices[index[2]];
            const Direction normal = Cross(Between(a, b), Between(a, c));
            const float length = std::sqrt(Dot(normal, normal));
            if (!(length > 0.0f) || !std::isfinite(length))
                continue;
            // Decided on the stored corners: the conversion's exchange of y
            // and z mirrors the model and would turn every face around.
            const ViewDirection toViewer{frame.toViewer.x, frame.toViewer.y, frame.toViewer.z};
            const bool drawn = ShowsFront(a, b, c, toViewer) != flip;
            const float light = std::abs(Dot(normal, kToLight)) / length;
            const std::vector<RasterPoint>& points = projected[i];
            image.FillTriangle(points[index[0]], points[index[1]], points[index[2]],
                               Shaded(drawn ? kPreviewDrawnColour : kPreviewCulledColour, light));
        }
    }
}

void WriteBytes(png_structp png, png_bytep data, png_size_t count)
{
    // A failed write is remembered by the output and reported when it is
    // committed, with its reason.
    static_cast<CAtomicOutputFile*>(png_get_io_ptr(png))->Write(reinterpret_cast<const char*>(data), count);
}

void FlushNothing(png_structp)
{
}

// False when libpng gave up (out of memory); the rows go to the output.
bool WritePng(const CRasterImage& image, CAtomicOutputFile& output)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &output, WriteBytes, FlushNothing);
    png_set_IHDR(png, info, png_uint_32(image.GetWidth()), png_uint_32(image.GetHeight()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.GetHeight(); ++y)
        png_write_row(png, image.GetRow(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
} // namespace

CRasterImage RenderPreview(CModelSource& model, int size, bool flip, bool both, CExecutor& executor,
                           ViewDirection toViewer)
{
    Objects objects;
    for (int i = 0; i < model.GetObjectCount(); ++i)
        objects.push_back(model.GetObject(i));
    const ViewFrame frame = FrameOf(toViewer);
    const ProjectedModel projected = Project(objects, size, frame);

    // Two parts: one view each, or half of one view's faces each, with a
    // depth buffer of its own; the halves are merged.
    std::vector<CRasterImage> parts(2, CRasterImage(size, size, kPreviewBackground));
    executor.ForEach(parts.size(), [&](std::size_t part) {
        const int task = static_cast<int>(part);
        DrawFaces(objects, projected, frame, both ? task == 1 : flip, both ? 0 : task, both ? 1 : 2, parts[part]);
    });
    if (!both)
    {
        parts[0].MergeNearer(parts[1]);
        return std::move(parts[0]);
    }
    CRasterImage picture(2 * size, size, kPreviewBackground);
    picture.Paste(parts[0], 0);
    picture.Paste(parts[1], size);
    return picture;
}

bool WritePreview(const ConversionRequest& request, CStatusSink& status, ConversionResult& result)
{
    OpenedRun run;
    if (!OpenInput(request.inputPath, request.readStandardInput, result, run.input))
        return false;
    const std::string outputPath = request.writeStandardOutput ? std::string() : request.outputPath;
    CAtomicOutputFile output;
    {
        // The objects as stored, as converted.
        const std::unique_ptr<CLoadedModel> model =
            LoadRun(run, request, KeyTracks::Skip, LoadMode::KeyframeModel, status, result);
        if (!model)
            return false;
        std::optional<CExecutor> ownExecutor;
        CExecutor& executor = request.executor ? *request.executor : ownExecutor.emplace(2);
        const CRasterImage picture =
            RenderPreview(*model, request.previewSize, request.flip, request.previewBoth, executor);
        if (!CreateOutput(result, output, outputPath))
            return false;
        if (!WritePng(picture, output))
            return Fail(result, ErrorKind::OutOfMemory, "Error: Could not make the picture: out of memory");
    }
    return CommitOutput(result, output, outputPath);
}
