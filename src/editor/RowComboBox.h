#pragma once

#include <QComboBox>

namespace zlx {

// An editable box of an editor row (effect, amount, font). Typed text stays as typed: no
// completion, no item chosen on Enter or on leaving, no typed text added as an item. The wheel
// changes the box only while it has the keyboard focus; otherwise it goes on to the parent.
// A slim frame and arrow and a condensed face keep every item whole at the defined sizes.
class RowComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit RowComboBox(QWidget *parent);

protected:
    void wheelEvent(QWheelEvent *event) override;
};

}  // namespace zlx
