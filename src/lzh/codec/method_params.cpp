#include "lzh/codec/method_params.h"

namespace lzh::codec {

bool methodParams(Method method, MethodParams& out)
{
    switch (method) {
    case Method::Lh4:
        out = {12, 14, 4};
        return true;
    case Method::Lh5:
        out = {13, 14, 4};
        return true;
    case Method::Lh6:
        out = {15, 16, 5};
        return true;
    case Method::Lh7:
        out = {16, 17, 5};
        return true;
    default:
        return false;
    }
}

bool readParams(Method method, MethodParams& out)
{
    if (method == Method::Lhx) {
        // Position class k holds distances of k bits, so 2^19 needs classes 0..19; the count
        // field stays 5 bits wide.
        out = {19, 20, 5};
        return true;
    }
    return methodParams(method, out);
}

} // namespace lzh::codec
