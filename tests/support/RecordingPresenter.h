#pragma once

#include "app/MessagePresenter.h"

#include <QStringList>

// Message boxes that record what they would show instead of waiting for a click.
class RecordingPresenter final : public zlx::MessagePresenter
{
public:
    struct Shown
    {
        zlx::MessageIcon icon;
        QString text;
    };
    QList<Shown> shown;
    QStringList questions;
    bool answerYes = false;

    void show(zlx::MessageIcon icon, const QString &text) override
    {
        shown.append({icon, text});
    }
    bool askYesNo(const QString &text) override
    {
        questions.append(text);
        return answerYes;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : shown)
            out << s.text;
        return out;
    }
};
