#include "lzh/member.h"

namespace lzh {

std::optional<Method> methodFromId(const std::string& id)
{
    if (id == "-lh0-")
        return Method::Lh0;
    if (id == "-lh4-")
        return Method::Lh4;
    if (id == "-lh5-")
        return Method::Lh5;
    if (id == "-lh6-")
        return Method::Lh6;
    if (id == "-lh7-")
        return Method::Lh7;
    if (id == "-lhd-")
        return Method::Lhd;
    return std::nullopt;
}

const char* methodId(Method method)
{
    switch (method) {
    case Method::Lh0: return "-lh0-";
    case Method::Lh4: return "-lh4-";
    case Method::Lh5: return "-lh5-";
    case Method::Lh6: return "-lh6-";
    case Method::Lh7: return "-lh7-";
    case Method::Lhd: return "-lhd-";
    }
    return "-lh0-";
}

} // namespace lzh
