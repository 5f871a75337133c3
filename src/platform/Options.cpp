// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Options.h"

#include <QCommandLineParser>

namespace platform {

OptionSlip firstOptionSlip(const QStringList &arguments, const QCommandLineParser &parser, const QStringList &valued) {
    const QStringList unknown = parser.unknownOptionNames();
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
        const QString &arg = arguments[i];
        if (!arg.startsWith(QLatin1Char('-'))) continue;
        const QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0);
        if (unknown.contains(name)) return {OptionSlip::Unknown, i, arg};
        const bool noValue = i + 1 == arguments.size() || arguments[i + 1].startsWith(QLatin1Char('-'));
        if (noValue && valued.contains(arg)) return {OptionSlip::NoValue, i, arg};
    }
    return {};
}

}  // namespace platform
