#pragma once

#include <cstddef>

// Where formatted output goes: a file, or memory for tests and benchmarks.
class CByteSink
{
public:
    virtual ~CByteSink() = default;
    // Takes all count bytes; false when they could not all be stored.
    virtual bool Write(const char* data, std::size_t count) = 0;
};
