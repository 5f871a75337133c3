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
inline state::Module1 pupilOn(int on, double score) {
    state::Module1 m;
    m.QuestionNo = static_cast<short>(on);
    m.Score = score;
    for (int i = 1; i < on; ++i) {
        m.MissCount[i] = static_cast<short>(i % 3);
        m.AnswerTime[i] = static_cast<float>(10 + i);
    }
    m.MissCount[on] = 1;
    m.AnswerTime[on] = 50412.5f;
    return m;
}

inline void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline void writePupil(const QString &folder, const QString &code, const state::Module1 &m) {
    writeBytes(folder + "/" + code + ".ucd", state::progress::render(m));
}

}  // namespace report_test
