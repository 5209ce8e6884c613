#pragma once

#include "model/MessageStore.h"
#include "protocol/SignModel.h"

#include <QByteArray>
#include <QString>

namespace zlx::cli {

// The program as text, one row a line:
//   page<TAB>row<TAB>effect name<TAB>amount<TAB>font<TAB>text   (UTF-8, page and row from 1)
// and after each page's rows a line "page N: U of B bytes" telling how it fits the sign.
class ProgramText
{
public:
    static QString format(const MessageStore &store, const SignModel &model);

    struct Parsed
    {
        MessageStore store;
        QString error;  // "line N: why", empty when every line was taken
    };
    // Row lines are checked as the editor checks a row; page lines and blank lines are skipped.
    static Parsed parse(const QByteArray &utf8);
};

}  // namespace zlx::cli
