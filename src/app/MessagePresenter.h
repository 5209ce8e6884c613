#pragma once

#include <QString>

namespace zlx {

enum class MessageIcon { Information, Exclamation };
enum class SaveChoice { Save, Discard, Cancel };

// Modal message boxes titled with the application title. Tests swap in one that records.
class MessagePresenter
{
public:
    virtual ~MessagePresenter();
    virtual void show(MessageIcon icon, const QString &text) = 0;  // OK button
    // Yes and No, information icon, No as the default; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // Guardar, Descartar and Cancelar, question icon, Cancelar as the default.
    virtual SaveChoice askSaveChanges(const QString &text) = 0;
};

}  // namespace zlx
