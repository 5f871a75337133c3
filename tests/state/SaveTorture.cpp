// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveTorture.h"

#include "state/ProgressFile.h"

#include <QDir>
#include <QProcess>

#include <cstdio>
#include <random>
#include <thread>

namespace torture {

namespace {
const QString kStem = QStringLiteral("torture");
}

state::Session stateFor(const QString &stem, long n) {
    state::Session m;
    m.userCode = stem;
    m.question = static_cast<short>(n % state::kQuestions + 1);
    m.score = 3000.0 * n;
    for (int i = 1; i <= state::kQuestions; ++i) {
        m.misses[i] = static_cast<short>((n + i) % 30000);
        // Odd saves are longer than even ones, so a file cut short or
        // mixed from two saves cannot pass for either.
        m.answerTimes[i] = n % 2 ? static_cast<float>((n * 7 + i) % 86400) + 0.25f : 0.0f;
    }
    return m;
}

long saveNumber(const state::Session &m) {
    const double n = m.score / 3000.0;
    if (!(n >= 0 && n < 1e12) || n != static_cast<double>(static_cast<long>(n))) return -1;
    const state::Session expected = stateFor(m.userCode, static_cast<long>(n));
    if (m.question != expected.question || m.misses != expected.misses ||
        m.answerTimes != expected.answerTimes)
        return -1;
    return static_cast<long>(n);
}

void saveForever(const QString &stem, long first) {
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (long n = first;; ++n) state::progress::save(stateFor(stem, n));
}

Result run(const QString &helper, int kills, int maxPauseMs, unsigned seed) {
    Result r;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pause(0, maxPauseMs * 1000);
    state::progress::save(stateFor(kStem, 0));
    long last = 0;
    for (int k = 0; k < kills; ++k) {
        QProcess p;
        p.start(helper, {QStringLiteral("save"), kStem, QString::number(last + 1)});
        if (!p.waitForStarted(10000) || !p.waitForReadyRead(10000)) {
            if (r.firstProblem.isEmpty()) r.firstProblem = QStringLiteral("the helper did not start");
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        p.kill();  // SIGKILL
        p.waitForFinished(10000);
        ++r.kills;

        state::Session m;
        m.userCode = kStem;
        QString problem;
        try {
            state::progress::load(m);
            const long n = saveNumber(m);
            if (n < 0) problem = QStringLiteral("the file is not one complete save");
            else if (n < last) problem = QStringLiteral("an older save came back (%1 after %2)").arg(n).arg(last);
            else {
                ++r.complete;
                if (n > last) ++r.progressed;
                last = n;
            }
        } catch (const std::exception &e) {
            problem = QString::fromUtf8(e.what());
        }
        if (!problem.isEmpty() && r.firstProblem.isEmpty())
            r.firstProblem = QStringLiteral("after kill %1: %2").arg(k + 1).arg(problem);
    }
    r.lastSave = last;
    r.leftovers = static_cast<int>(QDir().entryList({kStem + QStringLiteral(".ucd.*")}, QDir::Files).size());
    return r;
}

}  // namespace torture
