// Keyframed .3DS files made by other programs, taken from the Debian package
// assimp-testmodels when it is installed.

#include "tests/model/loaded_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace
{
const char* const kModelFolder = "/usr/share/assimp/models/3DS";

std::vector<std::filesystem::path> FindPackagedModels()
{
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kModelFolder, error))
    {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".3ds")
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream), {});
}

double Distance(double ax, double ay, double az, double bx, double by, double bz)
{
    return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by) + (az - bz) * (az - bz));
}

// Relative to the size of the numbers involved: float rounding of the
// transform's steps, not an absolute error.
double Tolerance(double magnitude)
{
    return 1e-5 * std::max(1.0, magnitude);
}

bool HasNeutralScale(const ModelObject& object)
{
    return std::all_of(object.scaleKeys.begin(), object.scaleKeys.end(),
                       [](const ModelVertex& s) { return s.x == 1 && s.y == 1 && s.z == 1; });
}

bool IsTurned(const ModelVertex& r)
{
    return r.x != 0 || r.y != 0 || r.z != 0;
}

class PackagedModels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        paths = FindPackagedModels();
        if (paths.empty())
            GTEST_SKIP() << "assimp-testmodels is not installed";
    }

    std::vector<std::filesystem::path> paths;
};
} // namespace

TEST_F(PackagedModels, KeyframedModelsLoadAndFrameZeroIsTheStoredMesh)
{
    int keyframed = 0;
    for (const auto& path : paths)
    {
        SCOPED_TRACE(path.string());
        LoadedModel loaded(ReadBytes(path));
        if (loaded.result != 1 || loaded.model.GetFrameCount() < 2)
            continue; // damaged on purpose, or not animated
        ++keyframed;
        ModelObject merged;
        loaded.model.BuildFrame(0, &merged);
        ASSERT_EQ(merged.valid, 1);
        std::size_t next = 0;
        for (int i = 0; i < loaded.model.GetObjectCount(); ++i)
        {
            for (const ModelVertex& stored : loaded.model.GetObject(i)->vertices)
            {
                ASSERT_LT(next, merged.vertices.size());
                const ModelVertex& placed = merged.vertices[next++];
                const double size = std::max({std::abs(stored.x), std::abs(stored.y), std::abs(stored.z)});
                EXPECT_NEAR(placed.x, stored.x, Tolerance(size));
                EXPECT_NEAR(placed.y, stored.y, Tolerance(size));
                EXPECT_NEAR(placed.z, stored.z, Tolerance(size));
            }
        }
        EXPECT_EQ(next, merged.vertices.size());
    }
    EXPECT_GT(keyframed, 0) << "no keyframed model among the package's files";
}

// Turning an object about its pivot keeps every vertex's distance from the
// pivot (moved by the frame's position offset), frame after frame.
TEST_F(PackagedModels, RotatingObjectsKeepTheirDistancesFromThePivot)
{
    int turnedFrames = 0;
    for (const auto& path : paths)
    {
        SCOPED_TRACE(path.string());
        LoadedModel loaded(ReadBytes(path));
        if (loaded.result != 1)
            continue;
        for (int frame = 1; frame < loaded.model.GetFrameCount(); ++frame)
        {
            ModelObject merged;
            loaded.model.BuildFrame(frame, &merged);
            std::size_t base = 0;
            for (int i = 0; i < loaded.model.GetObjectCount(); ++i)
            {
                const ModelObject& object = *loaded.model.GetObject(i);
                const ModelVertex& pivot = object.pivot;
                const ModelVertex& offset = object.positionKeys[static_cast<std::size_t>(frame)];
                const bool checked = HasNeutralScale(object) && IsTurned(object.rotationKeys[frame]);
                for (std::size_t j = 0; checked && j < object.vertices.size(); ++j)
                {
                    const ModelVertex& stored = object.vertices[j];
                    const ModelVertex& placed = merged.vertices[base + j];
                    const double before = Distance(stored.x, stored.y, stored.z, pivot.x, pivot.y, pivot.z);
                    const double after = Distance(placed.x, placed.y, placed.z, double{pivot.x} + offset.x,
                                                  double{pivot.y} + offset.y, double{pivot.z} + offset.z);
                    ASSERT_NEAR(after, before, Tolerance(before + std::abs(pivot.x) + std::abs(pivot.y)))
                        << "frame " << frame << " vertex " << j;
                }
                turnedFrames += checked ? 1 : 0;
                base += object.vertices.size();
            }
        }
    }
    EXPECT_GT(turnedFrames, 0) << "no rotating object among the package's files";
}
