// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/NeedsHelp.h"

#include "report/Writers.h"

namespace report::window {

QString HelpNeed::why() const {
    if (!needed) return {};
    QString text = minutes > 0 ? QStringLiteral("問%1に%2分").arg(question).arg(minutes) : QString();
    if (misses > 0)
        text += text.isEmpty() ? QStringLiteral("問%1で%2回ミス").arg(question).arg(misses)
                               : QStringLiteral("、%1回ミス").arg(misses);
    return text + QLatin1Char('\n') + questionLabel(question);
}

HelpNeed needsHelp(const Pupil &p, qint64 folderNow) {
    HelpNeed need;
    // The question played as the hold says it, between the file's saves;
    // the file's, where the hold does not say (earlier versions).
    const int q = p.holdQuestion >= 0 ? p.holdQuestion : p.questionNo;
    // Only a pupil playing now, on a question of the course, as read.
    if (folderNow <= 0 || p.playingOn.isEmpty() || p.state != Pupil::State::Readable || q < 1 || q > state::kQuestions)
        return need;
    need.question = q;
    const qint64 shown = p.questionSince > 0 ? folderNow - p.questionSince : 0;
    if (shown >= kStuckSeconds) need.minutes = int(shown / 60);
    const int misses = p.holdQuestion >= 0 ? p.holdMisses : p.missCount[q];
    if (misses >= kStuckMisses) need.misses = misses;
    need.needed = need.minutes > 0 || need.misses > 0;
    return need;
}

}  // namespace report::window
