#include "cli/ProgramText.h"

#include "model/MessageEntry.h"
#include "model/RowCheck.h"
#include "protocol/PageImages.h"

#include <QRegularExpression>
#include <QStringList>

namespace zlx::cli {

namespace {

constexpr int kFields = 6;

QString pageLine(int page, const PageFit &fit)
{
    QString line = QStringLiteral("page %1: %2 of %3 bytes").arg(page).arg(fit.size).arg(fit.capacity);
    if (fit.cut())
        line += QStringLiteral(", cut: %1 bytes over").arg(fit.over());
    return line;
}

QString rowLine(int page, int row, const QByteArray &e)
{
    const int effect = entry::effectDigit(e);
    const QString name = effectNames().value(effect - 1, QString::number(effect));
    return QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
        .arg(page)
        .arg(row)
        .arg(name)
        .arg(entry::amount(e))
        .arg(entry::fontDigit(e))
        .arg(entry::storedToText(entry::storedText(e)));
}

// The number in a field, or -1 when it is not a whole number within [low, high].
int field(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high ? value : -1;
}

QString rowError(const QStringList &f, int &page, int &row, QByteArray &entryOut)
{
    page = field(f.at(0), 1, MessageStore::kPagesInUse);
    if (page < 0)
        return QStringLiteral("the page must be 1 to %1").arg(MessageStore::kPagesInUse);
    row = field(f.at(1), 1, MessageStore::kRowsPerPage);
    if (row < 0)
        return QStringLiteral("the row must be 1 to %1").arg(MessageStore::kRowsPerPage);
    const QString text = f.mid(kFields - 1).join(u'\t');  // a tab in the text stays in it
    const RowCheckResult check = checkRow({f.at(2), -1, f.at(3), f.at(4), text});
    switch (check.problem) {
    case RowProblem::None:
        break;
    case RowProblem::UnknownEffect:
        return QStringLiteral("unknown effect \"%1\" (one of: %2)").arg(f.at(2), effectNames().join(u", "));
    case RowProblem::BadAmount:
        return QStringLiteral("the amount must be a whole number 1 to 255, not 13");
    case RowProblem::BadFont:
        return QStringLiteral("the font must be 1, 2 or 3");
    case RowProblem::BadText:
        return QStringLiteral("the text has a character a sign cannot show");
    }
    entryOut = entry::make(check.effectIndex + 1, check.amount, char(f.at(4).at(0).toLatin1()),
                           entry::textToStored(text));
    return {};
}

}  // namespace

QString ProgramText::format(const MessageStore &store, const SignModel &model)
{
    QString out;
    for (int p = 0; p < MessageStore::kPagesInUse; ++p) {
        bool any = false;
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            const QByteArray &e = store.entry(p, r);
            if (entry::isEmpty(e))
                continue;
            out += rowLine(p + 1, r + 1, e) + u'\n';
            any = true;
        }
        // Pages the sign has no room for get no page line: nothing of them is sent.
        if (any && p < model.pageCount)
            out += pageLine(p + 1, pageFit(store, p, model)) + u'\n';
    }
    return out;
}

ProgramText::Parsed ProgramText::parse(const QByteArray &utf8)
{
    static const QRegularExpression pageLinePattern(QStringLiteral("^page \\d+:"));
    Parsed parsed;
    QList<bool> seen(qsizetype(MessageStore::kPagesInUse) * MessageStore::kRowsPerPage, false);
    const QList<QByteArray> lines = utf8.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines.at(i));
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || pageLinePattern.match(line).hasMatch())
            continue;
        const QStringList f = line.split(u'\t');
        int page = 0;
        int row = 0;
        QByteArray e;
        QString why = f.size() < kFields
                          ? QStringLiteral("expected %1 tab-separated fields, found %2").arg(kFields).arg(f.size())
                          : rowError(f, page, row, e);
        const qsizetype slot = (page - 1) * MessageStore::kRowsPerPage + (row - 1);
        if (why.isEmpty() && seen.at(slot))
            why = QStringLiteral("page %1, row %2 appears twice").arg(page).arg(row);
        if (!why.isEmpty()) {
            parsed.error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return parsed;
        }
        seen[slot] = true;
        parsed.store.setEntry(page - 1, row - 1, e);
    }
    return parsed;
}

}  // namespace zlx::cli
