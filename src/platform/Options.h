// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What both programs check on their command lines after QCommandLineParser
// has read them, before any option's meaning: an option it does not know,
// and an option that takes a value but is followed by none.

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace platform {

struct OptionSlip {
    enum Kind { None, Unknown, NoValue };
    Kind kind = None;
    qsizetype index = -1;  // the argument's place in the line
    QString argument;      // the argument as given
};

// The first slip of arguments (as parser has parsed them, the program's
// name first), in the order of the line up to "--": an option parser does
// not know, or one of valued ("--folder") at the end of the line or
// followed by an option, which is no value ("--folder --no-sound"; a value
// beginning with "-" is given as --folder=VALUE).
OptionSlip firstOptionSlip(const QStringList &arguments, const QCommandLineParser &parser, const QStringList &valued);

}  // namespace platform
