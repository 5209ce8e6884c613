#include "app/MessageBoxes.h"

#include <QMessageBox>

namespace zlx {

MessagePresenter::~MessagePresenter() = default;

void BoxPresenter::show(MessageIcon icon, const QString &text)
{
    QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
                    QString::fromLatin1(kAppTitle), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool BoxPresenter::askYesNo(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QString::fromLatin1(kAppTitle), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace zlx
