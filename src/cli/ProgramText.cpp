#include "cli/ProgramText.h"

#include "cli/CliTexts.h"
#include "cli/TextEscapes.h"
#include "model/MessageEntry.h"
#include "model/RowCheck.h"
#include "protocol/PageImages.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QStringDecoder>

namespace zlx::cli {

namespace {

constexpr int kFields = 6;
constexpr int kCarriageReturn = 13;

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray rowLine(int page, int row, const QByteArray &e, bool asJson)
{
    const int effect = entry::effectDigit(e);
    const QString name = effectNames().value(effect - 1);
    // A view, not storedText(): a long text is not copied once more.
    const QByteArrayView stored = QByteArrayView(e).sliced(std::min<qsizetype>(3, e.size()));
    if (asJson) {
        return json({{QStringLiteral("page"), page}, {QStringLiteral("row"), row}, {QStringLiteral("effect"), effect},
                     {QStringLiteral("effect_name"), name}, {QStringLiteral("amount"), entry::amount(e)},
                     {QStringLiteral("font"), entry::fontDigit(e)},
                     {QStringLiteral("text"), QString::fromUtf8(escapes::escape(stored))}});
    }
    QByteArray line = QByteArray::number(page) + '\t' + QByteArray::number(row) + '\t' + name.toUtf8() + '\t'
                      + QByteArray::number(entry::amount(e)) + '\t' + QByteArray::number(entry::fontDigit(e)) + '\t';
    escapes::escapeInto(stored, line);
    return line;
}

QByteArray pageLine(int page, const PageFit &fit, bool asJson)
{
    if (asJson) {
        return json({{QStringLiteral("page"), page}, {QStringLiteral("bytes"), fit.size},
                     {QStringLiteral("capacity"), fit.capacity}, {QStringLiteral("cut"), fit.cut()}});
    }
    QString line = QStringLiteral("page %1: %2 of %3 bytes").arg(page).arg(fit.size).arg(fit.capacity);
    if (fit.cut())
        line += QStringLiteral(", cut: %1 bytes over").arg(fit.over());
    return line.toUtf8();
}

// A field as a message quotes it: what cannot be seen (a byte order mark, a control
// character) as \uXXXX.
QString shown(QByteArrayView field)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString out;
    for (const QChar ch : QString(decoder.decode(field))) {
        if (ch.isPrint())
            out.append(ch);
        else
            out.append(QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0')));
    }
    return out;
}

// Names compared without regard to case, accents or repeated blanks.
QString folded(const QString &name)
{
    QString out;
    for (const QChar ch : name.normalized(QString::NormalizationForm_D))
        if (ch.category() != QChar::Mark_NonSpacing)
            out.append(ch);
    return out.simplified().toCaseFolded();
}

// The effect digit a field names: an effect's name or its digit; -1 when none.
int effectOf(const QString &field)
{
    const QString want = folded(field);
    if (want.size() == 1 && want.at(0) >= u'1' && want.at(0) <= u'9')
        return want.at(0).unicode() - u'0';
    const QStringList &names = effectNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (folded(names.at(i)) == want)
            return int(i) + 1;
    return -1;
}

// A whole number within [low, high], else -1 with why.
int number(const char *what, QByteArrayView field, int low, int high, QString &why)
{
    bool ok = false;
    const qlonglong value = field.trimmed().toLongLong(&ok);
    if (!ok)
        why = texts::notWholeNumber(what, shown(field));
    else if (value < low || value > high)
        why = texts::outsideRange(what, value, low, high);
    return why.isEmpty() ? int(value) : -1;
}

}  // namespace

bool ProgramText::format(const MessageStore &store, const SignModel &model, bool asJson, const LineSink &sink)
{
    for (int p = 0; p < MessageStore::kPagesInUse; ++p) {
        bool any = false;
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            const QByteArray &e = store.entry(p, r);
            if (entry::isEmpty(e))
                continue;
            if (!sink(rowLine(p + 1, r + 1, e, asJson)))
                return false;
            any = true;
        }
        // Pages the sign has no room for get no page line: nothing of them is sent.
        if (any && p < model.pageCount && !sink(pageLine(p + 1, pageFit(store, p, model), asJson)))
            return false;
    }
    return true;
}

bool ProgramText::isRowLine(QByteArrayView line)
{
    if (line.trimmed().isEmpty())
        return false;
    // "page N: ..." as format writes it
    if (!line.startsWith("page "))
        return true;
    qsizetype at = 5;
    while (at < line.size() && line.at(at) >= '0' && line.at(at) <= '9')
        ++at;
    return at == 5 || at == line.size() || line.at(at) != ':';
}

ProgramText::Row ProgramText::parseRow(QByteArrayView line)
{
    Row parsed;
    QList<QByteArrayView> f;
    for (qsizetype at = 0;;) {
        const qsizetype tab = line.indexOf('\t', at);
        f.append(line.sliced(at, (tab < 0 ? line.size() : tab) - at));
        if (tab < 0)
            break;
        at = tab + 1;
    }
    if (f.size() != kFields) {
        parsed.error = texts::fieldCount(int(f.size()));
        return parsed;
    }
    QString &why = parsed.error;
    const int page = number("page", f.at(0), 1, MessageStore::kPagesInUse, why);
    const int row = why.isEmpty() ? number("row", f.at(1), 1, MessageStore::kRowsPerPage, why) : -1;
    if (!why.isEmpty())
        return parsed;
    parsed.page = page;
    parsed.row = row;
    const int effect = effectOf(QString::fromUtf8(f.at(2)));
    if (effect < 0) {
        why = texts::unknownEffect(shown(f.at(2)));
        return parsed;
    }
    const int amount = number("amount", f.at(3), 1, 255, why);
    if (amount == kCarriageReturn)
        why = texts::amountCarriageReturn();
    const QByteArrayView font = f.at(4).trimmed();
    if (why.isEmpty() && (font.size() != 1 || font.at(0) < '1' || font.at(0) > '3'))
        why = texts::badFont(shown(f.at(4)));
    if (!why.isEmpty())
        return parsed;
    // The text goes straight behind the row's first three bytes, so a long one is held once.
    escapes::Unescaped text = escapes::unescape(f.at(5), entry::make(effect, amount, font.at(0), {}));
    if (text.problem != escapes::TextProblem::None) {
        why = texts::textProblem(text.problem, text.what);
        return parsed;
    }
    parsed.entry = std::move(text.stored);
    return parsed;
}

}  // namespace zlx::cli
