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

class QLabel;
class QPushButton;
class QToolButton;
class QTabWidget;

namespace zlx {

class PageEditor;
class ProgramSession;

enum class FileDialogKind { Open, Save };

// The main window: the command buttons, the status bar and the editor, wired to the sign link
// and to project files. Its handlers carry the system's names and stay thin.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    // The window takes the port (the real one, or a scripted one), the COM numbers' addresses
    // and the two link timers; without timers it makes real ones.
    Form1(std::unique_ptr<SignPort> port, PortMap map, std::unique_ptr<Ticker> timer1 = {},
          std::unique_ptr<Ticker> timer2 = {}, QWidget *parent = nullptr);
    ~Form1() override;

    MessageStore &store() { return m_store; }
    PageEditor *editor() const { return m_editor; }
    SignLink *link() const { return m_link; }
    ProgramSession *session() const { return m_session; }
    QString projectFileName() const { return m_projectFileName; }
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

private:
    void buildWindow();
    void buildStatusBar();
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
    int pagesToSave() const;
    EditorView currentView() const;
    QString chooseFileWithDialog(FileDialogKind kind);

    MessageStore m_store;
    PageEditor *m_editor = nullptr;
    SignLink *m_link = nullptr;
    ProgramSession *m_session = nullptr;
    std::array<QLabel *, 3> m_panels{};
    QLabel *m_notice = nullptr;
    QStringList m_notices;
    std::unique_ptr<MessagePresenter> m_presenter;
    FileChooser m_chooseFile;
    QString m_projectFileName;

};

}  // namespace zlx
