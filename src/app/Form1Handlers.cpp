// Form1's handlers: the commands of the window and its reactions to the sign link. They stay
// thin: what an exchange does lives in the session, what a project file holds in project/.
#include "app/Form1.h"

#include "editor/PageEditor.h"
#include "link/DeviceAccess.h"
#include "link/ExchangeReply.h"
#include "link/LinkLog.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"
#include "session/OperatorTexts.h"
#include "session/ProgramSession.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace zlx {

namespace {
constexpr char kFileFilter[] = "Archivos zlx (*.zlx)";
}

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

void Form1::Form_Load()
{
    const auto &model = m_link->model();
    setWindowTitle(model ? texts::resetTitle(*model) : QString::fromLatin1(texts::kPlainTitle));
    cmdLeer->setVisible(true);
    cmdPrueba->setVisible(false);
    m_editor->reset();
    applyTabOrder();
    if (!m_link->signDetected())
        m_link->SetUpLink();
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

void Form1::cmdEnviar_Click()
{
    if (m_editor->row(0).cmbEfecto->currentText().isEmpty())
        return;
    if (m_link->programBusy())
        return;
    if (!m_editor->SaveShownPage(m_editor->currentPage() - 1))
        return;
    const QString panelBefore = panelText(1);
    setPanel(1, texts::sending());
    const ProgramSession::SendStart start = m_session->send(
        [this](int) { showMessage(MessageIcon::Information, texts::cutMessage()); });
    if (start.refusal == Refusal::None)
        return;
    setPanel(1, panelBefore);  // a refusal leaves the window as it was
    if (start.fault)
        showMessage(MessageIcon::Exclamation,
                    texts::unsendableEntry(start.fault->page, start.fault->row, start.fault->problem));
    else if (const QString why = texts::refusal(start.refusal); !why.isEmpty())
        showMessage(MessageIcon::Exclamation, why);
}

EditorView Form1::currentView() const
{
    EditorView view{m_editor->currentPage(), 0, panelText(3)};
    while (view.visibleRows < PageEditor::kRows && m_editor->row(view.visibleRows).isVisible())
        ++view.visibleRows;
    return view;
}

void Form1::cmdLeer_Click()
{
    if (m_link->readBusy())
        return;
    // The shown page is stored first so that a failed read-back can give it back.
    if (!m_editor->SaveShownPage(m_editor->currentPage() - 1))
        return;
    if (const Refusal refused = m_session->read(currentView()); refused != Refusal::None) {
        if (const QString why = texts::refusal(refused); !why.isEmpty())
            showMessage(MessageIcon::Exclamation, why);
    }
}

void Form1::onReadStarting()
{
    Form_Load();
    setPanel(1, texts::reading());
    setPanel(3, QString());
}

void Form1::onExchangeFinished(const ExchangeReport &report)
{
    if (report.exchange == Exchange::Read) {
        if (report.givenBack) {
            m_editor->showPageNumber(report.givenBack->page, report.givenBack->visibleRows);
            setPanel(3, report.givenBack->panel3);
        } else if (report.outcome == Outcome::Completed || report.outcome == Outcome::ForeignPage) {
            m_editor->showFirstPage();
        }
    }
    const texts::Ending ending = texts::ending(report);
    if (!ending.panel.isEmpty())
        setPanel(1, ending.panel);
    if (!ending.message.isEmpty())
        showMessage(ending.warning ? MessageIcon::Exclamation : MessageIcon::Information, ending.message);
}

int Form1::pagesToSave() const
{
    // Before a sign is detected every page the editor can reach is saved.
    const auto &model = m_link->model();
    return model ? model->pageCount : MessageStore::kPagesInUse;
}

QString Form1::chooseFileWithDialog(FileDialogKind kind)
{
    QFileDialog dialog(this, QString(), QString(), QString::fromLatin1(kFileFilter));
    if (kind == FileDialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("zlx"));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void Form1::cmdGuardar_Click()
{
    if (!m_editor->SaveShownPage(m_editor->currentPage() - 1))
        return;
    const QString name = m_chooseFile(FileDialogKind::Save);
    if (name.isEmpty())
        return;
    const QString error = project::writeFile(name, m_store, pagesToSave());
    if (!error.isEmpty()) {
        showMessage(MessageIcon::Exclamation, error);
        return;
    }
    m_projectFileName = name;
    setPanel(3, m_projectFileName);
}

void Form1::cmdAbrir_Click()
{
    // The file is read and checked before the editor changes: a failed open costs nothing.
    const QString name = m_chooseFile(FileDialogKind::Open);
    if (name.isEmpty())
        return;
    const project::ReadResult file = project::readFile(name);
    if (!file.error.isEmpty()) {
        showMessage(MessageIcon::Exclamation, file.error);
        return;
    }
    Form_Load();
    m_session->forgetEarlierProgram();  // the operator chose to replace the program
    m_projectFileName = name;
    project::load(file.lines, m_store);
    setPanel(3, m_projectFileName);
    m_editor->showFirstPage();
}

void Form1::cmdNuevo_Click()
{
    if (!m_presenter->askYesNo(QStringLiteral("¿ Desea crear un nuevo proyecto ?\nLas modificaciones que no haya guardado se perderán")))
        return;
    Form_Load();
    m_session->forgetEarlierProgram();  // the operator chose to start over
}

}  // namespace zlx
