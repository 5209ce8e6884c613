#pragma once

#include "app/MessagePresenter.h"

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace zlx {

// The boxes BoxPresenter shows, built apart so that their set-up can be checked.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget *parent, MessageIcon icon, const QString &text);
std::unique_ptr<QMessageBox> makeQuestionBox(QWidget *parent, const QString &text);
std::unique_ptr<QMessageBox> makeSaveQuestionBox(QWidget *parent, const QString &text);

// The real boxes, modal, over the main window.
class BoxPresenter final : public MessagePresenter
{
public:
    explicit BoxPresenter(QWidget *parent) : m_parent(parent) {}
    void show(MessageIcon icon, const QString &text) override;
    bool askYesNo(const QString &text) override;
    SaveChoice askSaveChanges(const QString &text) override;

private:
    QWidget *m_parent;
};

}  // namespace zlx
