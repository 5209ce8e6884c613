#pragma once

#include "model/MessageStore.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUndoStack>

namespace zlx {

// What changed in the program, for its views.
struct DocumentChange
{
    int page = 1;           // the page (from 1) the change touched: the one to show
    bool fromView = false;  // the view's own commit: it shows the change already
};

// The operator's program: the store, its file name, whether it changed since it was saved or
// opened, and the steps that undo and redo. Every change goes through here and is told once,
// by changed(); the editor is a view of it, the window and the read-back change it only here.
class ProgramDocument : public QObject
{
    Q_OBJECT
public:
    explicit ProgramDocument(QObject *parent = nullptr);
    ~ProgramDocument() override;

    const MessageStore &store() const { return m_store; }
    QString fileName() const { return m_fileName; }
    bool isModified() const { return !m_steps.isClean(); }
    bool canUndo() const { return m_steps.canUndo(); }
    bool canRedo() const { return m_steps.canRedo(); }
    QString undoText() const { return m_steps.undoText(); }

    // The view's page index `page`: rows 0..n-1 become `rows`, and the page ends at row n
    // (an entry that ends a page already, "" or effect "0", stays as it is). One step when the
    // store changes.
    void commitPage(int page, const QList<QByteArray> &rows);
    // Nuevo: an empty program, the file name kept; nothing left to save.
    void startNew();
    // Abrir: the file's program under its name; nothing left to save.
    void open(const MessageStore &program, const QString &fileName);
    // A completed read-back: the sign's program, to be saved.
    void takeRead(const MessageStore &program);
    // Guardar wrote the program to fileName.
    void markSaved(const QString &fileName);

    void undo();
    void redo();

signals:
    void changed(const zlx::DocumentChange &change);

private:
    friend class ProgramStep;
    // Puts a whole program in place as one step (none when nothing differs); the view shows
    // page 1 in any case.
    void replace(const MessageStore &program, const QString &fileName, const QString &what);
    void put(int page, int row, const QByteArray &entry) { m_store.setEntry(page, row, entry); }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    void tell(const DocumentChange &change) { emit changed(change); }

    MessageStore m_store;
    QString m_fileName;
    QUndoStack m_steps;
};

}  // namespace zlx
