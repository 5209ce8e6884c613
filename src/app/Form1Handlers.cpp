// Form1's command handlers. They stay thin: what an exchange does lives in the session, what a
// project file holds in project/, the program itself in the document.
#include "app/Form1.h"

#include "document/ProgramDocument.h"
#include "editor/PageEditor.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"
#include "protocol/SendPlan.h"
#include "session/OperatorTexts.h"
#include "session/ProgramSession.h"

#include <QComboBox>
#include <QFileDialog>
#include <QPushButton>
#include <QToolButton>

namespace zlx {

namespace {
constexpr char kFileFilter[] = "Archivos zlx (*.zlx)";
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

void Form1::cmdEnviar_Click()
{
    // During a read-back the rows show the reset page; the guard looks at the program's page
    // that was shown before Leer, and what goes out is the program.
    const bool reading = m_readView.has_value();
    if (reading) {
        if (!PageEditor::shows(store().entry(m_readView->page - 1, 0)))
            return;
    } else if (m_editor->row(0).cmbEfecto->currentText().isEmpty()) {
        return;
    }
    if (m_link->programBusy())
        return;
    if (!reading && !m_editor->SaveShownPage(m_editor->currentPage() - 1))
        return;
    if (const auto &model = m_link->exchangeModel()) {
        const QList<int> lost = planSend(store(), *model).pagesLost();
        if (!lost.isEmpty() && !m_presenter->askYesNo(texts::pagesNotSent(lost)))
            return;
    }
    if (reading)
        showDocumentAgain();
    if (!sendProgram() && m_link->readBusy())
        m_link->cancel();  // the read-back gave way to Enviar all the same
}

bool Form1::sendProgram()
{
    const QString panelBefore = panelText(1);
    setPanel(1, texts::sending());
    const ProgramSession::SendStart start = m_session->send(
        store(), [this](int) { showMessage(MessageIcon::Information, texts::cutMessage()); });
    if (start.refusal == Refusal::None)
        return true;
    setPanel(1, panelBefore);  // a refusal leaves the window as it was
    if (start.fault)
        showMessage(MessageIcon::Exclamation,
                    texts::unsendableEntry(start.fault->page, start.fault->row, start.fault->problem));
    else if (const QString why = texts::refusal(start.refusal); !why.isEmpty())
        showMessage(MessageIcon::Exclamation, why);
    return false;
}

void Form1::cmdLeer_Click()
{
    if (m_link->readBusy())
        return;
    // The shown page is committed first; a row that cannot be stored is lost only if the
    // operator says so.
    if (const std::optional<RowFault> fault = m_editor->unstorableRow()) {
        if (!m_presenter->askYesNo(texts::readOverRow(fault->page + 1, fault->row + 1, fault->problem))) {
            m_editor->focusRow(*fault);
            return;
        }
    } else if (!m_editor->SaveShownPage(m_editor->currentPage() - 1)) {
        return;
    }
    if (const Refusal refused = m_session->read(); refused != Refusal::None) {
        if (const QString why = texts::refusal(refused); !why.isEmpty())
            showMessage(MessageIcon::Exclamation, why);
    }
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
        if (!projectFileName().isEmpty())
            dialog.selectFile(projectFileName());
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
    save();
}

// Guardar: true once the program is in the file. During a read-back the rows show the reset
// page, not the program: the document is saved as it stands.
bool Form1::save()
{
    if (!m_readView && !m_editor->SaveShownPage(m_editor->currentPage() - 1))
        return false;
    const QString name = m_chooseFile(FileDialogKind::Save);
    if (name.isEmpty())
        return false;
    const QString error = project::writeFile(name, store(), pagesToSave());
    if (!error.isEmpty()) {
        showMessage(MessageIcon::Exclamation, error);
        return false;
    }
    m_document->markSaved(name);
    setPanel(3, name);
    if (m_readView)
        m_readView->panel3 = name;  // what a failed read-back shows again
    return true;
}

void Form1::cmdAbrir_Click()
{
    if (!settleUnsavedChanges(texts::openQuestion()))
        return;
    const QString name = m_chooseFile(FileDialogKind::Open);
    if (!name.isEmpty())
        openProjectFile(name);
}

// The file is read and checked before anything changes: a failed open costs nothing, and a
// read-back under way goes on.
bool Form1::openProjectFile(const QString &name)
{
    const project::ReadResult file = project::readFile(name);
    if (!file.error.isEmpty()) {
        showMessage(MessageIcon::Exclamation, file.error);
        return false;
    }
    endRead();
    Form_Load();
    MessageStore program;
    project::load(file.lines, program);
    m_document->open(program, name);
    setPanel(3, name);
    return true;
}

void Form1::cmdNuevo_Click()
{
    // A row that cannot be stored is among what the question says will be lost.
    if (!m_readView)
        m_editor->commitQuietly();
    if (!m_presenter->askYesNo(texts::newQuestion()))
        return;
    endRead();
    Form_Load();
    m_document->startNew();
}

}  // namespace zlx
