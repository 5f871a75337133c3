// SPDX-License-Identifier: GPL-3.0-or-later
#include "classfolder/Holds.h"

#include "classfolder/Listing.h"
#include "state/CodeHold.h"
#include "state/FolderNames.h"

#include <QFile>

#include <algorithm>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

namespace classfolder {

// Takes what a code's holds say into its pupil; true when anything the
// window shows of it changed.  A question the hold names stands since the
// hold says it first named it, else since this look first saw it named
// (its first naming, at most a renewal late), or since a save of this
// game that showed it; never since a save from before the game began,
// such as yesterday's on the question a pupil continues from.  A hold
// that names no question leaves the file's word, from the game's start on.
bool followPlay(Pupil &p, qint64 fileSince, const Play &play) {
    const int beforeQuestion = p.holdQuestion, beforeMisses = p.holdMisses;
    const qint64 beforeSince = p.questionSince;
    const bool hostChanged = p.playingOn != play.host || p.holdAhead != play.ahead;
    p.playingOn = play.host;
    p.holdAhead = play.ahead;
    const int played = play.host.isEmpty() ? -1 : play.question;
    // A time a pupil may have written is held between the game's start
    // (when said) and the hold's last change.
    const auto within = [&play](qint64 t) { return std::clamp(t, std::min(play.placed, play.changed), play.changed); };
    if (played <= 0)
        p.questionSince = play.host.isEmpty() || fileSince <= 0 ? fileSince : std::max(fileSince, play.placed);
    else if (play.named > 0)
        p.questionSince = within(play.named);
    else if (played != beforeQuestion)
        p.questionSince = played == p.questionNo && play.placed > 0 && fileSince >= play.placed
                              ? std::min(fileSince, play.changed)
                              : play.changed;
    p.holdQuestion = played;
    p.holdMisses = played > 0 ? play.misses : 0;
    return hostChanged || p.holdQuestion != beforeQuestion || p.holdMisses != beforeMisses ||
           p.questionSince != beforeSince;
}

qint64 FolderClock::now(qint64 folderChanged, const std::vector<qint64> &holdTimes, qint64 teacherWall,
                        qint64 steadyMs) {
    now_ = 0;
    if (folderChanged <= 0 || folderChanged < teacherWall - kTrustSeconds ||
        folderChanged > teacherWall + kTrustSeconds) {
        folderSeen_ = 0;
        return 0;
    }
    if (folderChanged != folderSeen_) {
        folderSeen_ = folderChanged;
        seenAtMs_ = steadyMs;
    }
    const qint64 folder = folderChanged + std::max<qint64>(0, steadyMs - seenAtMs_) / 1000;
    qint64 newest = 0;
    for (const qint64 t : holdTimes)
        if (t <= folder + kAheadSeconds) newest = std::max(newest, t);
    now_ = newest > 0 ? std::max(folder, newest) : 0;
    return now_;
}

bool FolderClock::datedAhead(qint64 time) const {
    return now_ > 0 && time > now_ + state::CodeHold::kAheadSlackSeconds;
}

PlayNow gatherPlay(const OpenFolder &folder, const std::vector<QByteArray> &holds, FolderClock &clock,
                   const TeacherClock &teacher) {
    // A hold's liveness changes with time alone, so every look asks again.
    struct Stood {
        QByteArray name, progress;       // the hold's, and its progress file's
        qint64 changed = 0, latest = 0;  // its change time, the later of that and its modification time
    };
    std::vector<Stood> stood;
    std::vector<qint64> holdTimes;
    for (const QByteArray &hold : holds) {
        struct stat st {};
        Stood s{hold, state::names::progressOfHold(hold)};
        if (!countsAsCode(s.progress) || ::fstatat(folder.fd(), hold.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        s.changed = st.st_ctim.tv_sec;
        s.latest = std::max<qint64>(s.changed, st.st_mtim.tv_sec);
        holdTimes.push_back(s.changed);
        stood.push_back(std::move(s));
    }
    struct stat folderSt {};
    const qint64 folderChanged = ::fstat(folder.fd(), &folderSt) == 0 ? qint64(folderSt.st_mtim.tv_sec) : 0;
    PlayNow found;
    found.folderNow = clock.now(folderChanged, holdTimes, teacher.wallSeconds, teacher.steadyMs);
    if (found.folderNow == 0) return found;
    const timespec now{time_t(found.folderNow), 0};
    for (const Stood &hold : stood) {
        Play &play = found.playing[hold.progress];
        state::CodeHold::Holder holder;
        if (clock.datedAhead(hold.latest)) {
            play.ahead = true;  // not written by a game: named, never believed
        } else if (play.host.isEmpty() &&
                   state::CodeHold::isHoldFileLive(folder.prefix() + QFile::decodeName(hold.name), now, &holder)) {
            constexpr qint64 kNs = 1'000'000'000;
            play.host = holder.host.isEmpty() ? QStringLiteral("（端末名のない記録）") : holder.host;
            play.question = holder.question;
            play.misses = holder.misses;
            play.changed = hold.changed;
            play.placed = holder.since / kNs;
            play.named = holder.questionSince / kNs;
        }
    }
    for (auto it = found.playing.begin(); it != found.playing.end();)
        it = it->host.isEmpty() && !it->ahead ? found.playing.erase(it) : std::next(it);
    return found;
}

}  // namespace classfolder
