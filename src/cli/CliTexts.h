#pragma once

#include "link/LinkTypes.h"
#include "protocol/PageImages.h"

#include <QString>

// What zantolux-cli says about ports and exchanges, in English, in one place.
namespace zlx::cli::texts {

// Why a port would not open, or was lost, naming it.
QString portProblem(const QString &address, PortStatus status, const QString &detail);
// How an exchange that did not complete ended; page (from 0) for an unreadable page.
QString outcome(Outcome outcome, int page);
QString noSignAnswered();
// Why a row of a program cannot be sent as it is.
QString entryProblem(EntryProblem problem);

}  // namespace zlx::cli::texts
