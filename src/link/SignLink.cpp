#include "link/SignLink.h"

#include "link/Frames.h"
#include "link/LinkLog.h"
#include "link/PageImages.h"
#include "link/SignPort.h"
#include "link/Ticker.h"

using namespace std::chrono_literals;

namespace zlx {

namespace {
constexpr auto kScanStep = 100ms;
constexpr auto kScanPause = 1000ms;
constexpr auto kResponseTimeout = 3000ms;
constexpr int kLastScanPort = 40;  // the pass ends when the probe reaches this port
constexpr int kDetectThreshold = 4;
constexpr int kAckThreshold = 1;

}  // namespace

QString modeName(LinkMode mode)
{
    switch (mode) {
    case LinkMode::Detect:
        return QStringLiteral("autodetectar");
    case LinkMode::Program:
        return QStringLiteral("programar");
    case LinkMode::Read:
        return QStringLiteral("lectura");
    case LinkMode::Idle:
        break;
    }
    return {};
}

SignLink::SignLink(SignPort *port, Ticker *timer1, Ticker *timer2, QObject *parent)
    : QObject(parent), m_port(port), m_timer1(timer1), m_timer2(timer2)
{
    connect(m_timer1, &Ticker::tick, this, &SignLink::Timer1_Timer);
    connect(m_timer2, &Ticker::tick, this, &SignLink::Timer2_Timer);
    connect(m_port, &SignPort::dataArrived, this, &SignLink::MSComm1_OnComm);
}

void SignLink::setPanel(int panel, const QString &text)
{
    if (panel == 1)
        m_panel1 = text;
    emit panelText(panel, text);
}

void SignLink::SetUpLink()
{
    if (m_port->isOpen())
        m_port->close();
    m_port->setReceiveThreshold(kDetectThreshold);
    m_port->setSettings(PortSettings{});
    m_timer2->setInterval(kScanPause);
    m_timer2->setEnabled(true);
    emit sendButtonsEnabled(false);
}

void SignLink::clearPageImages()
{
    // A read-back under way owns them: emptied halfway, they would decode into a program the
    // sign does not hold.
    if (m_readBusy)
        return;
    m_pageImages.clear();
}

void SignLink::Timer2_Timer()
{
    ScanStart();
}

void SignLink::ScanStart()
{
    setPanel(1, QStringLiteral("Buscando dispositivo..."));
    setPanel(2, QStringLiteral("ZANTOLUX"));
    m_mode = LinkMode::Detect;
    m_port->discardInput();
    // Failing port operations are skipped: a missing port simply gives no answer.
    m_port->close();
    m_portNumber = 1;
    m_port->setPortNumber(m_portNumber);
    m_port->setReceiveThreshold(kDetectThreshold);
    if (m_port->open())
        writeFrame(frames::detectionProbe());
    m_timer1->setInterval(kScanStep);
    m_timer1->setEnabled(true);
    m_timer2->setEnabled(false);
}

void SignLink::ScanStep()
{
    m_port->close();
    ++m_portNumber;
    m_port->setPortNumber(m_portNumber);
    if (m_port->open())
        writeFrame(frames::detectionProbe());
    m_timer1->setInterval(kScanStep);
    m_timer1->setEnabled(true);
    if (m_portNumber == kLastScanPort) {
        // The last port gets no window for its answer: the pass ends in the same tick.
        m_timer1->setEnabled(false);
        m_port->close();
        m_mode = LinkMode::Idle;
        m_timer2->setEnabled(true);
    }
}

void SignLink::Timer1_Timer()
{
    switch (m_mode) {
    case LinkMode::Program:
    case LinkMode::Read:
        ResponseTimeout();
        break;
    case LinkMode::Detect:
        ScanStep();
        break;
    case LinkMode::Idle:
        m_mode = LinkMode::Idle;
        break;
    }
}

void SignLink::ResponseTimeout()
{
    const bool wasReading = m_mode == LinkMode::Read;
    qCInfo(lcLink) << "no answer within" << kResponseTimeout.count() << "ms in mode" << modeName(m_mode);
    m_programBusy = false;
    m_readBusy = false;
    m_mode = LinkMode::Idle;
    m_port->close();
    if (wasReading)
        emit readAbandoned();
    emit message(MessageIcon::Exclamation,
                 QStringLiteral("El letrero no responde, verifique las conexiones y vuelva a intentar"));
}

void SignLink::MSComm1_OnComm()
{
    const QByteArray answer = m_port->read();
    qCDebug(lcLink) << "answer" << modeName(m_mode) << answer.toHex(' ');
    switch (m_mode) {
    case LinkMode::Read:
        readAnswer(answer);
        break;
    case LinkMode::Program:
        programAnswer(answer);
        break;
    case LinkMode::Detect:
        Detection(answer);
        break;
    case LinkMode::Idle:
        break;  // a late answer: read and dropped
    }
}

void SignLink::Detection(const QByteArray &answer)
{
    if (answer.isEmpty())
        return;
    m_port->close();
    if (quint8(answer.at(0)) != frames::kMark)
        return;  // not a sign; the scan goes on at the next tick
    if (answer.size() > 1) {
        if (const auto model = modelFromCode(quint8(answer.at(1)))) {
            m_model = model;
            emit titleChanged(model->detectedTitle());
            setPanel(3, model->panelText());
        }
    }
    setPanel(1, QStringLiteral("Letrero detectado"));
    setPanel(2, QStringLiteral("COM%1:2400bps,8,N,1").arg(m_portNumber));
    m_signDetected = true;
    qCInfo(lcLink) << "sign detected on COM" << m_portNumber << "model"
                   << (m_model ? m_model->pageCount : 0);
    emit signFound();
    emit sendButtonsEnabled(true);
    m_mode = LinkMode::Idle;
    m_port->discardInput();
    m_timer1->setEnabled(false);
    m_timer2->setEnabled(false);
}

bool SignLink::openForExchange()
{
    // A port left open by a wrong answer is closed and opened again by open().
    if (m_port->open())
        return true;
    qCWarning(lcLink) << "cannot open COM" << m_port->portNumber();
    return false;
}

void SignLink::writeFrame(const QByteArray &bytes)
{
    qCDebug(lcLink) << "write" << bytes.toHex(' ');
    if (!m_port->write(bytes))
        qCDebug(lcLink) << "write failed";
}

void SignLink::restartResponseTimer()
{
    m_timer1->setEnabled(false);
    m_timer1->setInterval(kResponseTimeout);
    m_timer1->setEnabled(true);
}

bool SignLink::beginSend()
{
    if (m_programBusy)
        return false;
    m_mode = LinkMode::Program;
    m_programBusy = true;
    m_readBusy = false;
    m_port->setReceiveThreshold(kAckThreshold);
    // Nothing may answer or time out while the cut message is up: the frames are not built yet.
    m_timer1->setEnabled(false);
    if (m_port->isOpen())
        m_port->close();
    m_panel1Before = m_panel1;
    setPanel(1, QStringLiteral("Enviando ..."));
    return true;
}

void SignLink::startSend(const QList<QByteArray> &pageImages)
{
    Q_ASSERT(m_model);
    m_pageImages = pageImages;
    m_frames = buildFrameList(pageImages, *m_model);
    m_frameIndex = 0;
    if (!openForExchange()) {
        m_mode = LinkMode::Idle;
        m_programBusy = false;
        setPanel(1, m_panel1Before);
        emit message(MessageIcon::Exclamation,
                     QStringLiteral("No se puede abrir el puerto COM%1: el programa no fue enviado.")
                         .arg(m_port->portNumber()));
        return;
    }
    m_port->discardInput();
    if (!m_frames.isEmpty())
        writeFrame(m_frames.at(m_frameIndex));
    ++m_frameIndex;
    restartResponseTimer();
}

void SignLink::programAnswer(const QByteArray &answer)
{
    if (answer.size() != 1 || quint8(answer.at(0)) != frames::kMark) {
        // A wrong answer abandons the transfer silently; the port stays open.
        qCInfo(lcLink) << "transfer abandoned: answer" << answer.toHex(' ') << "at frame" << m_frameIndex;
        m_programBusy = false;
        m_mode = LinkMode::Idle;
        return;
    }
    restartResponseTimer();
    setPanel(1, QStringLiteral("Enviando: %1 tramas").arg(m_frameIndex));
    if (m_frameIndex < m_frames.size()) {
        writeFrame(m_frames.at(m_frameIndex));
        ++m_frameIndex;
        return;
    }
    writeFrame(frames::endFrame());
    m_port->drain();  // the end frame must be on the line before the port is released
    m_port->close();
    setPanel(1, QStringLiteral("Transmision Completa"));
    m_programBusy = false;
    m_mode = LinkMode::Idle;
    m_timer1->setEnabled(false);
    emit message(MessageIcon::Information, QStringLiteral("Programacion finalizada correctamente"));
}

bool SignLink::startRead()
{
    Q_ASSERT(m_model);
    if (m_readBusy)
        return false;
    m_mode = LinkMode::Read;
    m_readBusy = true;
    m_programBusy = false;
    m_port->setReceiveThreshold(frames::kReadAnswerSize);
    m_addrHigh = m_model->firstUnit(0);
    m_addrLow = 0;
    m_readPage = 0;
    m_readBlock = 0;
    m_pageImages = QList<QByteArray>(m_model->pageCount);
    m_panel1Before = m_panel1;
    setPanel(1, QStringLiteral("Lectura..."));
    setPanel(3, QString());
    if (!openForExchange()) {
        m_mode = LinkMode::Idle;
        m_readBusy = false;
        m_timer1->setEnabled(false);
        setPanel(1, m_panel1Before);
        emit readAbandoned();
        emit message(MessageIcon::Exclamation,
                     QStringLiteral("No se puede abrir el puerto COM%1: el programa no fue leído.")
                         .arg(m_port->portNumber()));
        return true;
    }
    m_port->discardInput();
    writeFrame(frames::readRequest(quint8(m_addrHigh), quint8(m_addrLow), frames::kMaxData));
    restartResponseTimer();
    return true;
}

void SignLink::readAnswer(const QByteArray &answer)
{
    // A short answer cannot carry a block: treated like a wrong mark.
    if (answer.size() < 1 + frames::kMaxData || quint8(answer.at(0)) != frames::kMark) {
        qCInfo(lcLink) << "read-back abandoned at page" << m_readPage + 1 << "block" << m_readBlock + 1;
        m_readBusy = false;
        m_mode = LinkMode::Idle;
        emit readAbandoned();
        return;
    }
    restartResponseTimer();
    setPanel(1, QStringLiteral("Lectura: %1:%2 paginas").arg(m_readPage + 1).arg(m_readBlock + 1));

    const int blocksPerPage = m_model->pageUnits * 4;
    // The end-of-program marker stands at a page start; inside a page 0xFF is a text byte.
    if (quint8(answer.at(1)) == 0xFF && m_addrLow == 0 && m_readBlock == 0) {
        m_readBusy = false;
    } else if (m_readBlock == 0 && !startsWithTitleRow(QByteArrayView(answer).sliced(1))) {
        // Every page begins with its title row (01 02 03). Anything else means the answers are
        // out of step, e.g. an acknowledgement of a transfer cut short arrived first: reading
        // on would show a shifted program as if it were the sign's.
        qCInfo(lcLink) << "read-back abandoned: page" << m_readPage + 1 << "has no title row";
        m_readBusy = false;
        m_mode = LinkMode::Idle;
        emit readAbandoned();
        return;
    } else {
        m_addrLow += frames::kMaxData;
        if (m_addrLow == 256) {
            m_addrLow = 0;
            ++m_addrHigh;
        }
        m_readBlock = (m_readBlock + 1) % blocksPerPage;
        QByteArray &image = m_pageImages[m_readPage];
        image.append(answer.mid(1, frames::kMaxData));
        const qsizetype pair = image.indexOf(QByteArrayView("\0\0", 2));
        if (pair >= 0)
            image.truncate(pair + 1);
        if (pair >= 0 || m_readBlock == 0) {
            ++m_readPage;
            m_addrHigh = m_model->firstUnit(m_readPage);
            m_addrLow = 0;
            m_readBlock = 0;
        }
    }

    if (m_readBusy && m_readPage != m_model->pageCount) {
        writeFrame(frames::readRequest(quint8(m_addrHigh), quint8(m_addrLow), frames::kMaxData));
        return;
    }
    m_mode = LinkMode::Idle;
    m_readBusy = false;
    m_port->close();
    setPanel(1, QStringLiteral("Lectura Completa"));
    m_timer1->setEnabled(false);
    emit readCompleted(m_pageImages);
    emit message(MessageIcon::Information, QStringLiteral("Lectura finalizada correctamente"));
}

}  // namespace zlx
