#pragma once

#include "link/Step.h"
#include "protocol/SignModel.h"

#include <QByteArrayView>
#include <QList>

namespace zlx {

// The block-wise read-back: one read request per answer, page after page, until a page starts
// with the end marker or every page of the model is in. No I/O of its own.
class ReadBackStepper
{
public:
    static constexpr int kAnswerSize = 66;  // mark, 64 memory bytes, one more

    explicit ReadBackStepper(const SignModel &model);

    Step start();                        // the request for page 1's first block
    Step answer(QByteArrayView answer);

    // Page and block (from 0) of the answer handled last, for the progress text.
    int answeredPage() const { return m_answeredPage; }
    int answeredBlock() const { return m_answeredBlock; }
    // The images gathered so far; complete up to the page being read.
    const QList<QByteArray> &images() const { return m_images; }
    // The page (from 0) whose first block lacked its title row; -1 when none did.
    int foreignPage() const { return m_foreignPage; }

private:
    QByteArray request() const;

    SignModel m_model;
    QList<QByteArray> m_images;
    int m_page = 0;
    int m_block = 0;
    int m_addrHigh = 0;
    int m_addrLow = 0;
    int m_answeredPage = 0;
    int m_answeredBlock = 0;
    int m_foreignPage = -1;
};

}  // namespace zlx
