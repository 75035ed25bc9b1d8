// Writes a large deterministic model for benchmarks and scaling runs:
//
//   tessaline-make-bench-model OUTPUT [--objects N] [--vertices V] [--faces F] [--no-groups]
//
// N objects (default 16) of V vertices each (default 32768, at most 65535),
// each with every face its grid gives, cut to F faces when F is given. An
// OUTPUT ending in .obj or .gltf gets the same objects as an OBJ file (Y up)
// or a glTF file with its buffer embedded; any other a .3DS file.
#include "bench/bench_model.h"
#include "bench/gltf_writer.h"
#include "fixtures/obj_writer.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace
{
bool ParseCount(std::string_view text, std::uint32_t& value)
{
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, value);
    return result.ec == std::errc{} && result.ptr == last;
}

bool ParseArguments(int argc, char** argv, const char*& outputPath, bench::BenchModelShape& shape)
{
    outputPath = nullptr;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view argument = argv[i];
        std::uint32_t* target = nullptr;
        if (argument == "--no-groups")
        {
            shape.materialGroups = false;
            continue;
        }
        if (argument == "--objects")
            target = &shape.objectCount;
        else if (argument == "--vertices")
            target = &shape.verticesPerObject;
        else if (argument == "--faces")
            target = &shape.maxFacesPerObject;
        else if (!outputPath && !argument.starts_with("-"))
        {
            outputPath = argv[i];
            continue;
        }
        if (!target || i + 1 >= argc || !ParseCount(argv[++i], *target))
            return false;
    }
    return outputPath && shape.verticesPerObject >= 4 && shape.verticesPerObject <= bench::kMaxCountPerObject;
}
} // namespace

int main(int argc, char** argv)
{
    const char* outputPath = nullptr;
    bench::BenchModelShape shape;
    shape.objectCount = 16;
    if (!ParseArguments(argc, argv, outputPath, shape))
    {
        std::fprintf(stderr, "Usage: %s OUTPUT [--objects N] [--vertices V (4 to 65535)] [--faces F] [--no-groups]\n", argv[0]);
        return 2;
    }
    const std::string_view path = outputPath;
    std::vector<std::uint8_t> bytes;
    if (path.ends_with(".obj") || path.ends_with(".gltf"))
    {
        const std::vector<fixtures::Mesh> meshes = bench::MakeBenchMeshes(shape);
        const std::string text = path.ends_with(".obj") ? fixtures::BuildObjFile(meshes) : bench::BuildGltfFile(meshes);
        bytes.assign(text.begin(), text.end());
    }
    else
        bytes = bench::BuildBenchModel(shape);
    if (!fixtures::WriteFile(outputPath, bytes))
    {
        std::fprintf(stderr, "Error: Could not write %s: %s\n", outputPath, std::strerror(errno));
        return 1;
    }
    std::printf("%s: %u objects, %llu vertices, %llu faces, %zu bytes\n", outputPath, shape.objectCount,
                static_cast<unsigned long long>(bench::TotalVertices(shape)),
                static_cast<unsigned long long>(bench::TotalFaces(shape)), bytes.size());
    return 0;
}
