#pragma once

#include <QList>
#include <QString>

namespace bench {

double percentile(QList<double> values, double p);  // p in 0..100; 0 for no values
double peakResidentMiB();                            // VmHWM of this process
double cpuSeconds();                                 // user + system time of this process
// One line of the table: "| what | figure | goal |".
void printRow(const QString &what, const QString &figure, const QString &goal = {});

}  // namespace bench
