#include "link/SignPort.h"

namespace zlx {
SignPort::~SignPort() = default;
}
