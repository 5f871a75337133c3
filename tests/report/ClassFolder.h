// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds progress files for the report's tests: runs as the game writes
// them, and damaged content written byte for byte.

#include "state/ProgressFile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace report_test {

// A pupil on question `on`, who took 10 + i seconds and i % 3 misses on
// each finished question i, with a clock reading in the current slot.
inline state::Session pupilOn(int on, double score) {
    state::Session m;
    m.question = static_cast<short>(on);
    m.score = score;
    for (int i = 1; i < on; ++i) {
        m.misses[i] = static_cast<short>(i % 3);
        m.answerTimes[i] = static_cast<float>(10 + i);
    }
    m.misses[on] = 1;
    m.answerTimes[on] = 50412.5f;
    return m;
}

inline void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline void writePupil(const QString &folder, const QString &code, const state::Session &m) {
    writeBytes(folder + "/" + code + ".ucd", state::progress::render(m));
}

}  // namespace report_test
