// The editor frame's fixed layout: page bar, headings, picture and the 20 rows, and their wiring.
#include "editor/PageEditor.h"

#include "document/ProgramDocument.h"
#include "editor/BoxUndoKeys.h"
#include "editor/Colors.h"
#include "editor/Fonts.h"
#include "editor/Layout.h"
#include "session/OperatorTexts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <utility>

namespace zlx {

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, const QFont &font,
                  const QRect &geometry)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    label->setGeometry(geometry);
    return label;
}

QPushButton *makeArrowButton(QWidget *parent, const char *name, const char *image,
                             const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(QIcon(QString::fromLatin1(image)));
    button->setIconSize(QSize(24, 24));
    button->setGeometry(geometry);
    return button;
}

}  // namespace

PageEditor::PageEditor(ProgramDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
    , m_undoKeys(new BoxUndoKeys(this))
{
    setObjectName(QStringLiteral("Frame1"));
    resize(px(10095), px(8175));
    setFont(fonts::standard());
    colors::paintDarkBlue(this);

    // Created first so that it lies beneath every row control.
    m_picture1 = new QLabel(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setGeometry(twipsRect(120, 1920, 9900, 6165));
    m_picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture1->setAutoFillBackground(true);
    m_picture1->setPixmap(QPixmap(QStringLiteral(":/art/picture1.png")));

    m_cmdBajar = makeArrowButton(this, "cmdBajar", ":/art/bajar.png", twipsRect(0, 120, 495, 465));
    m_lblPagina = makeLabel(this, "lblPagina", QStringLiteral("PAGINA:  1"), fonts::bold12(),
                            twipsRect(840, 240, 1695, 255));
    m_cmdSubir = makeArrowButton(this, "cmdSubir", ":/art/subir.png", twipsRect(2640, 120, 495, 465));

    m_cmdAgregar = new QPushButton(QStringLiteral("Agregar Fila"), this);
    m_cmdAgregar->setObjectName(QStringLiteral("cmdAgregar"));
    m_cmdAgregar->setFont(fonts::bold8());
    m_cmdAgregar->setGeometry(twipsRect(8400, 240, 1455, 375));

    m_line1 = new QFrame(this);
    m_line1->setObjectName(QStringLiteral("Line1"));
    m_line1->setGeometry(0, px(600), px(10080) + 1, 1);
    m_line1->setAutoFillBackground(true);
    QPalette linePal = m_line1->palette();
    linePal.setColor(QPalette::Window, palette().color(QPalette::Midlight));
    m_line1->setPalette(linePal);

    m_labels[0] = makeLabel(this, "Label1", QStringLiteral("EFECTO"), fonts::bold8(),
                            twipsRect(360, 720, 975, 255));
    m_labels[1] = makeLabel(this, "Label2", QStringLiteral("FUENTE"), fonts::bold8(),
                            twipsRect(3000, 720, 855, 255));
    m_labels[2] = makeLabel(this, "Label3", QStringLiteral("TEXTO"), fonts::bold8(),
                            twipsRect(6000, 720, 735, 255));

    for (int r = 0; r < kRows; ++r) {
        m_rows[size_t(r)] = new EditorRow(r, this);
        wireRow(m_rows[size_t(r)]);
    }
    m_picture1->lower();

    connect(m_cmdSubir, &QPushButton::clicked, this, &PageEditor::cmdSubir_Click);
    connect(m_cmdBajar, &QPushButton::clicked, this, &PageEditor::cmdBajar_Click);
    connect(m_cmdAgregar, &QPushButton::clicked, this, &PageEditor::cmdAgregar_Click);
    m_cmdBajar->setToolTip(texts::shortcutTip(QStringLiteral("Página anterior"), QStringLiteral("RePág")));
    m_cmdSubir->setToolTip(texts::shortcutTip(QStringLiteral("Página siguiente"), QStringLiteral("AvPág")));
    // The window's keys for the arrows, whatever control has the focus: a box never sees them,
    // so an effect box neither steps its list nor runs its rule on them.
    for (const auto &[key, handler] : {std::pair{Qt::Key_PageDown, &PageEditor::cmdSubir_Click},
                                       std::pair{Qt::Key_PageUp, &PageEditor::cmdBajar_Click}}) {
        auto *action = new QAction(this);
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, handler);
    }

    connect(&m_document, &ProgramDocument::changed, this, &PageEditor::onDocumentChanged);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, &PageEditor::onFocusChanged);
}

PageEditor::~PageEditor()
{
    disconnect(m_focusWatch);
}

void PageEditor::wireRow(EditorRow *row)
{
    const int r = row->index();
    connect(row->cmbEfecto, &QComboBox::currentIndexChanged, this, [this, r](int k) {
        if (k >= 0)
            cmbEfecto_Click(r);
    });
    // Choosing the item that is already selected changes no index; the rule must run
    // all the same. Running it twice on a change is harmless: it sets fixed values.
    connect(row->cmbEfecto, &QComboBox::activated, this, [this, r] { cmbEfecto_Click(r); });
    connect(row->cmbEfecto, &QComboBox::editTextChanged, this, [this, r] { cmbEfecto_Change(r); });
    connect(row->Text1, &QLineEdit::returnPressed, this, [this, r] { Text1_KeyPress(r, kEnter); });
    // Any edit of a row may move where the page stops fitting the sign's memory.
    for (QComboBox *box : {row->cmbEfecto, row->cmbVelocidad, row->cmbFuente}) {
        connect(box, &QComboBox::editTextChanged, this, &PageEditor::markRows);
        m_undoKeys->watch(box);
    }
    connect(row->cmbEfecto, &QComboBox::currentIndexChanged, this, &PageEditor::markRows);
    connect(row->Text1, &QLineEdit::textChanged, this, &PageEditor::markRows);
    m_undoKeys->watch(row->Text1);
}

QLabel *PageEditor::label(int n) const
{
    return (n >= 1 && n <= 3) ? m_labels[size_t(n - 1)] : nullptr;
}

}  // namespace zlx
