// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sets an environment variable (a null value unsets it) for as long as the
// object lives, then puts the old value back.

#include <QByteArray>
#include <QtGlobal>

namespace testing_support {

class EnvVar {
public:
    EnvVar(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvVar() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvVar(const EnvVar &) = delete;
    EnvVar &operator=(const EnvVar &) = delete;

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

}  // namespace testing_support
