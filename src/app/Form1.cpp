#include "app/Form1.h"

#include "editor/Colors.h"
#include "editor/Fonts.h"
#include "editor/Layout.h"
#include "app/BoxPresenter.h"
#include "editor/PageEditor.h"
#include "link/PageImages.h"
#include "link/SignPort.h"
#include "link/QtTicker.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace zlx {

namespace {

constexpr char kFileFilter[] = "Archivos zlx (*.zlx)";

QToolButton *pictureButton(QWidget *parent, const char *name, const QString &caption, const QString &image,
                           const QRect &geometry)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setIcon(QIcon(image));
    b->setIconSize(QSize(48, 44));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setGeometry(geometry);
    b->setAutoRaise(false);
    return b;
}
}  // namespace

Form1::Form1(std::unique_ptr<SignPort> port, std::unique_ptr<Ticker> timer1,
             std::unique_ptr<Ticker> timer2, QWidget *parent)
    : QWidget(parent), m_presenter(std::make_unique<BoxPresenter>(this))
{
    m_chooseFile = [this](FileDialogKind kind) { return chooseFileWithDialog(kind); };
    if (!timer1)
        timer1 = std::make_unique<QtTicker>();
    if (!timer2)
        timer2 = std::make_unique<QtTicker>();
    timer1->setObjectName(QStringLiteral("Timer1"));
    timer2->setObjectName(QStringLiteral("Timer2"));
    port->setObjectName(QStringLiteral("MSComm1"));
    // The window owns the port and the timers from here on, through Qt's parent.
    SignPort *serial = port.release();
    Ticker *t1 = timer1.release();
    Ticker *t2 = timer2.release();
    for (QObject *child : {static_cast<QObject *>(serial), static_cast<QObject *>(t1), static_cast<QObject *>(t2)})
        child->setParent(this);
    m_link = new SignLink(serial, t1, t2, this);

    buildWindow();
    wireLink();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::setMessagePresenter(std::unique_ptr<MessagePresenter> presenter)
{
    m_presenter = std::move(presenter);
}

void Form1::buildWindow()
{
    setFixedSize(px(11760), px(8940));
    setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    setWindowTitle(QString::fromLatin1(kPlainTitle));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colors::kDarkBlue);
    setPalette(pal);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(twipsRect(0, 0, 10335, 8655));
    SSTab1->tabBar()->setFont(fonts::bold8());
    // Without a pane frame: the style paints it in the light button colour, a bright line
    // around the dark blue page.
    SSTab1->setDocumentMode(true);
    SSTab1->tabBar()->setDrawBase(false);
    auto *page = new QWidget(SSTab1);
    page->setAutoFillBackground(true);
    page->setPalette(pal);
    SSTab1->addTab(page, QStringLiteral("Mensajes"));
    // The frame sits at its place on the tab control itself, over the page.
    m_editor = new PageEditor(m_store, SSTab1);
    m_editor->setObjectName(QStringLiteral("Frame1"));
    m_editor->setGeometry(twipsRect(120, 360, 10095, 8175));
    m_editor->raise();

    cmdNuevo = pictureButton(this, "cmdNuevo", QStringLiteral("Nuevo"), QStringLiteral(":/art/nuevo.png"), twipsRect(10440, 120, 1215, 1095));
    cmdAbrir = pictureButton(this, "cmdAbrir", QStringLiteral("Abrir Archivo"), QStringLiteral(":/art/abrir.png"), twipsRect(10440, 1200, 1215, 1095));
    cmdGuardar = pictureButton(this, "cmdGuardar", QStringLiteral("Guardar"), QStringLiteral(":/art/guardar.png"), twipsRect(10440, 2280, 1215, 1095));
    cmdEnviar = pictureButton(this, "cmdEnviar", QStringLiteral("Enviar"), QStringLiteral(":/art/enviar.png"), twipsRect(10440, 3960, 1215, 975));
    cmdLeer = pictureButton(this, "cmdLeer", QStringLiteral("Leer"), QStringLiteral(":/art/leer.png"), twipsRect(10440, 4920, 1215, 975));
    cmdPrueba = new QPushButton(QStringLiteral("Prueba"), this);
    cmdPrueba->setObjectName(QStringLiteral("cmdPrueba"));
    cmdPrueba->setGeometry(twipsRect(10560, 6360, 1095, 975));

    connect(cmdNuevo, &QAbstractButton::clicked, this, &Form1::cmdNuevo_Click);
    connect(cmdAbrir, &QAbstractButton::clicked, this, &Form1::cmdAbrir_Click);
    connect(cmdGuardar, &QAbstractButton::clicked, this, &Form1::cmdGuardar_Click);
    connect(cmdEnviar, &QAbstractButton::clicked, this, &Form1::cmdEnviar_Click);
    connect(cmdLeer, &QAbstractButton::clicked, this, &Form1::cmdLeer_Click);
    connect(m_editor, &PageEditor::refused, this,
            [this](const QString &text) { showMessage(MessageIcon::Exclamation, text); });

    buildStatusBar();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form1::buildStatusBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setGeometry(twipsRect(0, 8685, 11760, 255));
    bar->setAutoFillBackground(true);
    bar->setBackgroundRole(QPalette::Button);
    const std::array<int, 3> widths{2500, 2000, 7000};
    const std::array<QString, 3> texts{QStringLiteral("Estado de conexion"), QStringLiteral("ZANTOLUX"), QString()};
    // The fallback face is wider than the original one: its condensed cut keeps a port text
    // such as "COM10:2400bps,8,N,1" whole in panel 2, at the same size and weight.
    QFont panelFont = fonts::bold8();
    panelFont.setStretch(QFont::SemiCondensed);
    int left = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        auto *panel = new QLabel(texts[i], bar);
        panel->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFont(panelFont);
        panel->setForegroundRole(QPalette::ButtonText);
        panel->setGeometry(px(left), 0, px(widths[i]), px(255));
        left += widths[i];
        m_panels[i] = panel;
    }
}

QString Form1::panelText(int panel) const
{
    return m_panels.at(size_t(panel - 1))->text();
}

void Form1::setPanel(int panel, const QString &text)
{
    m_panels.at(size_t(panel - 1))->setText(text);
}

void Form1::wireLink()
{
    connect(m_link, &SignLink::panelText, this, &Form1::setPanel);
    connect(m_link, &SignLink::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_link, &SignLink::sendButtonsEnabled, this, [this](bool enabled) {
        cmdEnviar->setEnabled(enabled);
        cmdLeer->setEnabled(enabled);
    });
    connect(m_link, &SignLink::signFound, this, &Form1::onSignFound);
    connect(m_link, &SignLink::readCompleted, this, &Form1::onReadCompleted);
    connect(m_link, &SignLink::readAbandoned, this, &Form1::onReadAbandoned);
    connect(m_link, &SignLink::message, this, &Form1::showMessage);
}

void Form1::showMessage(MessageIcon icon, const QString &text)
{
    m_presenter->show(icon, text);
}

QList<QWidget *> Form1::focusOrder() const
{
    QList<QWidget *> order{SSTab1, m_editor, cmdAbrir, cmdGuardar, cmdEnviar, cmdLeer,
                           m_editor->lblPagina(), m_editor->cmdBajar(), m_editor->cmdSubir(),
                           m_editor->label(1)};
    for (int r = 0; r < PageEditor::kRows; ++r) {
        const EditorRow &row = m_editor->row(r);
        order << row.cmbEfecto << row.cmbVelocidad << row.cmbFuente << row.Text1;
    }
    auto text2 = [this](int r) -> QWidget * { return m_editor->row(r).Text2; };
    order << m_editor->label(2) << m_editor->label(3) << m_editor->cmdAgregar()
          << findChild<QWidget *>(QStringLiteral("StatusBar1")) << text2(1) << text2(0)
          << m_editor->picture1() << text2(6) << text2(5) << text2(4);
    for (int r = 7; r <= 19; ++r)
        order << text2(r);
    order << cmdNuevo << cmdPrueba << text2(2) << text2(3);
    return order;
}

void Form1::applyTabOrder()
{
    // Qt ignores a link to or from a widget that takes no focus, and such a widget is never
    // reached by the tab key, so the chain is built over the focusable ones alone.
    QWidget *previous = nullptr;
    for (QWidget *w : focusOrder()) {
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void Form1::Form_Load()
{
    setWindowTitle(QString::fromLatin1(kPlainTitle));
    if (const auto &model = m_link->model())
        setWindowTitle(model->resetTitle());
    cmdLeer->setVisible(true);
    cmdPrueba->setVisible(false);
    m_editor->reset();
    m_link->clearPageImages();
    applyTabOrder();
    if (!m_link->signDetected())
        m_link->SetUpLink();
}

void Form1::onSignFound()
{
    const auto &model = m_link->model();
    m_editor->setPageCount(model ? std::optional<int>(model->pageCount) : std::nullopt);
}

bool Form1::modelKnown()
{
    if (m_link->model())
        return true;
    showMessage(MessageIcon::Exclamation,
                QStringLiteral("No se reconoce el modelo del letrero: no se puede enviar ni leer el programa."));
    return false;
}

void Form1::cmdEnviar_Click()
{
    if (m_editor->row(0).cmbEfecto->currentText().isEmpty())
        return;
    if (m_link->programBusy())
        return;
    // Everything that can refuse the Send is checked before the link changes state, so a
    // refusal leaves the link exactly as it was.
    if (!modelKnown())
        return;
    // A read-back under way is abandoned by the Send and gives nothing back: the program from
    // before it returns, with the page on the screen stored over it.
    const MessageStore current = m_store;
    const bool givesBack = m_link->readBusy() && m_beforeRead;
    if (givesBack)
        m_store = m_beforeRead->store;
    if (!m_editor->SaveShownPage(m_editor->currentPage() - 1)) {
        if (givesBack)
            m_store = current;
        return;
    }
    const SignModel model = *m_link->model();
    if (const auto fault = findUnsendableEntry(m_store, model)) {
        if (givesBack)
            m_store = current;  // the read-back goes on; it may still complete
        showMessage(MessageIcon::Exclamation,
                    QStringLiteral("No se puede enviar el programa: página %1, fila %2: %3.")
                        .arg(fault->page + 1).arg(fault->row + 1).arg(fault->problem));
        return;
    }
    if (!m_link->beginSend())
        return;
    if (givesBack)
        setPanel(3, m_beforeRead->panel3);
    m_beforeRead.reset();
    const PageImageBuild build = buildPageImages(m_store, model);
    for (int i = 0; i < build.cutPages.size(); ++i)
        showMessage(MessageIcon::Information, QStringLiteral("Se ha recortado parte del mensaje por ser muy largo"));
    m_link->startSend(build.images);
}

void Form1::cmdLeer_Click()
{
    if (m_link->readBusy())
        return;
    if (!modelKnown())
        return;
    // The shown page is stored first so that a failed read-back can give it back.
    if (!m_editor->SaveShownPage(m_editor->currentPage() - 1))
        return;
    auto before = std::make_unique<Snapshot>();
    before->store = m_store;
    before->page = m_editor->currentPage();
    before->panel3 = panelText(3);
    before->visibleRows = 0;
    while (before->visibleRows < PageEditor::kRows && m_editor->row(before->visibleRows).isVisible())
        ++before->visibleRows;
    m_beforeRead = std::move(before);
    Form_Load();
    m_link->startRead();
}

void Form1::onReadCompleted(const QList<QByteArray> &images)
{
    m_beforeRead.reset();
    const int pages = m_link->model()->pageCount;
    m_store.clearPages(pages);
    decodePageImages(images, pages, m_store);
    m_editor->showFirstPage();
}

void Form1::onReadAbandoned()
{
    if (!m_beforeRead)
        return;
    const std::unique_ptr<Snapshot> before = std::move(m_beforeRead);
    m_store = before->store;
    m_editor->showPageNumber(before->page, before->visibleRows);
    setPanel(3, before->panel3);
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
    dialog.setOption(QFileDialog::DontUseNativeDialog, false);
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
    m_beforeRead.reset();  // the operator chose to replace the program
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
    m_beforeRead.reset();  // the operator chose to start over
}

}  // namespace zlx
