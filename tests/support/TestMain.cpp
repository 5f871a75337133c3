// SPDX-License-Identifier: GPL-3.0-or-later
// Test main: one offscreen QApplication for the whole program, and a fresh
// temporary working directory for every test, so that progress files and
// sound lookups never leak from one test into the next.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

class FreshWorkingDirectory : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo &) override {
        original_ = QDir::currentPath();
        dir_ = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(dir_->path());
    }
    void OnTestEnd(const ::testing::TestInfo &) override {
        QDir::setCurrent(original_);
        dir_.reset();
    }

private:
    QString original_;
    std::unique_ptr<QTemporaryDir> dir_;
};

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshWorkingDirectory);
    return RUN_ALL_TESTS();
}
