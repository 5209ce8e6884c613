#include "link/ExchangeReply.h"

namespace zlx {

ExchangeReply::ExchangeReply(Exchange exchange, const SignModel &model, const QString &address, int comNumber,
                             QObject *parent)
    : QObject(parent), m_exchange(exchange), m_model(model), m_address(address), m_comNumber(comNumber)
{
    if (exchange == Exchange::Read)
        m_readBack.emplace(model);
}

void ExchangeReply::end(Outcome outcome, PortStatus why, const QString &detail)
{
    if (m_finished)
        return;
    m_finished = true;
    m_outcome = outcome;
    m_portStatus = why;
    m_portDetail = detail;
    emit finished();
}

}  // namespace zlx
