// What zantolux-cli says about the files it reads and writes (declared in CliTexts.h).
#include "cli/CliTexts.h"

#include "model/MessageEntry.h"
#include "project/ProjectFile.h"

#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include <sys/stat.h>

namespace zlx::cli::texts {

namespace {

// A file as given; "-" is stdin for a program read, stdout for one written.
QString shown(const QString &name, bool output = false)
{
    if (name != u"-")
        return name;
    return output ? QStringLiteral("stdout") : QStringLiteral("stdin");
}

// A byte of a row as the show format writes it.
QString byteShown(char byte)
{
    return QString::fromUtf8(escapes::escape(QByteArrayView(&byte, 1)));
}

// What stands at path, when it is no regular file.
QString kindOf(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("not a regular file");
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("a directory");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("a FIFO");
    return S_ISSOCK(info.st_mode) ? QStringLiteral("a socket") : QStringLiteral("not a regular file");
}

}  // namespace

QString inputProblem(const QString &name, InputFile::Problem problem, const QString &detail)
{
    QString why;
    switch (problem) {
    case InputFile::Problem::None:
    case InputFile::Problem::Interrupted: return {};
    case InputFile::Problem::Missing: why = QStringLiteral("no such file"); break;
    case InputFile::Problem::NoPermission: why = QStringLiteral("permission denied"); break;
    case InputFile::Problem::IsDirectory: why = QStringLiteral("is a directory"); break;
    case InputFile::Problem::CannotOpen: why = QStringLiteral("cannot open: %1").arg(detail); break;
    case InputFile::Problem::CannotRead: why = QStringLiteral("cannot read: %1").arg(detail); break;
    case InputFile::Problem::TooBig:
        why = QStringLiteral("too big: more than %1 bytes").arg(project::kMaxFileBytes);
        break;
    }
    return QStringLiteral("%1: %2").arg(shown(name), why);
}

QString atLine(const QString &name, int line, int page, int row, const QString &reason)
{
    const QString where = page > 0 ? QStringLiteral("line %1 (page %2, row %3)").arg(line).arg(page).arg(row)
                                   : QStringLiteral("line %1").arg(line);
    return QStringLiteral("%1: %2: %3").arg(shown(name), where, reason);
}

QString atRow(int page, int row, const QString &reason)
{
    return QStringLiteral("page %1, row %2: %3").arg(page).arg(row).arg(reason);
}

QString tooManyLines(const QString &name, int maxLines)
{
    return QStringLiteral("%1: too big: more than %2 lines").arg(shown(name)).arg(maxLines);
}

QString pastLastPage(int page)
{
    return QStringLiteral("page %1 is past the last page, %2").arg(page).arg(MessageStore::kPagesInUse);
}

QString entryProblem(EntryProblem problem, const QByteArray &e)
{
    switch (problem) {
    case EntryProblem::Incomplete:
        return QStringLiteral("the row has %1 bytes, fewer than its effect, amount and font").arg(e.size());
    case EntryProblem::BadEffect:
        return QStringLiteral("effect \"%1\" is not a digit 1 to 9").arg(byteShown(e.at(0)));
    case EntryProblem::BadFont:
        return QStringLiteral("font \"%1\" is not 1, 2 or 3").arg(byteShown(e.at(2)));
    case EntryProblem::ZeroAmount: return outsideRange("amount", 0, 1, 255);
    case EntryProblem::ZeroInText: return textProblem(escapes::TextProblem::ZeroByte, {});
    }
    return {};
}

QString fieldCount(int found)
{
    return QStringLiteral("expected 6 tab-separated fields, found %1 (a tab in a text is written \\t)").arg(found);
}

QString notWholeNumber(const char *what, const QString &value)
{
    return QStringLiteral("%1 \"%2\" is not a whole number").arg(QLatin1String(what), value);
}

QString outsideRange(const char *what, qlonglong value, int low, int high)
{
    return QStringLiteral("%1 %2 is outside %3–%4").arg(QLatin1String(what)).arg(value).arg(low).arg(high);
}

QString unknownEffect(const QString &value)
{
    return QStringLiteral("unknown effect \"%1\" (a name such as \"Texto Fijo\", or a digit 1 to 9)").arg(value);
}

QString amountCarriageReturn()
{
    return QStringLiteral("amount 13 cannot be kept: it is a carriage return, which ends a project file's line");
}

QString badFont(const QString &value) { return QStringLiteral("font \"%1\" is not 1, 2 or 3").arg(value); }

QString textProblem(escapes::TextProblem problem, const QString &what)
{
    switch (problem) {
    case escapes::TextProblem::None: return {};
    case escapes::TextProblem::NotUtf8: return QStringLiteral("the text is not UTF-8 (write other bytes as \\xhh)");
    case escapes::TextProblem::BadEscape:
        return QStringLiteral("unknown escape \"%1\" in the text (known: \\\\, \\t, \\n, \\xhh)").arg(what);
    case escapes::TextProblem::NoSingleByte:
        return QStringLiteral("\"%1\" (U+%2) has no single-byte code")
            .arg(what)
            .arg(QString::number(what.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0'));
    case escapes::TextProblem::ZeroByte: return QStringLiteral("the text holds a byte 0, which would end the row on the sign");
    case escapes::TextProblem::CarriageReturn:
        return QStringLiteral("the text holds a carriage return, which would end a project file's line");
    }
    return {};
}

QString rowTwice() { return QStringLiteral("the row appears on an earlier line too"); }

QString emptyProgram(const QString &name, const QList<int> &pagesWithRows)
{
    QString text = QStringLiteral("%1: empty program: nothing to send").arg(shown(name));
    if (!pagesWithRows.isEmpty())
        text += QStringLiteral(" (page 1 begins with an empty row: the rows on %1 %2 would not be sent)")
                    .arg(pagesWithRows.size() == 1 ? QStringLiteral("page") : QStringLiteral("pages"), spans(pagesWithRows));
    return text + QStringLiteral("; --allow-empty blanks a sign on purpose");
}

QString unreachableRows(const QString &name, const QList<RowRef> &rows)
{
    QMap<int, QList<int>> byPage;
    for (const RowRef &at : rows)
        byPage[at.page].append(at.row);
    QStringList parts;
    for (auto page = byPage.cbegin(); page != byPage.cend(); ++page)
        parts.append(QStringLiteral("page %1 %2 %3")
                         .arg(page.key())
                         .arg(page.value().size() == 1 ? QStringLiteral("row") : QStringLiteral("rows"), spans(page.value())));
    return QStringLiteral("warning: %1: rows never sent (behind an empty row or an effect 0): %2")
        .arg(shown(name), parts.join(QStringLiteral("; ")));
}

QString saveProblem(const QString &path, const project::SaveResult &saved)
{
    switch (saved.problem) {
    case project::SaveProblem::None: return {};
    case project::SaveProblem::CarriageReturn:
        return QStringLiteral("%1 not written: page %2, row %3 holds a carriage return, which a project file cannot hold")
            .arg(shown(path, true)).arg(saved.row.page + 1).arg(saved.row.row + 1);
    case project::SaveProblem::NotAFile: return notAFile(path);
    case project::SaveProblem::Failed: return QStringLiteral("%1 not written: %2").arg(shown(path, true), saved.detail);
    }
    return {};
}

QString notAFile(const QString &path)
{
    return QStringLiteral("%1 not written: it is %2, not a regular file; left untouched").arg(path, kindOf(path));
}

QString noFolder(const QString &path)
{
    return QStringLiteral("%1 not written: no such folder %2").arg(path, QFileInfo(path).absolutePath());
}

}  // namespace zlx::cli::texts
