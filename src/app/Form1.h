#pragma once

#include "app/MessagePresenter.h"
#include "link/PortMap.h"
#include "link/SignLink.h"
#include "link/SignPort.h"
#include "link/Ticker.h"
#include "model/MessageStore.h"
#include "session/ExchangeReport.h"

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QToolButton;
class QTabWidget;

namespace zlx {

class PageEditor;
class ProgramDocument;
class ProgramSession;

enum class FileDialogKind { Open, Save };

// The main window: the command buttons, the status bar and the editor, wired to the program
// document, the sign link and project files. Its handlers carry the system's names and stay thin.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    // The window takes the port (the real one, or a scripted one), the COM numbers' addresses
    // and the two link timers; without timers it makes real ones.
    Form1(std::unique_ptr<SignPort> port, PortMap map, std::unique_ptr<Ticker> timer1 = {},
          std::unique_ptr<Ticker> timer2 = {}, QWidget *parent = nullptr);
    ~Form1() override;

    ProgramDocument *document() const { return m_document; }
    const MessageStore &store() const;
    PageEditor *editor() const { return m_editor; }
    SignLink *link() const { return m_link; }
    ProgramSession *session() const { return m_session; }
    QString projectFileName() const;
    QString panelText(int panel) const;
    QString noticeText() const;  // what the notice beside the buttons says, if anything

    QToolButton *cmdNuevo = nullptr;
    QToolButton *cmdAbrir = nullptr;
    QToolButton *cmdGuardar = nullptr;
    QToolButton *cmdEnviar = nullptr;
    QToolButton *cmdLeer = nullptr;
    QPushButton *cmdPrueba = nullptr;
    QTabWidget *SSTab1 = nullptr;

    // Tests replace the modal boxes and the file dialogs.
    void setMessagePresenter(std::unique_ptr<MessagePresenter> presenter);
    using FileChooser = std::function<QString(FileDialogKind)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // The focus order the reset leaves, for tests and for the window itself.
    QList<QWidget *> focusOrder() const;

public slots:
    void Form_Load();
    void cmdNuevo_Click();
    void cmdAbrir_Click();
    void cmdGuardar_Click();
    void cmdEnviar_Click();
    void cmdLeer_Click();
    // A project file from outside the window: dropped on it, handed over by a second start,
    // or named on the command line. It asks as Abrir does; empty: the window comes to the front.
    void openFromOutside(const QString &fileName);
    void undoStep();
    void redoStep();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where the operator stood when a read-back began: shown again if it does not complete.
    struct ViewBeforeRead
    {
        int page = 1;
        int visibleRows = 4;
        QString panel3;
    };

    void buildWindow();
    void buildStatusBar();
    void buildKeys();
    void applyTabOrder();
    void wireLink();
    void showMessage(MessageIcon icon, const QString &text);
    void setPanel(int panel, const QString &text);
    void onScanPassStarted();
    void onSignFound();
    void onProgress(const ExchangeReply *reply);
    void onReadStarting();
    void onExchangeFinished(const ExchangeReport &report);
    void onPortNotice(const QString &address, PortStatus status, const QString &detail);
    bool sendProgram();
    int pagesToSave() const;
    QString chooseFileWithDialog(FileDialogKind kind);
    bool save();
    // True when nothing unsaved is in the way of replacing the program or closing: nothing
    // changed, or the operator saved it or let it go.
    bool settleUnsavedChanges(const QString &question);
    bool openProjectFile(const QString &name);
    void showDocumentAgain();
    void endRead();
    void step(bool forward);

    ProgramDocument *m_document = nullptr;
    PageEditor *m_editor = nullptr;
    SignLink *m_link = nullptr;
    ProgramSession *m_session = nullptr;
    std::array<QLabel *, 3> m_panels{};
    QLabel *m_notice = nullptr;
    QStringList m_notices;
    std::unique_ptr<MessagePresenter> m_presenter;
    FileChooser m_chooseFile;
    std::optional<ViewBeforeRead> m_readView;  // set while a read-back runs
};

}  // namespace zlx
