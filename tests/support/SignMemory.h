#pragma once

#include "SignBytes.h"
#include "sim/VirtualSign.h"

#include <algorithm>

// A program put straight into a virtual sign's memory, and found there, at the addresses a Send
// writes its pages to.
namespace signbytes {

inline void put(zlx::sim::VirtualSign &sign, const zlx::MessageStore &program, const zlx::SignModel &model)
{
    for (const auto &[address, image] : placedImages(program, model))
        sign.writeMemory(address, image);
}

inline bool holds(const zlx::sim::VirtualSign &sign, const zlx::MessageStore &program, const zlx::SignModel &model)
{
    return std::ranges::all_of(placedImages(program, model), [&](const auto &placed) {
        return sign.readMemory(placed.first, int(placed.second.size())) == placed.second;
    });
}

}  // namespace signbytes
