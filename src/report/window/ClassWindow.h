// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The teacher's window: the class overview of a folder, followed live.
// The table (sortable by any column, the codes in play marked), the misses
// grid and the two charts under the course's topics, each topic's misses,
// with buttons to choose another folder, save the CSV file or the sheets
// per pupil (PDF) and open the page in the browser, and to show the class the math doctor's
// explanation of a question.

#include "classfolder/LiveFolder.h"
#include "report/window/AssignmentPage.h"
#include "report/window/ClassModel.h"
#include "report/window/Projector.h"

#include <QDate>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QWidget>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;

namespace report::window {

class ChartPage;
class LessonPage;
class ExplanationWindow;
class ListPage;
class MissPage;
class TopicTable;

// The window's dialogs and the browser, behind one interface so that
// tests answer them without a real dialog.
class WindowDialogs {
public:
    virtual ~WindowDialogs() = default;
    // A folder to open, or empty when the teacher cancels.
    virtual QString chooseFolder(QWidget *parent, const QString &start) = 0;
    // The CSV file to write, or empty when the teacher cancels.
    virtual QString chooseCsvFile(QWidget *parent, const QString &suggested) = 0;
    // The PDF file for the sheets per pupil, or empty when the teacher
    // cancels; a dialog that does not ask answers as a cancel.
    virtual QString choosePdfFile(QWidget *, const QString &) { return QString(); }
    // Opens a page in the default browser; false when none could.
    virtual bool openPage(const QUrl &page) = 0;
    // Whether 授業を始める starts the lesson again, asked with question;
    // the default answer, and a dialog that does not ask, keeps it.
    virtual bool startLessonAgain(QWidget *, const QString &) { return false; }
    virtual void showError(QWidget *parent, const QString &text) = 0;
    // The class list to read, or empty when the teacher cancels; a dialog
    // that does not ask answers as a cancel.
    virtual QString chooseRosterFile(QWidget *, const QString &) { return QString(); }
    // The 課題 to set, starting from proposed (today: the teacher's day),
    // or nothing when the teacher cancels; a dialog that does not ask
    // cancels.
    virtual std::optional<AssignmentChoice> chooseAssignment(QWidget *, const AssignmentChoice &, const QDate &) {
        return std::nullopt;
    }
    // Whether the teacher goes ahead with what question asks (yes: the
    // button that does it); the default answer, and a dialog that does
    // not ask, is no.
    virtual bool confirm(QWidget *, const QString &, const QString &) { return false; }
};

// Qt's dialogs and QDesktopServices.
class QtWindowDialogs : public WindowDialogs {
public:
    QString chooseFolder(QWidget *parent, const QString &start) override;
    QString chooseCsvFile(QWidget *parent, const QString &suggested) override;
    QString choosePdfFile(QWidget *parent, const QString &suggested) override;
    bool openPage(const QUrl &page) override;
    bool startLessonAgain(QWidget *parent, const QString &question) override;
    void showError(QWidget *parent, const QString &text) override;
    QString chooseRosterFile(QWidget *parent, const QString &start) override;
    std::optional<AssignmentChoice> chooseAssignment(QWidget *parent, const AssignmentChoice &proposed,
                                                     const QDate &today) override;
    bool confirm(QWidget *parent, const QString &question, const QString &yes) override;
};

// A lesson carried on from the teacher's data folder, or begun from a
// look (error: why it could not be kept there).
struct CarriedLesson {
    Lesson lesson;
    QString error;
};
CarriedLesson carryOn(const QString &lessonFolder, const classfolder::ScanDelta &look);

class ClassWindow : public QWidget {
    Q_OBJECT
public:
    // pageFolder: where "ページを開く" writes the page (created when missing);
    // lessonFolder: where the lesson's start is kept (the teacher's own
    // data folder; empty: kept only while the window is open).
    ClassWindow(WindowDialogs &dialogs, const QString &pageFolder, QWidget *parent = nullptr,
                const QString &lessonFolder = {});

    // Shows folder and follows it; the rows arrive when it has been read.
    void openFolder(const QString &folder);

    // The page file that "ページを開く" writes.
    QString pageFile() const;

    // The question chosen for "説明を見せる" (1..30): in the list, by a
    // column of the grid or by a bar.
    int chosenQuestion() const;
    void chooseQuestion(int q);

    ClassModel &model() { return model_; }
    ClassSortProxy &sorted() { return proxy_; }
    classfolder::LiveFolder &live() { return live_; }

    // Takes a class list for the folder shown (or, before any, for the
    // next folder opened) and keeps it in the teacher's data folder.
    void useRoster(RosterPtr roster);
    // The projector's view while it is open, else null.
    ProjectorWindow *projector() const { return projector_; }
    // What the projector is given: figures of the class as a whole only.
    ClassFigures classFigures() const;

public slots:
    void chooseFolder();  // "フォルダーを選ぶ…"
    void saveCsv();       // "CSVで保存"
    void saveSheets();    // "個人票（PDF）": one page a pupil
    void openPage();      // "ページを開く"
    // "説明を見せる": the explanation of the chosen question, at the
    // largest scale that fits the screen.
    ExplanationWindow *explain();
    // "授業を始める": this lesson starts now, from the files as they are.
    void startLesson();
    void readRoster();    // "名簿を読み込む…"
    void removeRoster();  // "名簿を外す"
    // "投影" (F5): opens the projector's view, or closes it when open.
    void project();
    // "課題を出す…": the questions chosen on the page on show (a topic of
    // 分野ごと, columns of 問題ごとのミス, the bar chosen) are proposed in
    // the dialog; a 課題 already set is replaced only when the teacher says so.
    void assign();
    // "課題をやめる", after asking.
    void clearAssignment();
    // The questions the page on show has chosen, for the dialog.
    std::vector<int> proposedQuestions() const;
    AssignmentPage *assignmentPage() const { return assignmentPage_; }

signals:
    // A look at the folder has been taken in (rows, charts and status).
    void refreshed();

protected:
    void showEvent(QShowEvent *event) override;
    // Keeps a size and place the teacher gave the window for the next start.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The constructor's steps.
    void makeTopRow();
    void makeStatusRow();
    void makeQuestionRow();
    void makePages();
    void layOut();
    void connectButtons();
    void connectPages();
    void connectFolder();

    // A look at the folder: taken in at once, or after the one before it;
    // one that brings every row is set out on the worker thread first.
    void updated(const classfolder::DeltaPtr &delta);
    void takeNext();
    void setOutApart(const classfolder::DeltaPtr &delta);
    void takeIn(const classfolder::ScanDelta &delta, const CarriedLesson *carried, ClassModel::SetOutPtr rows);
    // Whether the lesson starts from look (the first that read the folder).
    bool lessonStartsWith(const classfolder::ScanDelta &look) const;
    // Says the look taken in is shown once the sorted views have its order.
    void refreshWhenSorted();
    void beginLesson(Lesson lesson, bool save);
    void lessonNotKept(const QString &error);
    // The whole available area of the window's screen.
    void fitScreen();
    // Where an earlier version kept the window's size and place (the teacher's data folder).
    QString placeFile() const;
    void showStatus();
    void setBusy(bool busy);
    // The list kept for folder, or the one given before it opened.
    void takeRosterOf(const QString &folder);
    void showRoster();
    void showOnProjector();
    QString rosterKeptIn(const QString &folder) const;

    WindowDialogs &dialogs_;
    QString pageFolder_;
    ClassModel model_;
    ClassSortProxy proxy_;
    classfolder::LiveFolder live_;
    QString lessonFolder_;
    bool lessonPending_ = false;  // the lesson starts with the folder's first look
    bool fitted_ = false;
    QString error_;      // the last look's failure, if any
    QString notice_;     // a save's message, until the teacher's next action
    QByteArray placed_;  // the geometry as opened or last kept

    QLabel *folderLabel_;
    QLabel *statusLabel_;
    QProgressBar *progress_;
    QTimer *progressDelay_;
    QPushButton *chooseButton_, *csvButton_, *pageButton_, *explainButton_;
    QPushButton *rosterButton_, *unrosterButton_, *projectButton_;
    QPointer<ProjectorWindow> projector_;
    RosterPtr pendingRoster_;  // given before any folder was open
    QPushButton *pdfButton_, *assignButton_;
    AssignmentPage *assignmentPage_;
    LessonPage *lessonPage_;
    ChartPage *chartPage_;
    QComboBox *questionList_;
    TopicTable *topicTable_;
    QTabWidget *tabs_;
    ListPage *table_;
    MissPage *missPage_;
    bool refreshPending_ = false;                 // a look taken in, its rows' order awaited
    std::deque<classfolder::DeltaPtr> arriving_;  // looks not taken in yet, the first being set out
    std::unique_ptr<QThreadPool> setter_;         // last: waited for before the rest goes
};

}  // namespace report::window
