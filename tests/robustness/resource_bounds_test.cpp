// What a hostile file can make a load cost: memory, counted through the
// replaced operator new, and reading work, counted by the input file. Both
// are deterministic, unlike time.
#include "fixtures/chunk_writer.h"
#include "fuzz/exercise_model.h"
#include "model/model_3ds.h"
#include "tests/robustness/allocation_counter.h"
#include "tests/robustness/child_process.h"
#include "tests/robustness/hostile_files.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <string>

namespace
{
using robustness::ChildResult;
using robustness::ChildSetup;
using robustness::GrowingShape;
using robustness::HostileFile;

constexpr std::size_t kSmallFileBytes = 512;
// The longest keyframe segment the reader accepts for a small file takes
// three key records of 20 bytes for each of about 70000 slots; everything
// else a small file can ask for is far smaller.
constexpr std::size_t kPeakBytesBound = 8u << 20;

// Whether LoadFile in mode 0 accepts each file, so that every case is known
// to reach the part of the reader it is meant for.
const std::map<std::string, int> kLoadsInModeZero = {
    {"VertexCountWithoutVertices", 0},   {"FaceCountWithoutFaces", 0},
    {"MappingCountWithoutCoordinates", 0}, {"MaterialGroupCountWithoutFaces", 1},
    {"KeyCountsWithoutKeys", 1},         {"LongestAcceptedSegment", 1},
    {"ManyObjectsSharingTheSegment", 1}, {"SegmentBeyondTheLimit", 0},
    {"DeepNesting", 1},                  {"LengthsPastTheEnd", 1},
};

class SmallHostileFile : public ::testing::TestWithParam<HostileFile>
{
};

TEST_P(SmallHostileFile, PeakMemoryStaysWithinAFewMegabytes)
{
    const HostileFile& file = GetParam();
    ASSERT_LE(file.bytes.size(), kSmallFileBytes);
    robustness::ResetPeakAllocatedBytes();
    const std::size_t before = robustness::LiveAllocatedBytes();
    const robustness::ExerciseOutcome outcome = robustness::ExerciseModelBytes(file.bytes.data(), file.bytes.size());
    const std::size_t peak = robustness::PeakAllocatedBytes() - before;

    EXPECT_EQ(outcome.broken, "");
    ASSERT_TRUE(kLoadsInModeZero.count(file.name));
    EXPECT_EQ(outcome.loaded[0], kLoadsInModeZero.at(file.name)) << outcome.message[0];
    EXPECT_LE(peak, kPeakBytesBound);
    std::cout << file.name << ": " << file.bytes.size() << " bytes, at most " << peak << " bytes allocated\n";
}

INSTANTIATE_TEST_SUITE_P(Files, SmallHostileFile, ::testing::ValuesIn(robustness::SmallHostileFiles()),
                         [](const ::testing::TestParamInfo<HostileFile>& info) { return info.param.name; });

// The accepted segment really is the expensive case: the bound above is not
// met merely because nothing was allocated.
TEST(SmallHostileFileMemory, LongestAcceptedSegmentTakesMegabytes)
{
    for (const HostileFile& file : robustness::SmallHostileFiles())
    {
        if (file.name != "LongestAcceptedSegment")
            continue;
        robustness::ResetPeakAllocatedBytes();
        const std::size_t before = robustness::LiveAllocatedBytes();
        robustness::ExerciseModelBytes(file.bytes.data(), file.bytes.size());
        EXPECT_GT(robustness::PeakAllocatedBytes() - before, std::size_t {1} << 20);
        return;
    }
    FAIL() << "no LongestAcceptedSegment file";
}

struct LoadWork
{
    int result = 0;
    int objects = 0;
    std::uint64_t reads = 0;
};

LoadWork Load(const std::vector<std::uint8_t>& bytes, int mode)
{
    CInputFile file;
    file.OpenMemory(bytes);
    std::string text;
    CModel3DS model(nullptr, 1004, &text);
    LoadWork work;
    work.result = model.LoadFile(&file, mode);
    work.objects = model.GetObjectCount();
    work.reads = file.GetReadCount();
    return work;
}

class GrowingHostileFile : public ::testing::TestWithParam<GrowingShape>
{
};

// Every chunk header lies at its own offset and each handler makes a fixed
// number of reads, so two passes make at most about one read per byte,
// however the chunks are nested. A walk that revisited chunks, or read them
// once per enclosing level, would grow faster than the file.
TEST_P(GrowingHostileFile, ReadsGrowInProportionToTheFile)
{
    constexpr int kSmallUnits = 3000;
    constexpr int kGrowth = 8;
    for (int mode : {0, 1})
    {
        const auto small = robustness::BuildGrowingFile(GetParam(), kSmallUnits);
        const auto large = robustness::BuildGrowingFile(GetParam(), kSmallUnits * kGrowth);
        const LoadWork smallWork = Load(small, mode);
        const LoadWork largeWork = Load(large, mode);
        ASSERT_EQ(smallWork.result, 1) << "mode " << mode;
        ASSERT_EQ(largeWork.result, 1) << "mode " << mode;

        const double smallRate = double(smallWork.reads) / double(small.size());
        const double largeRate = double(largeWork.reads) / double(large.size());
        EXPECT_LE(largeRate, 1.0) << "mode " << mode << ", " << large.size() << " bytes";
        EXPECT_LE(largeRate, smallRate * 1.01) << "mode " << mode;
        EXPECT_GT(largeWork.reads, smallWork.reads) << "the larger file was read further";
        std::cout << "mode " << mode << ": " << smallWork.reads << " reads for " << small.size() << " bytes, "
                  << largeWork.reads << " for " << large.size() << "\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, GrowingHostileFile, ::testing::ValuesIn(robustness::AllGrowingShapes()),
                         [](const ::testing::TestParamInfo<GrowingShape>& info) {
                             return robustness::ShapeName(info.param);
                         });

// Matching node headers to objects and ordering objects by name are work
// that no read shows. Each file here holds 200000 objects: comparing every
// pair would take many minutes, while the loads take about a second even
// under the sanitizers. The child's deadline, far beyond that, ends a load
// that compares every pair.
TEST(ManyObjects, NodeHeadersAndNameOrderDoNotCompareEveryPair)
{
    constexpr int kUnits = 200000;
    const ChildResult child = robustness::RunInChild(ChildSetup::Deadline, [] {
        const LoadWork nodes = Load(robustness::BuildGrowingFile(GrowingShape::NodesAndObjects, kUnits), 0);
        const LoadWork sorted = Load(robustness::BuildGrowingFile(GrowingShape::EqualNamedObjects, kUnits), 1);
        return std::to_string(nodes.result) + " " + std::to_string(nodes.objects) + ", " +
               std::to_string(sorted.result) + " " + std::to_string(sorted.objects);
    });
    ASSERT_EQ(child.ending, ChildResult::Ending::Returned)
        << "the loads did not end within " << robustness::kChildDeadlineSeconds << " seconds";
    EXPECT_EQ(child.report, "1 200000, 1 200000");
}

// Many equal names exhaust the quicksort's budget and the rest is sorted
// otherwise: the frames must still come in name order.
TEST(ManyObjects, NameOrderHoldsPastTheQuicksortBudget)
{
    fixtures::ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    writer.Begin(fixtures::kEditor);
    const char* const names[] = {"Cc", "A", "Bb", "A", "Cc", "B"};
    constexpr int kObjects = 6000;
    for (int i = 0; i < kObjects; ++i)
    {
        writer.Begin(fixtures::kObjectBlock);
        writer.String(i % 100 == 0 ? "N" + std::to_string(kObjects - i) : names[i % 6]);
        writer.Begin(fixtures::kTriangleMesh);
        writer.End();
        writer.End();
    }
    writer.End();
    writer.End();
    CInputFile file;
    file.OpenMemory(writer.Take());
    std::string text;
    CModel3DS model(nullptr, 1004, &text);
    ASSERT_EQ(model.LoadFile(&file, 1), 1);
    ASSERT_EQ(model.GetObjectCount(), kObjects);
    for (int i = 1; i < kObjects; ++i)
        ASSERT_LE(model.GetSorted(i - 1)->name, model.GetSorted(i)->name) << i;
    EXPECT_EQ(model.GetSorted(0)->name, "A");
    EXPECT_EQ(model.GetSorted(kObjects - 1)->name, "N900");
}

} // namespace
