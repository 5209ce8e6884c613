#include "protocol/SignModel.h"

namespace zlx {

std::optional<SignModel> modelFromCode(int code)
{
    switch (code) {
    case 1:
        return SignModel{20, 4};
    case 2:
        return SignModel{40, 2};
    default:
        return std::nullopt;
    }
}

std::optional<SignModel> modelWithPages(int pages)
{
    for (int code : {1, 2}) {
        if (modelFromCode(code)->pageCount == pages)
            return modelFromCode(code);
    }
    return std::nullopt;
}

}  // namespace zlx
