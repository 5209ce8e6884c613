#pragma once

#include "link/SignLink.h"

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

namespace zlx {

// Modal message boxes titled with the application title. Tests swap in one that records.
class MessagePresenter
{
public:
    virtual ~MessagePresenter();
    virtual void show(MessageIcon icon, const QString &text) = 0;  // OK button
    // Yes and No, information icon, No as the default; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
};

// The boxes BoxPresenter shows, built apart so that their set-up can be checked.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget *parent, MessageIcon icon, const QString &text);
std::unique_ptr<QMessageBox> makeQuestionBox(QWidget *parent, const QString &text);

class BoxPresenter final : public MessagePresenter
{
public:
    explicit BoxPresenter(QWidget *parent) : m_parent(parent) {}
    void show(MessageIcon icon, const QString &text) override;
    bool askYesNo(const QString &text) override;

private:
    QWidget *m_parent;
};

}  // namespace zlx
