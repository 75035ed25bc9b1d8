// The I/O floor of a conversion: reads the input the way the converter does
// (the whole file into memory) and writes BYTES bytes of text to OUTPUT the
// way the converter does (64 KiB writes into a temporary file that is synced
// and renamed into place), with no conversion in between.
//
//   tessaline-io-floor INPUT OUTPUT BYTES
#include "convert/model_text_writer.h"
#include "platform/atomic_output_file.h"
#include "platform/input_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace
{
// Text shaped like vertex lines, so the page cache sees ordinary data.
std::vector<char> FillerText()
{
    constexpr std::string_view kLine = "-1.23456,0.123456,4.56789,-0.707107,0,0.707107,0.25,0.75\n";
    std::vector<char> text(CModelTextWriter::kBufferSize);
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = kLine[i % kLine.size()];
    return text;
}

bool WriteBytes(const char* path, std::uint64_t byteCount)
{
    CAtomicOutputFile output;
    if (!output.Create(path))
        return false;
    const std::vector<char> text = FillerText();
    for (std::uint64_t left = byteCount; left > 0;)
    {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, text.size()));
        if (!output.Write(text.data(), chunk))
            return false;
        left -= chunk;
    }
    return output.Commit();
}
} // namespace

int main(int argc, char** argv)
{
    std::uint64_t byteCount = 0;
    const std::string_view countText = argc == 4 ? argv[3] : "";
    if (argc != 4 || std::from_chars(countText.data(), countText.data() + countText.size(), byteCount).ec != std::errc{})
    {
        std::fprintf(stderr, "Usage: %s INPUT OUTPUT BYTES\n", argv[0]);
        return 2;
    }
    CInputFile input;
    if (!input.Open(argv[1]))
    {
        std::fprintf(stderr, "Error: Could not open Input file: %s\n", argv[1]);
        return 1;
    }
    input.Close();
    if (!WriteBytes(argv[2], byteCount))
    {
        std::fprintf(stderr, "Error: Could not write Output file: %s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    return 0;
}
