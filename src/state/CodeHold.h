// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One code, one player: while a program plays a user code it holds the
// code's hold file, "<code>.ucd.hold" beside the progress file.  The file
// names the holder (machine, process, a random token, the time) and is
// replaced atomically (a temporary renamed into place), so it works on
// network folders where the file server offers no reliable locks.
//
// The holder renews the file every kRenewSeconds while it plays; a hold
// not renewed for kExpirySeconds (a machine that crashed or lost the
// network) is stale and the next program takes it over, as is a hold of a
// process that no longer runs on this same machine.  Ages are measured on
// the folder's own clock (the change time of a file just written there),
// so machines whose clocks differ still agree.  The hold is released when
// the program ends.

#include "platform/Timer.h"

#include <QObject>
#include <QString>

namespace state {

class CodeHold : public QObject {
public:
    static constexpr int kRenewSeconds = 30;
    static constexpr int kExpirySeconds = 120;

    enum class Outcome {
        Held,        // this program holds the code now
        InUse,       // another running program holds it
        Unavailable  // no hold could be written (a read-only folder, a
                     // folder in the hold file's place): play on without
                     // one; the save reports what is wrong with the folder
    };

    // Who holds a code, as its hold file says.
    struct Holder {
        QString host;
        qint64 pid = 0;
        QByteArray token;
    };

    explicit CodeHold(QObject *parent = nullptr);
    ~CodeHold() override;  // releases

    // Takes the hold of the progress file at progressPath (relative to the
    // working folder or absolute), releasing any other hold first.  On
    // InUse, *holder (when given) says who holds it.
    Outcome acquire(const QString &progressPath, Holder *holder = nullptr);
    // Writes the hold file again with a fresh time, if it is still ours;
    // a hold another program took over (ours had gone stale) is given up.
    void renew();
    // Removes the hold file if it is still ours.
    void release();

    bool holding() const { return !path_.isEmpty(); }
    // The hold file's absolute path while holding, else empty.
    QString holdPath() const { return path_; }
    // The renewal timer (tests fire it).
    platform::Timer &renewTimer() { return timer_; }

    // The hold file of a progress file.
    static QString holdPathFor(const QString &progressPath);

    // Whether the hold file at holdPath stands for a program playing now,
    // by the same rule a program taking a code applies, and who holds it
    // (a damaged hold names nobody).  Only reads, never waits: no file, a
    // link, folder or FIFO in its place and a stale hold are not live.  A
    // reader has no clock of the folder's own, so the age is measured on
    // this machine's clock.
    static bool isLiveHold(const QString &holdPath, Holder *holder = nullptr);

private:
    QString path_;
    QByteArray token_;
    platform::Timer timer_;
};

// The program's one hold, owned by the application object.
CodeHold &codeHold();

}  // namespace state
