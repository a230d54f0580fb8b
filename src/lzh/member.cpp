#include "lzh/member.h"

#include <array>
#include <utility>

namespace lzh {
namespace {

constexpr std::array<std::pair<Method, const char*>, kMethodCount> kIds = {{
    {Method::Lh0, "-lh0-"},
    {Method::Lh4, "-lh4-"},
    {Method::Lh5, "-lh5-"},
    {Method::Lh6, "-lh6-"},
    {Method::Lh7, "-lh7-"},
    {Method::Lhd, "-lhd-"},
    {Method::Lh1, "-lh1-"},
    {Method::Lhx, "-lhx-"},
    {Method::Lzs, "-lzs-"},
    {Method::Lz5, "-lz5-"},
    {Method::Lz4, "-lz4-"},
}};

} // namespace

std::optional<Method> methodFromId(const std::string& id)
{
    for (const auto& [method, text] : kIds)
        if (id == text)
            return method;
    return std::nullopt;
}

const char* methodId(Method method)
{
    for (const auto& [known, text] : kIds)
        if (known == method)
            return text;
    return "-lh0-";
}

bool isStored(Method method)
{
    return method == Method::Lh0 || method == Method::Lz4;
}

} // namespace lzh
