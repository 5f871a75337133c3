// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Follows a folder of progress files while the window is open: every look
// runs the scanner on a worker thread, so a slow, huge or hostile folder
// never stops the window.  A look starts when the file system reports a
// change in the folder (shortly after, so that a burst of saves is one
// look) and every few seconds in any case, for network folders whose
// changes are never reported.

#include "classfolder/FolderScanner.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

class QFileSystemWatcher;

namespace classfolder {

using DeltaPtr = std::shared_ptr<const ScanDelta>;

// Runs the scanner on the worker thread.
class FolderReader : public QObject {
    Q_OBJECT
public:
    explicit FolderReader(std::shared_ptr<std::atomic<quint64>> current) : current_(std::move(current)) {}

public slots:
    // Looks at folder for look number generation, afresh (every file read,
    // every row brought) when fresh; gives up as soon as a newer look has
    // been asked for (another folder, the window closing).
    void read(const QString &folder, quint64 generation, bool fresh);

signals:
    void progressed(quint64 generation, int done, int total);
    void finished(quint64 generation, classfolder::DeltaPtr delta);

private:
    std::shared_ptr<std::atomic<quint64>> current_;
    FolderScanner scanner_;
};

class LiveFolder : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultRescanMs = 5000;  // a network folder's change shows within five seconds
    static constexpr int kSettleMs = 200;          // after a reported change
    static constexpr int kStopWaitMs = 3000;       // for the reader to stop when the window closes

    explicit LiveFolder(QObject *parent = nullptr);
    ~LiveFolder() override;

    // Reads folder afresh and follows it from now on.
    void open(const QString &folder);
    QString folder() const { return folder_; }
    bool busy() const { return busy_; }
    void setRescanInterval(int ms) { periodic_.setInterval(ms); }
    int rescanInterval() const { return periodic_.interval(); }
    // Whether the file system's change notifications are followed (on by
    // default); off, only the regular look sees changes, as on a network
    // folder whose server sends none.
    void setNotifications(bool on);

public slots:
    // Looks at the folder now (after the running look, if one runs).  The
    // timers and the file-system watcher call it; tests call it directly.
    void rescan();

signals:
    void updated(classfolder::DeltaPtr delta);
    void progress(int done, int total);
    void busyChanged(bool busy);

private:
    void start(bool fresh = false);
    void readerFinished(quint64 generation, const classfolder::DeltaPtr &delta);
    void watch();

    QString folder_;
    std::shared_ptr<std::atomic<quint64>> generation_;
    QThread *thread_;  // not a member object: see the destructor
    FolderReader *reader_;
    QFileSystemWatcher *watcher_;
    QTimer settle_, periodic_;
    bool busy_ = false, again_ = false, notifications_ = true;
};

}  // namespace classfolder

Q_DECLARE_METATYPE(classfolder::DeltaPtr)
