#pragma once

#include "app/MessagePresenter.h"

#include <QStringList>

// Message boxes that record what they would show instead of waiting for a click.
class RecordingPresenter final : public zlx::MessagePresenter
{
public:
    QList<zlx::MessageIcon> icons;  // of each box shown, in order
    QStringList texts;
    QStringList questions;
    bool answerYes = false;
    QStringList saveQuestions;  // Guardar / Descartar / Cancelar
    // Changes let go unless a test says otherwise: tests of Abrir over typed rows need not
    // answer a question they do not look at.
    zlx::SaveChoice saveAnswer = zlx::SaveChoice::Discard;

    void show(zlx::MessageIcon icon, const QString &text) override
    {
        icons.append(icon);
        texts.append(text);
    }
    bool askYesNo(const QString &text) override
    {
        questions.append(text);
        return answerYes;
    }
    zlx::SaveChoice askSaveChanges(const QString &text) override
    {
        saveQuestions.append(text);
        return saveAnswer;
    }
};
