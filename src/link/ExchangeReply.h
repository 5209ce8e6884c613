#pragma once

#include "link/LinkTypes.h"
#include "link/ReadBackStepper.h"
#include "link/TransferStepper.h"
#include "protocol/SignModel.h"

#include <QObject>
#include <QString>
#include <optional>

namespace zlx {

class SignLink;

// One exchange with the sign, a Send or a read-back, as its caller sees it: progress while it
// runs, then finished() once, with the outcome and everything it gave. The link makes it; the
// caller deletes it (deleteLater) once it has finished, or the link does when it goes.
class ExchangeReply : public QObject
{
    Q_OBJECT
public:
    ExchangeReply(Exchange exchange, const SignModel &model, const QString &address, int comNumber,
                  QObject *parent = nullptr);

    Exchange exchange() const { return m_exchange; }
    bool isFinished() const { return m_finished; }
    Outcome outcome() const { return m_outcome; }
    // Why the port would not open (Outcome::CannotOpen) or was lost (Outcome::PortLost).
    PortStatus portStatus() const { return m_portStatus; }
    QString portDetail() const { return m_portDetail; }
    QString address() const { return m_address; }  // the device the sign was found on
    int comNumber() const { return m_comNumber; }
    SignModel model() const { return m_model; }

    // Send: frames in the list, written and acknowledged so far (the end frame not counted).
    int frameCount() const { return m_transfer ? m_transfer->frameCount() : 0; }
    int framesWritten() const { return m_transfer ? m_transfer->written() : 0; }
    int acknowledged() const { return m_transfer ? m_transfer->acknowledged() : 0; }
    // Read: page and block (from 0) of the answer handled last, the page images gathered (whole
    // up to the page being read), and the page (from 0) without its title row, or -1.
    int answeredPage() const { return m_readBack ? m_readBack->answeredPage() : 0; }
    int answeredBlock() const { return m_readBack ? m_readBack->answeredBlock() : 0; }
    QList<QByteArray> images() const { return m_readBack ? m_readBack->images() : QList<QByteArray>(); }
    int foreignPage() const { return m_readBack ? m_readBack->foreignPage() : -1; }

signals:
    void progress();
    void finished();

private:
    friend class SignLink;
    void end(Outcome outcome, PortStatus why, const QString &detail);

    Exchange m_exchange;
    SignModel m_model;
    QString m_address;
    int m_comNumber;
    std::optional<TransferStepper> m_transfer;
    std::optional<ReadBackStepper> m_readBack;
    bool m_finished = false;
    Outcome m_outcome = Outcome::Completed;
    PortStatus m_portStatus = PortStatus::Opened;
    QString m_portDetail;
};

}  // namespace zlx
