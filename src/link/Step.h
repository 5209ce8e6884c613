#pragma once

#include "link/LinkTypes.h"

#include <QByteArray>
#include <optional>

namespace zlx {

// What an exchange does next: write these bytes, give the sign the response time for its
// answer, or end with an outcome (after writing, when both are set).
struct Step
{
    QByteArray write;
    bool awaitAnswer = false;
    std::optional<Outcome> outcome;

    bool operator==(const Step &) const = default;
};

}  // namespace zlx
