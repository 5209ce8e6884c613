#include "link/Ticker.h"

namespace zlx {

Ticker::~Ticker() = default;

}  // namespace zlx
