#include "app/version_text.h"

#include "platform/version.h"

namespace
{
constexpr std::size_t kBannerIndent = 20;
}

std::string StatusBanner()
{
    return std::string(kBannerIndent, ' ') + version::kProductName + " v." + std::to_string(version::kVersionMajor) +
           "." + std::to_string(version::kVersionMinor);
}
