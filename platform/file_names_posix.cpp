#include "platform/file_names.h"

std::string FileNameKey(const std::string& path)
{
    return path;
}
