#pragma once

#include "model/MessageStore.h"
#include "protocol/SignModel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

namespace zlx::cli {

// The program in the show format, one row a line (UTF-8, page and row from 1):
//   page<TAB>row<TAB>effect name<TAB>amount<TAB>font<TAB>text
// the text with the escapes of escapes::escape, and after each page's rows a line
// "page N: U of B bytes" telling how it fits the sign. With JSON, one object a row and one a page.
class ProgramText
{
public:
    using LineSink = std::function<bool(const QByteArray &line)>;  // false: stop

    // Every row that holds data (effect 1..9), and a page line for each page the sign has.
    static bool format(const MessageStore &store, const SignModel &model, bool json, const LineSink &sink);

    // Blank lines and page lines carry no row.
    static bool isRowLine(QByteArrayView line);

    struct Row
    {
        int page = 0;  // from 1, 0 until known
        int row = 0;
        QByteArray entry;
        QString error;  // why the line is refused, empty when entry holds the row
    };
    // A row line checked field by field: effect by name (any case, accents or not) or digit.
    static Row parseRow(QByteArrayView line);
};

}  // namespace zlx::cli
