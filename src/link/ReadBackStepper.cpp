#include "link/ReadBackStepper.h"

#include "protocol/Answers.h"
#include "protocol/Frames.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageLayout.h"

namespace zlx {

namespace {
constexpr int kUnitBytes = 256;
}

ReadBackStepper::ReadBackStepper(const SignModel &model)
    : m_model(model), m_images(model.pageCount), m_addrHigh(model.firstUnit(0))
{
}

QByteArray ReadBackStepper::request() const
{
    return frames::readRequest(quint8(m_addrHigh), quint8(m_addrLow), frames::kMaxData);
}

Step ReadBackStepper::start()
{
    return {request(), true, std::nullopt};
}

Step ReadBackStepper::answer(QByteArrayView answer)
{
    const std::optional<QByteArray> block = answers::readBlock(answer);
    if (!block)
        return {{}, false, Outcome::WrongAnswer};
    m_answeredPage = m_page;
    m_answeredBlock = m_block;

    // The end-of-program marker stands at a page start; inside a page 0xFF is a text byte,
    // also where a 256-byte unit begins.
    if (block->at(0) == layout::kEndMarker && m_block == 0)
        return {{}, false, Outcome::Completed};
    // Every page begins with its title row; a page that does not was written by something else
    // (or the sign is blank), so the program cannot be read on from there.
    if (m_block == 0 && !startsWithTitleRow(*block)) {
        m_foreignPage = m_page;
        return {{}, false, Outcome::ForeignPage};
    }

    m_addrLow += frames::kMaxData;
    if (m_addrLow == kUnitBytes) {
        m_addrLow = 0;
        ++m_addrHigh;
    }
    m_block = (m_block + 1) % m_model.blocksPerPage();
    QByteArray &image = m_images[m_page];
    image.append(*block);
    // A page ends at its first pair of 0 bytes, which may straddle two blocks.
    const qsizetype pair = image.indexOf(QByteArrayView("\0\0", 2));
    if (pair >= 0)
        image.truncate(pair + 1);
    if (pair >= 0 || m_block == 0) {
        ++m_page;
        m_addrHigh = m_model.firstUnit(m_page);
        m_addrLow = 0;
        m_block = 0;
    }
    if (m_page == m_model.pageCount)
        return {{}, false, Outcome::Completed};
    return {request(), true, std::nullopt};
}

}  // namespace zlx
