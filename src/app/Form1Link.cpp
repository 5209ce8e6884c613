// Form1's reactions to the sign link and to the exchanges the session runs.
#include "app/Form1.h"

#include "document/ProgramDocument.h"
#include "editor/PageEditor.h"
#include "link/DeviceAccess.h"
#include "link/ExchangeReply.h"
#include "link/LinkLog.h"
#include "session/OperatorTexts.h"
#include "session/ProgramSession.h"

#include <QLabel>
#include <QToolButton>

namespace zlx {

void Form1::wireLink()
{
    connect(m_link, &SignLink::scanPassStarted, this, &Form1::onScanPassStarted);
    connect(m_link, &SignLink::signFound, this, &Form1::onSignFound);
    connect(m_link, &SignLink::exchangesAvailable, this, [this](bool available) {
        cmdEnviar->setEnabled(available);
        cmdLeer->setEnabled(available);
    });
    connect(m_link, &SignLink::portNotice, this, &Form1::onPortNotice);
    connect(m_session, &ProgramSession::progress, this, &Form1::onProgress);
    connect(m_session, &ProgramSession::readStarting, this, &Form1::onReadStarting);
    connect(m_session, &ProgramSession::finished, this, &Form1::onExchangeFinished);
}

void Form1::onScanPassStarted()
{
    setPanel(1, texts::searching());
    setPanel(2, texts::maker());
}

void Form1::onSignFound()
{
    const auto &model = m_link->model();
    if (model) {
        setWindowTitle(texts::detectedTitle(*model));
        setPanel(3, texts::modelPanel(*model));
    }
    setPanel(1, texts::detected());
    setPanel(2, texts::portPanel(m_link->portNumber()));
    m_editor->setPageCount(model ? std::optional<int>(model->pageCount) : std::nullopt);
}

void Form1::onProgress(const ExchangeReply *reply)
{
    if (reply->exchange() == Exchange::Send)
        setPanel(1, texts::sendProgress(reply->acknowledged()));
    else
        setPanel(1, texts::readProgress(reply->answeredPage() + 1, reply->answeredBlock() + 1));
}

// The latest few, newest last; the panels keep their own texts.
void Form1::onPortNotice(const QString &address, PortStatus status, const QString &detail)
{
    constexpr int kShown = 3;
    const QString note = texts::portNote(address, status, detail, accessGroup(address));
    qCWarning(lcLink).noquote() << note;
    m_notices.append(note);
    while (m_notices.size() > kShown)
        m_notices.removeFirst();
    m_notice->setText(m_notices.join(QStringLiteral("\n\n")));
    m_notice->setToolTip(m_notice->text());
    m_notice->show();
}

// The editor resets as defined, read-only until the read-back is through: the program stays
// in the document, out of reach of what the reset rows would commit.
void Form1::onReadStarting()
{
    ViewBeforeRead view{m_editor->currentPage(), 0, panelText(3)};
    while (view.visibleRows < PageEditor::kRows && m_editor->row(view.visibleRows).isVisible())
        ++view.visibleRows;
    m_readView = view;
    m_editor->setReadOnly(true);
    Form_Load();
    setPanel(1, texts::reading());
    setPanel(3, QString());
}

void Form1::onExchangeFinished(const ExchangeReport &report)
{
    // A read-back the operator replaced the program over, or that gave way to a Send, has
    // nothing to show: the window already shows what came instead.
    if (report.exchange == Exchange::Read && m_readView) {
        if (report.program) {
            m_readView.reset();
            m_editor->setReadOnly(false);
            m_document->takeRead(*report.program);
        } else {
            showDocumentAgain();
        }
    }
    const texts::Ending ending = texts::ending(report);
    if (!ending.panel.isEmpty())
        setPanel(1, ending.panel);
    if (!ending.message.isEmpty())
        showMessage(ending.warning ? MessageIcon::Exclamation : MessageIcon::Information, ending.message);
}

}  // namespace zlx
