// Form1 and the program as the operator's document: unsaved changes asked about before they
// could be lost, undo and redo, and project files that come from outside the window.
#include "app/Form1.h"

#include "app/ProjectFileType.h"
#include "document/ProgramDocument.h"
#include "editor/PageEditor.h"
#include "session/OperatorTexts.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace zlx {

const MessageStore &Form1::store() const
{
    return m_document->store();
}

QString Form1::projectFileName() const
{
    return m_document->fileName();
}

bool Form1::settleUnsavedChanges(const QString &question)
{
    // The rows show the reset page during a read-back: the program is all in the document.
    const bool committed = m_readView || m_editor->commitQuietly();
    if (committed && !m_document->isModified())
        return true;
    switch (m_presenter->askSaveChanges(question)) {
    case SaveChoice::Save:
        return save();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

// A read-back that did not complete, or that gives way to Enviar: the program as it was,
// where the operator left it.
void Form1::showDocumentAgain()
{
    if (!m_readView)
        return;
    const ViewBeforeRead view = *m_readView;
    m_readView.reset();
    m_editor->setReadOnly(false);
    m_editor->showPageNumber(view.page, view.visibleRows);
    setPanel(3, view.panel3);
}

// The operator replaces the program during a read-back: it ends, and brings nothing.
void Form1::endRead()
{
    if (!m_readView)
        return;
    m_readView.reset();
    m_editor->setReadOnly(false);
    m_link->cancel();
}

void Form1::undoStep()
{
    step(false);
}

void Form1::redoStep()
{
    step(true);
}

// What the rows hold is committed first, so that undo takes back the latest typing too and
// redo never drops it.
void Form1::step(bool forward)
{
    if (m_readView || !m_editor->SaveShownPage(m_editor->currentPage() - 1))
        return;
    const QString before = m_document->fileName();
    forward ? m_document->redo() : m_document->undo();
    if (m_document->fileName() != before) {
        const auto &model = m_link->model();
        const QString name = m_document->fileName();
        setPanel(3, !name.isEmpty() ? name : model ? texts::modelPanel(*model) : QString());
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (settleUnsavedChanges(texts::closeQuestion()))
        event->accept();
    else
        event->ignore();
}

void Form1::openFromOutside(const QString &fileName)
{
    raise();
    activateWindow();
    if (!fileName.isEmpty() && settleUnsavedChanges(texts::openQuestion()))
        openProjectFile(fileName);
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    if (!projectFileIn(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString fileName = projectFileIn(event->mimeData());
    if (fileName.isEmpty())
        return;
    event->acceptProposedAction();
    openFromOutside(fileName);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString fileName = projectFileIn(drop->mimeData());
        if (fileName.isEmpty())
            break;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            openFromOutside(fileName);
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace zlx
