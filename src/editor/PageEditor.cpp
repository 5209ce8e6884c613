#include "editor/PageEditor.h"

#include "editor/EffectRules.h"
#include "editor/Colors.h"
#include "editor/Fonts.h"
#include "editor/Layout.h"
#include "model/MessageEntry.h"
#include "model/RowCheck.h"

#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

namespace zlx {

namespace {

constexpr int kEnter = 13;
constexpr int kLastPageBeforeDetection = 40;

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

PageEditor::PageEditor(MessageStore &store, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("Frame1"));
    resize(px(10095), px(8175));
    setFont(fonts::standard());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colors::kDarkBlue);
    setPalette(pal);

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
        auto *row = new EditorRow(r, this);
        m_rows[size_t(r)] = row;
        connect(row->cmbEfecto, &QComboBox::currentIndexChanged, this, [this, r](int k) {
            if (k >= 0)
                cmbEfecto_Click(r);
        });
        // Choosing the item that is already selected changes no index; the rule must run
        // all the same. Running it twice on a change is harmless: it sets fixed values.
        connect(row->cmbEfecto, &QComboBox::activated, this, [this, r] { cmbEfecto_Click(r); });
        connect(row->cmbEfecto, &QComboBox::editTextChanged, this, [this, r] { cmbEfecto_Change(r); });
        connect(row->Text1, &QLineEdit::returnPressed, this, [this, r] { Text1_KeyPress(r, kEnter); });
    }
    m_picture1->lower();

    connect(m_cmdSubir, &QPushButton::clicked, this, &PageEditor::cmdSubir_Click);
    connect(m_cmdBajar, &QPushButton::clicked, this, &PageEditor::cmdBajar_Click);
    connect(m_cmdAgregar, &QPushButton::clicked, this, &PageEditor::cmdAgregar_Click);
}

QLabel *PageEditor::label(int n) const
{
    return (n >= 1 && n <= 3) ? m_labels[size_t(n - 1)] : nullptr;
}

void PageEditor::setPageLabel()
{
    m_lblPagina->setText(QStringLiteral("PAGINA:  ") + QString::number(m_currentPage));
}

void PageEditor::reset()
{
    m_nextRow = 4;
    m_currentPage = 1;
    setPageLabel();
    for (EditorRow *row : m_rows) {
        row->cmbEfecto->clear();
        row->cmbEfecto->setEditText(QString());
        {
            // Filling an empty box would select its first item; the reset selects none.
            const QSignalBlocker blocker(row->cmbEfecto);
            row->cmbEfecto->addItems(effectNames());
            row->cmbEfecto->setCurrentIndex(-1);
            row->cmbEfecto->setEditText(QString());
        }
        row->cmbFuente->setEditText(QString());
        row->Text2->clear();
        row->Text2->setReadOnly(true);
        row->cmbVelocidad->setEditText(QString());
        row->Text1->clear();
    }
    for (int r = m_nextRow; r < kRows; ++r)
        m_rows[size_t(r)]->setVisible(false);
    m_store.clearPages(MessageStore::kPagesInUse);
}

bool PageEditor::SaveShownPage(int p)
{
    // Every row is checked before anything is stored, so a refused page leaves the store as it was.
    QList<QByteArray> entries;
    int r = 0;
    for (; r < kRows; ++r) {
        const EditorRow &row = *m_rows[size_t(r)];
        const RowInput input{row.cmbEfecto->currentText(), row.cmbEfecto->currentIndex(),
                             row.cmbVelocidad->currentText(), row.cmbFuente->currentText(),
                             row.Text1->text()};
        if (input.effectText.isEmpty())
            break;
        const RowCheckResult check = checkRow(input);
        if (check.problem != RowProblem::None) {
            emit refused(rowProblemMessage(p + 1, r + 1, check.problem));
            QWidget *culprit = row.Text1;
            if (check.problem == RowProblem::UnknownEffect)
                culprit = row.cmbEfecto;
            else if (check.problem == RowProblem::BadAmount)
                culprit = row.cmbVelocidad;
            else if (check.problem == RowProblem::BadFont)
                culprit = row.cmbFuente;
            culprit->setFocus(Qt::OtherFocusReason);
            return false;
        }
        entries.append(entry::make(check.effectIndex + 1, check.amount,
                                   input.fontText.at(0).toLatin1(), entry::textToStored(input.text)));
    }
    for (int i = 0; i < int(entries.size()); ++i)
        m_store.setEntry(p, i, entries.at(i));
    if (r < kRows)
        m_store.setEntry(p, r, QByteArray());
    return true;
}

void PageEditor::ShowPage(int p)
{
    for (EditorRow *row : m_rows) {
        row->cmbEfecto->setEditText(QString());
        // No item stays selected, so that selecting the stored effect always raises its rule.
        row->cmbEfecto->setCurrentIndex(-1);
        row->Text2->clear();
        row->cmbVelocidad->setEditText(QString());
        row->cmbFuente->setEditText(QString());
        row->Text1->clear();
    }

    int filled = 0;
    for (; filled < kRows; ++filled) {
        const QByteArray &e = m_store.entry(p, filled);
        const int effect = entry::effectDigit(e);
        // A first character that is no digit ends the page like an empty entry.
        if (entry::isEmpty(e) || effect < 1)
            break;
        EditorRow &row = *m_rows[size_t(filled)];
        row.setVisible(true);
        row.cmbEfecto->setCurrentIndex(effect - 1);  // raises cmbEfecto_Click: the defaults

        const int amount = entry::amount(e);
        row.cmbVelocidad->setEditText(amount >= 0 ? QString::number(amount) : QString());

        const int font = entry::fontDigit(e);
        row.cmbFuente->setCurrentIndex(-1);
        if (font >= 1 && font <= 3)
            row.cmbFuente->setCurrentIndex(font - 1);
        else
            row.cmbFuente->setEditText(QString());

        const QString entryText = entry::storedToText(entry::storedText(e));
        row.Text1->setText(entryText);
        row.Text1->setCursorPosition(0);  // a long text shows its beginning
    }
    m_nextRow = std::min(filled, kRows - 1);
}

void PageEditor::showFirstPage()
{
    m_currentPage = 1;
    setPageLabel();
    ShowPage(0);
}

void PageEditor::showPageNumber(int page, int visibleRows)
{
    m_currentPage = page;
    setPageLabel();
    for (int r = 0; r < std::min(visibleRows, int(kRows)); ++r)
        m_rows[size_t(r)]->setVisible(true);
    ShowPage(page - 1);
}

void PageEditor::cmdSubir_Click()
{
    if (m_rows[0]->cmbEfecto->currentText().isEmpty())
        return;
    const int lastPage = std::min(m_pageCount.value_or(kLastPageBeforeDetection),
                                  MessageStore::kPagesInUse);
    if (m_currentPage >= lastPage)
        return;
    // Stored before the page number moves, so a refused page keeps the editor where it is.
    if (!SaveShownPage(m_currentPage - 1))
        return;
    ++m_currentPage;
    setPageLabel();
    ShowPage(m_currentPage - 1);
}

void PageEditor::cmdBajar_Click()
{
    if (m_currentPage != 1) {
        if (!SaveShownPage(m_currentPage - 1))
            return;
        --m_currentPage;
        ShowPage(m_currentPage - 1);
    }
    setPageLabel();
}

void PageEditor::cmdAgregar_Click()
{
    m_rows[size_t(m_nextRow)]->setVisible(true);
    m_nextRow = std::min(m_nextRow + 1, kRows - 1);
}

void PageEditor::Text1_KeyPress(int r, int key)
{
    if (key != kEnter)
        return;
    const int n = std::min(r + 1, kRows - 1);
    if (m_rows[size_t(n)]->isVisible())
        m_rows[size_t(n)]->Text1->setFocus(Qt::OtherFocusReason);
}

void PageEditor::cmbEfecto_Click(int r)
{
    EditorRow &row = *m_rows[size_t(r)];
    const EffectRule *rule = effectRule(row.cmbEfecto->currentIndex());
    if (!rule)
        return;
    row.Text2->setText(rule->unitCaption);
    row.Text2->setCursorPosition(0);
    {
        // Filling the emptied box would select its first item; the rule selects none.
        const QSignalBlocker blocker(row.cmbVelocidad);
        row.cmbVelocidad->clear();
        row.cmbVelocidad->setEditText(rule->defaultAmount);
        row.cmbVelocidad->addItems(rule->amounts);
        row.cmbVelocidad->setCurrentIndex(-1);
        row.cmbVelocidad->setEditText(rule->defaultAmount);
    }
    row.cmbFuente->setEditText(rule->defaultFont);
    if (!rule->sampleText.isEmpty())
        row.Text1->setText(rule->sampleText);
}

void PageEditor::cmbEfecto_Change(int r)
{
    EditorRow &row = *m_rows[size_t(r)];
    if (!row.cmbEfecto->currentText().isEmpty())
        return;
    row.Text2->clear();
    row.cmbVelocidad->setEditText(QString());
    row.cmbFuente->setEditText(QString());
    row.Text1->clear();
    // An emptied box has no effect; choosing the former one again must apply its rule.
    if (row.cmbEfecto->currentIndex() != -1)
        row.cmbEfecto->setCurrentIndex(-1);
}

}  // namespace zlx
