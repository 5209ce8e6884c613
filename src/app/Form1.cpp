#include "app/Form1.h"

#include "app/BoxPresenter.h"
#include "document/ProgramDocument.h"
#include "editor/Colors.h"
#include "editor/Fonts.h"
#include "editor/Layout.h"
#include "editor/PageEditor.h"
#include "link/QtTicker.h"
#include "session/OperatorTexts.h"
#include "session/ProgramSession.h"

#include <QAction>
#include <QGuiApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace zlx {

namespace {

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

Form1::Form1(std::unique_ptr<SignPort> port, PortMap map, std::unique_ptr<Ticker> timer1,
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
    m_link = new SignLink(serial, std::move(map), t1, t2, this);
    m_session = new ProgramSession(*m_link, this);
    m_document = new ProgramDocument(this);

    buildWindow();
    buildKeys();
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
    colors::paintDarkBlue(this);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(twipsRect(0, 0, 10335, 8655));
    SSTab1->tabBar()->setFont(fonts::bold8());
    // Without a pane frame: the style paints it in the light button colour, a bright line
    // around the dark blue page.
    SSTab1->setDocumentMode(true);
    SSTab1->tabBar()->setDrawBase(false);
    auto *page = new QWidget(SSTab1);
    colors::paintDarkBlue(page);
    SSTab1->addTab(page, QStringLiteral("Mensajes"));
    // The frame sits at its place on the tab control itself, over the page.
    m_editor = new PageEditor(*m_document, SSTab1);
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
    // Why a port stays silent, where the operator sees it without pointing: the free ground
    // below the buttons. Hidden until there is something to say.
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("lblAviso"));
    m_notice->setGeometry(twipsRect(10380, 6000, 1335, 2640));
    m_notice->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_notice->setWordWrap(true);
    m_notice->setFont(fonts::standard());
    m_notice->setStyleSheet(QStringLiteral("color: #ffd75e;"));
    m_notice->hide();

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

// Nuevo, Abrir and Guardar on their usual keys, undo and redo of the program's steps. Enviar
// and Leer get none: a stray key never starts an exchange.
void Form1::buildKeys()
{
    const struct { QToolButton *button; QKeySequence keys; QString name; } commands[] = {
        {cmdNuevo, QKeySequence(Qt::CTRL | Qt::Key_N), QStringLiteral("Ctrl+N")},
        {cmdAbrir, QKeySequence(Qt::CTRL | Qt::Key_O), QStringLiteral("Ctrl+O")},
        {cmdGuardar, QKeySequence(Qt::CTRL | Qt::Key_S), QStringLiteral("Ctrl+S")},
    };
    for (const auto &c : commands) {
        auto *action = new QAction(this);
        action->setShortcut(c.keys);
        addAction(action);
        connect(action, &QAction::triggered, c.button, &QAbstractButton::clicked);
        c.button->setToolTip(texts::shortcutTip(c.button->text(), c.name));
    }
    auto *undo = new QAction(this);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    addAction(undo);
    connect(undo, &QAction::triggered, this, &Form1::undoStep);
    auto *redo = new QAction(this);
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    addAction(redo);
    connect(redo, &QAction::triggered, this, &Form1::redoStep);

    // A project file dropped anywhere on the window opens; the text boxes, which take dropped
    // text, pass such a file on to it.
    setAcceptDrops(true);
    for (QWidget *w : findChildren<QWidget *>()) {
        if (w->acceptDrops())
            w->installEventFilter(this);
    }
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

QString Form1::noticeText() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

QString Form1::panelText(int panel) const
{
    return m_panels.at(size_t(panel - 1))->text();
}

void Form1::setPanel(int panel, const QString &text)
{
    m_panels.at(size_t(panel - 1))->setText(text);
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

}  // namespace zlx
