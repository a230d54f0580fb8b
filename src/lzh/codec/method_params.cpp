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
    case Method::Lh0:
    case Method::Lhd:
        return false;
    }
    return false;
}

} // namespace lzh::codec
