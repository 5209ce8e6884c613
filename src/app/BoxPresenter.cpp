#include "app/BoxPresenter.h"

#include "session/OperatorTexts.h"

#include <QMessageBox>

namespace zlx {

std::unique_ptr<QMessageBox> makeMessageBox(QWidget *parent, MessageIcon icon, const QString &text)
{
    return std::make_unique<QMessageBox>(
        icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning,
        QString::fromLatin1(texts::kAppTitle), text, QMessageBox::Ok, parent);
}

std::unique_ptr<QMessageBox> makeQuestionBox(QWidget *parent, const QString &text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QString::fromLatin1(texts::kAppTitle),
                                             text, QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::No);
    return box;
}

std::unique_ptr<QMessageBox> makeSaveQuestionBox(QWidget *parent, const QString &text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QString::fromLatin1(texts::kAppTitle), text,
                                             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Cancel);
    return box;
}

void BoxPresenter::show(MessageIcon icon, const QString &text)
{
    makeMessageBox(m_parent, icon, text)->exec();
}

bool BoxPresenter::askYesNo(const QString &text)
{
    return makeQuestionBox(m_parent, text)->exec() == QMessageBox::Yes;
}

SaveChoice BoxPresenter::askSaveChanges(const QString &text)
{
    switch (makeSaveQuestionBox(m_parent, text)->exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

}  // namespace zlx
