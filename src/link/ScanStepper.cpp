#include "link/ScanStepper.h"

namespace zlx {

ScanStepper::Probe ScanStepper::begin()
{
    m_port = 1;
    return {m_port, false};
}

ScanStepper::Probe ScanStepper::step()
{
    ++m_port;
    return probe();
}

}  // namespace zlx
