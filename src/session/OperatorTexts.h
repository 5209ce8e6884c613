#pragma once

#include "model/RowCheck.h"
#include "protocol/PageImages.h"
#include "protocol/SignModel.h"
#include "session/ExchangeReport.h"

#include <QString>

// Every text the operator reads about the sign and its exchanges, in one place.
namespace zlx::texts {

inline constexpr char kAppTitle[] = "Letreros ZANTOLUX";
inline constexpr char kPlainTitle[] = "Letreros Electronicos ZANTOLUX      v2.0";

QString detectedTitle(const SignModel &model);  // three blanks before the version
QString resetTitle(const SignModel &model);     // four blanks before the version
QString modelPanel(const SignModel &model);     // "Paginas soportadas: N"
QString portPanel(int port);                    // "COM3:2400bps,8,N,1"

QString searching();  // panel 1 during the scan
QString maker();      // panel 2 during the scan
QString detected();

QString sending();    // panel 1 once Send is clicked
QString reading();    // panel 1 once Leer is clicked
QString sendProgress(int acknowledged);
QString readProgress(int page, int block);  // both from 1
QString cutMessage();

// Panel 1 after an exchange ended, and the message box that follows (empty: none).
struct Ending
{
    QString panel;
    QString message;
    bool warning = true;  // exclamation icon, else information
};
Ending ending(const ExchangeReport &report);

QString refusal(Refusal refusal);  // why Send or Leer cannot start (UnknownModel)
QString unsendableEntry(int page, int row, EntryProblem problem);  // page and row from 0
// Why the editor will not store a row; page and row as the operator counts them (from 1).
QString rowProblem(int page, int row, RowProblem problem);
// Why a port would not open or was lost, as one sentence naming it; group: the one whose
// members may open a device.
QString portNote(const QString &address, PortStatus status, const QString &detail, const QString &group);

// The program as the operator's document: the names of its undo steps, the questions that
// guard it, and why a row on the screen will not reach the sign. Pages and rows from 1.
QString stepPage(int page);
QString stepNew();
QString stepOpen(const QString &fileName);
QString stepRead();  // "Lectura"
QString newQuestion();
QString closeQuestion();
QString openQuestion();
QString pagesNotSent(const QList<int> &pages);  // pages from 0
QString readOverRow(int page, int row, RowProblem problem);
enum class LeftOut { Cut, CutWhole, BehindEmptyRow, PageNotReached, PastLastPage };
QString leftOutNote(LeftOut why, int amount);  // amount: bytes over (cut), or the sign's pages
QString shortcutTip(const QString &caption, const QString &keys);

}  // namespace zlx::texts
