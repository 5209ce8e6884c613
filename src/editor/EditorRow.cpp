#include "editor/EditorRow.h"

#include "editor/Layout.h"
#include "editor/RowComboBox.h"

#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>
#include <QWidget>

#include <limits>

namespace zlx {

namespace {

constexpr int kFirstRowTop = 960;
constexpr int kRowPitch = 360;
constexpr int kRowHeight = 315;

QComboBox *makeCombo(QWidget *frame, const QString &name)
{
    auto *box = new RowComboBox(frame);
    box->setObjectName(name);
    return box;
}

}  // namespace

EditorRow::EditorRow(int r, QWidget *frame)
    : QObject(frame)
    , m_index(r)
{
    const int top = kFirstRowTop + kRowPitch * r;
    const QString n = QString::number(r);

    cmbEfecto = makeCombo(frame, QStringLiteral("cmbEfecto_") + n);
    cmbEfecto->setGeometry(twipsRect(120, top, 1455, kRowHeight));
    cmbEfecto->setEditText(QStringLiteral("Texto Fijo"));

    Text2 = new QLineEdit(frame);
    Text2->setObjectName(QStringLiteral("Text2_") + n);
    Text2->setGeometry(twipsRect(1560, top, 855, kRowHeight));

    cmbVelocidad = makeCombo(frame, QStringLiteral("cmbVelocidad_") + n);
    cmbVelocidad->setGeometry(twipsRect(2400, top, 615, kRowHeight));

    cmbFuente = makeCombo(frame, QStringLiteral("cmbFuente_") + n);
    cmbFuente->setGeometry(twipsRect(3000, top, 735, kRowHeight));
    cmbFuente->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});

    Text1 = new QLineEdit(frame);
    Text1->setObjectName(QStringLiteral("Text1_") + n);
    Text1->setGeometry(twipsRect(3720, top, 6255, kRowHeight));
    Text1->setMaxLength(std::numeric_limits<int>::max());  // a message text has no length limit
}

void EditorRow::setVisible(bool visible)
{
    for (QWidget *w : {static_cast<QWidget *>(cmbEfecto), static_cast<QWidget *>(Text2),
                       static_cast<QWidget *>(cmbVelocidad), static_cast<QWidget *>(cmbFuente),
                       static_cast<QWidget *>(Text1)})
        w->setVisible(visible);
}

bool EditorRow::isVisible() const
{
    // Not QWidget::isVisible(): a row counts as shown while the window itself is hidden.
    return !Text1->isHidden();
}

bool EditorRow::holds(const QWidget *w) const
{
    // Up the parent chain, across windows: an open list of a box belongs to its row.
    for (; w; w = w->parentWidget()) {
        if (w == cmbEfecto || w == Text2 || w == cmbVelocidad || w == cmbFuente || w == Text1)
            return true;
    }
    return false;
}

RowInput EditorRow::input() const
{
    return {cmbEfecto->currentText(), cmbEfecto->currentIndex(), cmbVelocidad->currentText(),
            cmbFuente->currentText(), Text1->text()};
}

std::optional<QByteArray> EditorRow::unchangedEntry() const
{
    if (m_shown && m_shown->second == input())
        return m_shown->first;
    return std::nullopt;
}

void EditorRow::setReadOnly(bool readOnly)
{
    Text1->setReadOnly(readOnly);
    for (QComboBox *box : {cmbEfecto, cmbVelocidad, cmbFuente})
        box->setEnabled(!readOnly);
}

void EditorRow::forgetTyping()
{
    for (QLineEdit *box : {Text1, cmbEfecto->lineEdit(), cmbVelocidad->lineEdit(), cmbFuente->lineEdit()}) {
        if (!box->isUndoAvailable() && !box->isRedoAvailable())
            continue;
        // Setting the text is the only way to end a line edit's history; where the operator
        // stands in it stays.
        const int cursor = box->cursorPosition();
        const int start = box->selectionStart();
        const int length = int(box->selectedText().size());
        const QSignalBlocker blocker(box);
        box->setText(box->text());
        if (start >= 0)
            box->setSelection(cursor == start ? start + length : start, cursor == start ? -length : length);
        else
            box->setCursorPosition(cursor);
    }
}

void EditorRow::markCut(const QString &note)
{
    if (Text1->toolTip() == note)
        return;
    Text1->setToolTip(note);
    QPalette pal;  // an empty palette: the box inherits its colours again
    if (!note.isEmpty()) {
        pal = Text1->palette();
        pal.setColor(QPalette::Text, Qt::red);
    }
    Text1->setPalette(pal);
}

}  // namespace zlx
