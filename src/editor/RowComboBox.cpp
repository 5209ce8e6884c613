#include "editor/RowComboBox.h"

#include "editor/Fonts.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionComplex>
#include <QWheelEvent>

namespace zlx {

namespace {

// The platform's combo box spends some 23 of the amount box's 41 pixels on its frame and arrow,
// leaving too little for "200"; this one keeps a 1-pixel frame and a 10-pixel arrow button.
class CompactComboStyle : public QProxyStyle
{
public:
    static constexpr int kFrame = 1;
    static constexpr int kArrowWidth = 10;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                         SubControl sub, const QWidget *widget) const override
    {
        if (control != CC_ComboBox || (sub != SC_ComboBoxArrow && sub != SC_ComboBoxEditField))
            return QProxyStyle::subControlRect(control, option, sub, widget);
        const QRect r = option->rect;
        const QRect rect = sub == SC_ComboBoxArrow
            ? QRect(r.right() - kArrowWidth + 1, r.top(), kArrowWidth, r.height())
            : QRect(r.left() + kFrame, r.top() + kFrame, r.width() - kArrowWidth - kFrame,
                    r.height() - 2 * kFrame);
        return visualRect(option->direction, r, rect);
    }
};

// One style for all row boxes, owned by the application.
QStyle *compactStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new CompactComboStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style.data();
}

}  // namespace

RowComboBox::RowComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    // Typed text never becomes an item: each box keeps exactly the items the program gives it.
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(false);
    // Qt would complete "20" to the item "200", and on Enter or on leaving select the item that
    // equals the typed text, which in an effect box runs the effect rule over the row.
    setCompleter(nullptr);
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    // Not WheelFocus: a wheel turned over the box must not give it the focus on its way past.
    setFocusPolicy(Qt::StrongFocus);

    setStyle(compactStyle());
    // The condensed cut of the fallback face keeps "Desplazamiento" whole at the same size.
    QFont condensed = fonts::standard();
    condensed.setStretch(QFont::SemiCondensed);
    setFont(condensed);
}

void RowComboBox::wheelEvent(QWheelEvent *event)
{
    // A box the operator works in (keyboard focus) steps through its list as usual; over any
    // other box the wheel is left to the parent, so a row is never changed in passing.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

}  // namespace zlx
