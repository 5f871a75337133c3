// SPDX-License-Identifier: GPL-3.0-or-later
#include "classfolder/LiveFolder.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <utility>

namespace classfolder {

void FolderReader::read(const QString &folder, quint64 generation, bool fresh) {
    if (fresh) scanner_.reset();
    // Progress is reported at most every 50 ms, so a large folder does not
    // flood the interface thread.
    QElapsedTimer sinceReport;
    sinceReport.start();
    auto delta = std::make_shared<ScanDelta>(scanner_.scan(folder, [&](int done, int total) {
        if (current_->load() != generation) return false;
        if (sinceReport.elapsed() >= 50) {
            emit progressed(generation, done, total);
            sinceReport.restart();
        }
        return true;
    }));
    emit finished(generation, std::move(delta));
}

LiveFolder::LiveFolder(QObject *parent)
    : QObject(parent), generation_(std::make_shared<std::atomic<quint64>>(0)), thread_(new QThread),
      reader_(new FolderReader(generation_)), watcher_(new QFileSystemWatcher(this)) {
    qRegisterMetaType<classfolder::DeltaPtr>();
    reader_->moveToThread(thread_);
    connect(thread_, &QThread::finished, reader_, &QObject::deleteLater);
    connect(reader_, &FolderReader::finished, this, &LiveFolder::readerFinished);
    connect(reader_, &FolderReader::progressed, this, [this](quint64 generation, int done, int total) {
        if (generation == generation_->load()) emit progress(done, total);
    });
    thread_->setObjectName(QStringLiteral("folder reader"));
    thread_->start();

    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &LiveFolder::rescan);
    periodic_.setInterval(kDefaultRescanMs);
    // A regular look due while one is running is not needed: the running
    // look is as recent.  A reported change during a look asks for another.
    connect(&periodic_, &QTimer::timeout, this, [this] {
        if (!busy_) rescan();
    });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { settle_.start(); });
}

LiveFolder::~LiveFolder() {
    ++*generation_;  // a running look gives up at its next file
    thread_->quit();
    // A look gives up within a few files; only a file-system call that
    // never returns (a network folder that went away) holds it longer.
    // Then the thread is left to the end of the program rather than
    // holding the window open.
    if (thread_->wait(kStopWaitMs)) delete thread_;
}

void LiveFolder::open(const QString &folder) {
    if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
    folder_ = folder;
    again_ = false;
    ++*generation_;  // the look at the old folder is no longer wanted
    busy_ = false;
    start(true);  // a folder opened, even the one shown, is read afresh
    periodic_.start();
}

void LiveFolder::rescan() {
    if (folder_.isNull()) return;
    if (busy_) {
        again_ = true;
        return;
    }
    start();
}

void LiveFolder::start(bool fresh) {
    const quint64 generation = ++*generation_;
    if (!busy_) {
        busy_ = true;
        emit busyChanged(true);
    }
    QMetaObject::invokeMethod(
        reader_, [reader = reader_, folder = folder_, generation, fresh] { reader->read(folder, generation, fresh); });
}

void LiveFolder::readerFinished(quint64 generation, const DeltaPtr &delta) {
    if (generation != generation_->load()) return;  // an older look, overtaken
    busy_ = false;
    if (delta->error.isEmpty()) watch();
    // The next regular look counts from the end of this one, so a folder
    // that takes long to read is not read back to back.
    if (periodic_.isActive()) periodic_.start();
    const bool again = std::exchange(again_, false);
    if (!again) emit busyChanged(false);  // before the rows, so a view of them shows no progress
    emit updated(delta);
    if (again) start();
}

void LiveFolder::setNotifications(bool on) {
    notifications_ = on;
    if (!on && !watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
    if (on && !folder_.isNull()) watch();
}

// A folder that was missing or replaced is watched again once it can be read.
void LiveFolder::watch() {
    if (notifications_ && watcher_->directories().isEmpty() && QFileInfo(folder_).isDir()) watcher_->addPath(folder_);
}

}  // namespace classfolder
