// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/ClassWindow.h"

#include "bank/Topics.h"
#include "platform/Services.h"
#include "platform/Settings.h"
#include "report/AssignmentStatus.h"
#include "report/OutputFile.h"
#include "report/Sheets.h"
#include "report/Writers.h"
#include "report/window/BarChart.h"
#include "report/window/ChartPage.h"
#include "report/window/Explanation.h"
#include "report/window/LessonPage.h"
#include "report/window/ListPage.h"
#include "report/window/MissGrid.h"
#include "report/window/MissPage.h"
#include "report/window/Projector.h"
#include "report/window/StartFolder.h"
#include "report/window/Tables.h"
#include "report/window/TopicTable.h"
#include "state/ProgressFile.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

namespace report::window {

namespace {

const QString kTitle = QStringLiteral("ぽむりん紀行20 クラスの記録");
constexpr int kProgressDelayMs = 300;  // a read shorter than this shows no progress bar

}  // namespace

// The lesson kept for the look's folder when it is recent, else a new one
// from the look, kept in lessonFolder for the next start (error: why it
// could not be).  On any thread.
CarriedLesson carryOn(const QString &lessonFolder, const classfolder::ScanDelta &look) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!lessonFolder.isEmpty()) {
        Lesson kept = loadLesson(lessonFile(lessonFolder, look.folder), look.folder, now);
        if (kept.started()) return {std::move(kept), {}};
    }
    CarriedLesson made{ClassModel::lessonFromNow(look, now), {}};
    if (!lessonFolder.isEmpty()) made.error = saveLesson(lessonFile(lessonFolder, look.folder), made.lesson);
    return made;
}

QString QtWindowDialogs::chooseFolder(QWidget *parent, const QString &start) {
    return QFileDialog::getExistingDirectory(
        parent, QStringLiteral("進み具合のファイルがあるフォルダーを選んでください"), start);
}

QString QtWindowDialogs::chooseCsvFile(QWidget *parent, const QString &suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("CSV ファイルに保存"), suggested,
                                        QStringLiteral("CSV ファイル (*.csv)"));
}

QString QtWindowDialogs::choosePdfFile(QWidget *parent, const QString &suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("個人票（PDF）を保存"), suggested,
                                        QStringLiteral("PDF ファイル (*.pdf)"));
}

bool QtWindowDialogs::openPage(const QUrl &page) { return QDesktopServices::openUrl(page); }

bool QtWindowDialogs::startLessonAgain(QWidget *parent, const QString &question) {
    QMessageBox box(QMessageBox::Question, kTitle, question, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton *start = box.addButton(QStringLiteral("授業を始めなおす"), QMessageBox::DestructiveRole);
    QPushButton *keep = box.addButton(QStringLiteral("いまの授業を続ける"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == start;
}

QString QtWindowDialogs::chooseRosterFile(QWidget *parent, const QString &start) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("名簿（CSV）を読み込む"), start,
                                        QStringLiteral("CSV ファイル (*.csv);;すべてのファイル (*)"));
}

std::optional<AssignmentChoice> QtWindowDialogs::chooseAssignment(QWidget *parent, const AssignmentChoice &proposed,
                                                                  const QDate &today) {
    AssignDialog dialog(proposed, today, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.choice().questions.empty()) return std::nullopt;
    return dialog.choice();
}

bool QtWindowDialogs::confirm(QWidget *parent, const QString &question, const QString &yes) {
    QMessageBox box(QMessageBox::Question, kTitle, question, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton *go = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton *keep = box.addButton(QStringLiteral("やめる"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == go;
}

void QtWindowDialogs::showError(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Warning, kTitle, QString(), QMessageBox::Ok, parent);
    platform::prepareMessageBox(box, text);  // file names as plain text, fitted to the screen
    box.exec();
}

ClassWindow::ClassWindow(WindowDialogs &dialogs, const QString &pageFolder, QWidget *parent,
                         const QString &lessonFolder)
    : QWidget(parent), dialogs_(dialogs), pageFolder_(pageFolder), lessonFolder_(lessonFolder),
      setter_(std::make_unique<QThreadPool>()) {
    setWindowTitle(kTitle);
    setter_->setMaxThreadCount(1);
    proxy_.setSourceModel(&model_);
    makeTopRow();
    makeStatusRow();
    makeQuestionRow();
    makePages();
    layOut();
    connectButtons();
    connectPages();
    connectFolder();
    chooseQuestion(1);
    folderLabel_->setText(QStringLiteral("フォルダー：（まだ選ばれていません）"));
    qApp->installEventFilter(this);
}

// The folder shown and the buttons that act on the whole folder.
void ClassWindow::makeTopRow() {
    folderLabel_ = new QLabel(this);
    folderLabel_->setObjectName(QStringLiteral("folderLabel"));
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderLabel_->setTextFormat(Qt::PlainText);  // a folder's name is text, never markup
    folderLabel_->setWordWrap(true);
    chooseButton_ = new QPushButton(QStringLiteral("フォルダーを選ぶ…"), this);
    chooseButton_->setObjectName(QStringLiteral("chooseButton"));
    chooseButton_->setToolTip(QStringLiteral("ほかのフォルダーを開きます（Ctrl+O）"));
    csvButton_ = new QPushButton(QStringLiteral("CSVで保存"), this);
    csvButton_->setObjectName(QStringLiteral("csvButton"));
    csvButton_->setToolTip(QStringLiteral("一覧と問題ごとのミス・秒数を表計算ソフト用のファイルに書きます（Ctrl+S）"));
    pdfButton_ = new QPushButton(QStringLiteral("個人票（PDF）"), this);
    pdfButton_->setObjectName(QStringLiteral("pdfButton"));
    pdfButton_->setToolTip(
        QStringLiteral("一人 1 ページの個人票を A4 の PDF ファイルに書きます（保護者会などの印刷用）"));
    pdfButton_->setEnabled(false);
    pageButton_ = new QPushButton(QStringLiteral("ページを開く"), this);
    pageButton_->setObjectName(QStringLiteral("pageButton"));
    pageButton_->setToolTip(QStringLiteral("一覧とグラフのページを作り、ブラウザで開きます（印刷にも使えます）"));
    csvButton_->setEnabled(false);
    pageButton_->setEnabled(false);
    rosterButton_ = new QPushButton(QStringLiteral("名簿を読み込む…"), this);
    rosterButton_->setObjectName(QStringLiteral("rosterButton"));
    rosterButton_->setToolTip(QStringLiteral(
        "クラスの名簿（CSV：出席番号・氏名・コードの列）を読み込み、生徒を番号と氏名で示します。名簿は先生のフォルダーに残ります"));
    unrosterButton_ = new QPushButton(QStringLiteral("名簿を外す"), this);
    unrosterButton_->setObjectName(QStringLiteral("unrosterButton"));
    unrosterButton_->setToolTip(QStringLiteral("このフォルダーの名簿を使うのをやめ、残した名簿を消します"));
    unrosterButton_->setEnabled(false);
    projectButton_ = new QPushButton(QStringLiteral("投影"), this);
    projectButton_->setObjectName(QStringLiteral("projectButton"));
    projectButton_->setToolTip(QStringLiteral(
        "プロジェクター用の画面を開きます。生徒の名前・コード・一人ひとりの数は出さず、クラス全体の数だけを示します（F5）"));
}

// The status line and the reading's progress bar.
void ClassWindow::makeStatusRow() {
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setWordWrap(true);
    statusLabel_->setTextFormat(Qt::PlainText);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setAccessibleName(QStringLiteral("読み込みの進み具合"));
    progress_->setFormat(QStringLiteral("%v / %m 件"));
    progress_->setMinimumWidth(progress_->fontMetrics().horizontalAdvance(QStringLiteral("000000 / 000000 件")) + 48);
    {
        // The status line keeps its height whether the bar shows or not.
        QSizePolicy policy = progress_->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        progress_->setSizePolicy(policy);
    }
    progress_->hide();
    progressDelay_ = new QTimer(this);
    progressDelay_->setSingleShot(true);
    progressDelay_->setInterval(kProgressDelayMs);
    connect(progressDelay_, &QTimer::timeout, progress_, &QWidget::show);
}

// The question to explain, and what may be done with it.
void ClassWindow::makeQuestionRow() {
    // From the list, a column of the grid or a bar.
    questionList_ = new QComboBox(this);
    questionList_->setObjectName(QStringLiteral("questionList"));
    questionList_->setAccessibleName(QStringLiteral("説明する問題"));
    for (int q = 1; q <= state::kQuestions; ++q) {
        questionList_->addItem(questionLabel(q), q);
        questionList_->setItemData(q - 1, questionDescription(q), Qt::ToolTipRole);
    }
    explainButton_ = new QPushButton(QStringLiteral("説明を見せる"), this);
    explainButton_->setObjectName(QStringLiteral("explainButton"));
    explainButton_->setToolTip(QStringLiteral("選んだ問題の数学博士の説明を、画面いっぱいに大きく表示します（F6）"));
    assignButton_ = new QPushButton(QStringLiteral("課題を出す…"), this);
    assignButton_->setObjectName(QStringLiteral("assignButton"));
    assignButton_->setToolTip(QStringLiteral(
        "選んだ問題（分野ごとの行、問題ごとのミスの列、グラフの棒）をクラスの課題にします。問題は次の画面でも選べます"));
    assignButton_->setEnabled(false);
}

// The pages, each with its own set-up, one tab a page.
void ClassWindow::makePages() {
    table_ = new ListPage(&proxy_, this);
    missPage_ = new MissPage(&proxy_, this);
    missPage_->showSort(ClassModel::Help, Qt::DescendingOrder);
    chartPage_ = new ChartPage(this);
    topicTable_ = new TopicTable(this);
    lessonPage_ = new LessonPage(model_, this);
    assignmentPage_ = new AssignmentPage(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->addTab(table_, QStringLiteral("一覧"));
    tabs_->addTab(missPage_, QStringLiteral("問題ごとのミス"));
    tabs_->addTab(chartPage_, QStringLiteral("グラフ"));
    tabs_->addTab(topicTable_, QStringLiteral("分野ごと"));
    tabs_->addTab(lessonPage_, QStringLiteral("この時間"));
    tabs_->addTab(assignmentPage_, QStringLiteral("課題"));
}

void ClassWindow::layOut() {
    auto *top = new QHBoxLayout;
    top->addWidget(folderLabel_, 1);
    top->addWidget(chooseButton_);
    top->addWidget(csvButton_);
    top->addWidget(pdfButton_);
    top->addWidget(pageButton_);
    top->addWidget(rosterButton_);
    top->addWidget(unrosterButton_);
    auto *explainRow = new QHBoxLayout;
    auto *listLabel = new QLabel(QStringLiteral("問題："), this);
    listLabel->setBuddy(questionList_);
    explainRow->addWidget(listLabel);
    explainRow->addWidget(questionList_);
    explainRow->addWidget(explainButton_);
    explainRow->addWidget(assignButton_);
    explainRow->addWidget(projectButton_);
    explainRow->addStretch(1);
    auto *status = new QHBoxLayout;
    status->addWidget(statusLabel_, 1);
    status->addWidget(progress_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(status);
    layout->addLayout(explainRow);
    layout->addWidget(tabs_, 1);
    setTabOrder(chooseButton_, csvButton_);
    setTabOrder(csvButton_, pdfButton_);
    setTabOrder(pdfButton_, pageButton_);
    setTabOrder(pageButton_, rosterButton_);
    setTabOrder(rosterButton_, unrosterButton_);
    setTabOrder(unrosterButton_, questionList_);
    setTabOrder(questionList_, explainButton_);
    setTabOrder(explainButton_, assignButton_);
    setTabOrder(assignButton_, projectButton_);
    setTabOrder(projectButton_, tabs_);
    resize(1040, 720);  // until shown: then the screen's free area, or the size the teacher kept
}

// The buttons of the top rows and the keys that do the same.
void ClassWindow::connectButtons() {
    connect(chooseButton_, &QPushButton::clicked, this, &ClassWindow::chooseFolder);
    connect(csvButton_, &QPushButton::clicked, this, &ClassWindow::saveCsv);
    connect(pdfButton_, &QPushButton::clicked, this, &ClassWindow::saveSheets);
    connect(pageButton_, &QPushButton::clicked, this, &ClassWindow::openPage);
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &ClassWindow::chooseFolder);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, csvButton_, &QPushButton::click);
    // F5 opens the projector's view; the folder is looked at once with Ctrl+R.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this), &QShortcut::activated, &live_,
            &classfolder::LiveFolder::rescan);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, &ClassWindow::project);
    connect(projectButton_, &QPushButton::clicked, this, &ClassWindow::project);
    connect(rosterButton_, &QPushButton::clicked, this, &ClassWindow::readRoster);
    connect(unrosterButton_, &QPushButton::clicked, this, &ClassWindow::removeRoster);
    connect(explainButton_, &QPushButton::clicked, this, &ClassWindow::explain);
    connect(assignButton_, &QPushButton::clicked, this, &ClassWindow::assign);
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this, &ClassWindow::explain);
}

// What the pages say: a question chosen, a heading clicked, a button
// pressed; and what the model's changes show on them.
void ClassWindow::connectPages() {
    // One order for both views: a click on either's heading sorts both.
    connect(table_, &ListPage::sortChanged, missPage_, &MissPage::showSort);
    connect(missPage_, &MissPage::sortChanged, table_, &ListPage::showSort);
    connect(questionList_, &QComboBox::currentIndexChanged, this, [this] {
        chartPage_->setChosenQuestion(chosenQuestion());
        showOnProjector();
    });
    connect(missPage_, &MissPage::questionChosen, this, &ClassWindow::chooseQuestion);
    connect(chartPage_, &ChartPage::questionClicked, this, &ClassWindow::chooseQuestion);
    connect(chartPage_, &ChartPage::questionDoubleClicked, this, [this](int q) {
        chooseQuestion(q);
        explain();
    });
    connect(assignmentPage_, &AssignmentPage::clearAssignmentClicked, this, &ClassWindow::clearAssignment);
    connect(lessonPage_, &LessonPage::startLessonClicked, this, &ClassWindow::startLesson);
    connect(&model_, &ClassModel::rosterChanged, this, &ClassWindow::showRoster);
    connect(&model_, &ClassModel::summaryChanged, lessonPage_,
            &LessonPage::showTotals);  // after a look that changed rows
    connect(&model_, &ClassModel::summaryChanged, this, [this] {
        chartPage_->setSummary(model_.summary());
        topicTable_->setSummary(model_.summary());
    });
    // A look is shown once both orders of its rows are in.
    connect(&proxy_, &ClassSortProxy::orderSettled, this, &ClassWindow::refreshWhenSorted);
    connect(lessonPage_, &LessonPage::orderSettled, this, &ClassWindow::refreshWhenSorted);
}

// The folder followed: its looks, and the progress of a long read.
void ClassWindow::connectFolder() {
    connect(&live_, &classfolder::LiveFolder::updated, this, &ClassWindow::updated);
    connect(&live_, &classfolder::LiveFolder::busyChanged, this, &ClassWindow::setBusy);
    connect(&live_, &classfolder::LiveFolder::progress, this, [this](int done, int total) {
        progress_->setRange(0, total);
        progress_->setValue(done);
    });
}

int ClassWindow::chosenQuestion() const { return questionList_->currentData().toInt(); }

void ClassWindow::chooseQuestion(int q) {
    if (q >= 1 && q <= state::kQuestions) questionList_->setCurrentIndex(q - 1);
}

ExplanationWindow *ClassWindow::explain() {
    // While the projector's view is open, the explanation is shown there.
    return showExplanation(chosenQuestion(), projector_ ? static_cast<QWidget *>(projector_) : this);
}

void ClassWindow::openFolder(const QString &folder) {
    const QString absolute = QDir(folder).absolutePath();
    folderLabel_->setText(QStringLiteral("フォルダー：%1").arg(QDir::toNativeSeparators(absolute)));
    folderLabel_->setToolTip(Qt::convertFromPlainText(absolute, Qt::WhiteSpaceNormal));
    setWindowTitle(QStringLiteral("%1 — %2").arg(kTitle, QDir(absolute).dirName()));
    error_.clear();
    notice_.clear();
    lessonPending_ = true;
    model_.setLesson({});
    statusLabel_->setText(QStringLiteral("読んでいます…"));
    progress_->setRange(0, 0);
    live_.open(absolute);
    takeRosterOf(absolute);
}

QString ClassWindow::pageFile() const { return pageFolder_ + QStringLiteral("/クラスの記録.html"); }

void ClassWindow::chooseFolder() {
    const QString start = live_.folder().isEmpty() ? QDir::homePath() : live_.folder();
    const QString folder = dialogs_.chooseFolder(this, start);
    if (folder.isEmpty()) return;
    rememberChosenFolder(QDir(folder).absolutePath());
    openFolder(folder);
}

void ClassWindow::saveCsv() {
    if (model_.folder().isEmpty()) return;
    const QString suggested =
        QDir::home().filePath(QStringLiteral("%1の記録.csv").arg(QDir(model_.folder()).dirName()));
    const QString file = dialogs_.chooseCsvFile(this, suggested);
    if (file.isEmpty()) return;
    // The same safe writer as --csv: never through a link, never over a
    // progress file, the old file kept when the write fails.
    ClassReport rows = model_.report();
    orderByRoster(rows);
    const QString error = writeOutputFile(file, csv(rows));
    if (!error.isEmpty()) {
        dialogs_.showError(this, error);
        return;
    }
    notice_ = QStringLiteral("「%1」に保存しました。").arg(QDir::toNativeSeparators(file));
    showStatus();
}

void ClassWindow::saveSheets() {
    if (model_.folder().isEmpty()) return;
    const QString suggested =
        QDir::home().filePath(QStringLiteral("%1の個人票.pdf").arg(QDir(model_.folder()).dirName()));
    const QString file = dialogs_.choosePdfFile(this, suggested);
    if (file.isEmpty()) return;
    // Drawn off the interface thread (a class of thousands takes many
    // seconds), the window painting meanwhile, with its progress and a way
    // to stop.  The dialog is modal to the window, so nothing the teacher
    // does can change or close it while the sheets are drawn.
    auto ordered = std::make_shared<ClassReport>(model_.report());
    orderByRoster(*ordered);  // with a class list, in the list's order
    const std::shared_ptr<const ClassReport> report = std::move(ordered);
    const QString name = platform::className(QDir(report->folder).absolutePath());  // the settings are read here
    const auto drawn = std::make_shared<std::atomic<int>>(0);
    const auto stop = std::make_shared<std::atomic<bool>>(false);
    const auto pdfOut = std::make_shared<QByteArray>();
    QProgressDialog progress(QStringLiteral("個人票を作っています…"), QStringLiteral("やめる"), 0,
                             int(report->pupils.size()), this);
    progress.setObjectName(QStringLiteral("sheetsProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    connect(&progress, &QProgressDialog::canceled, this, [stop] { stop->store(true); });
    std::unique_ptr<QThread> drawer(QThread::create([report, name, drawn, stop, pdfOut] {
        *pdfOut = sheetsPdf(
            *report,
            [drawn, stop](int done, int) {
                drawn->store(done);
                return !stop->load();
            },
            name);
    }));
    QEventLoop loop;
    connect(drawer.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    connect(&tick, &QTimer::timeout, &progress, [&] {
        if (progress.wasCanceled()) stop->store(true);  // Esc or the close box as well as やめる
        progress.setValue(drawn->load());
    });
    tick.start(100);
    QTimer::singleShot(0, &loop, [&drawer] { drawer->start(); });
    loop.exec();
    drawer->wait();
    progress.reset();
    if (stop->load()) {
        notice_ = QStringLiteral("個人票の保存をやめました。");
        showStatus();
        return;
    }
    const QByteArray pdf = *pdfOut;
    const QString error = pdf.isEmpty()
                              ? QStringLiteral("「%1」に書き込めません（個人票の PDF を作れません）。").arg(file)
                              : writeOutputFile(file, pdf);
    if (!error.isEmpty()) {
        dialogs_.showError(this, error);
        return;
    }
    notice_ = QStringLiteral("「%1」に個人票を保存しました。").arg(QDir::toNativeSeparators(file));
    showStatus();
}

void ClassWindow::openPage() {
    if (model_.folder().isEmpty()) return;
    if (!QDir().mkpath(pageFolder_)) {
        dialogs_.showError(this, QStringLiteral("フォルダー「%1」を作れません。").arg(pageFolder_));
        return;
    }
    const QString error = writeOutputFile(pageFile(), html(model_.report()));
    if (!error.isEmpty()) {
        dialogs_.showError(this, error);
        return;
    }
    if (!dialogs_.openPage(QUrl::fromLocalFile(pageFile())))
        dialogs_.showError(
            this, QStringLiteral("ブラウザでページを開けませんでした。ページは「%1」にあります。").arg(pageFile()));
}

void ClassWindow::updated(const classfolder::DeltaPtr &delta) {
    // Looks are taken in in the order they came: one that brings every row
    // is set out on the worker thread first, and those after it wait.
    arriving_.push_back(delta);
    if (arriving_.size() == 1) takeNext();
}

void ClassWindow::takeNext() {
    while (!arriving_.empty()) {
        const classfolder::DeltaPtr delta = arriving_.front();
        if (delta->complete && !delta->aborted) return setOutApart(delta);
        takeIn(*delta, nullptr, nullptr);
        arriving_.pop_front();
    }
}

void ClassWindow::setOutApart(const classfolder::DeltaPtr &delta) {
    // The lesson starts from the first look that read the folder, so that
    // its rows are set out with its figures.
    const bool starts = lessonStartsWith(*delta);
    const QString lessonFolder = lessonFolder_;
    const Lesson lesson = model_.lesson();
    setter_->start([this, delta, starts, lessonFolder, lesson] {
        auto carried = std::make_shared<CarriedLesson>();
        if (starts) *carried = carryOn(lessonFolder, *delta);
        ClassModel::SetOutPtr rows = ClassModel::setOut(*delta, starts ? carried->lesson : lesson);
        QMetaObject::invokeMethod(
            this,
            [this, delta, starts, carried, rows] {
                takeIn(*delta, starts ? carried.get() : nullptr, rows);
                arriving_.pop_front();
                takeNext();
            },
            Qt::QueuedConnection);
    });
}

bool ClassWindow::lessonStartsWith(const classfolder::ScanDelta &look) const {
    return lessonPending_ && look.complete && !look.aborted && look.error.isEmpty() && look.folder == live_.folder();
}

void ClassWindow::takeIn(const classfolder::ScanDelta &delta, const CarriedLesson *carried,
                         ClassModel::SetOutPtr rows) {
    // The lesson starts from the first look that read the folder (a folder
    // opened is read afresh, so that look brings every row), before its rows
    // are taken in, so that the views sort them once, with its figures.
    if (lessonStartsWith(delta)) {
        lessonPending_ = false;
        const CarriedLesson now = carried ? *carried : carryOn(lessonFolder_, delta);
        beginLesson(now.lesson, false);
        lessonNotKept(now.error);
    }
    model_.apply(delta, std::move(rows));
    error_ = delta.error;
    const bool shown = !model_.folder().isEmpty();
    lessonPage_->setLessonStartable(shown && !lessonPending_);
    csvButton_->setEnabled(shown);
    pdfButton_->setEnabled(shown);
    pageButton_->setEnabled(shown);
    assignButton_->setEnabled(shown);
    assignmentPage_->show(model_.report());
    showStatus();
    showOnProjector();
    refreshPending_ = true;
    refreshWhenSorted();
}

void ClassWindow::refreshWhenSorted() {
    if (refreshPending_ && !proxy_.sorting() && !lessonPage_->sorting()) {
        refreshPending_ = false;
        emit refreshed();
    }
}

void ClassWindow::startLesson() {
    if (model_.folder().isEmpty() || lessonPending_) return;
    // The figures of a lesson under way are not thrown away by a slip: the
    // teacher is asked, and the default answer keeps them.
    const QString question =
        QStringLiteral(
            "いまの授業は %1 に始まりました。\n授業を始めなおすと、この時間の数（進んだ問題・増えたミス・プレイ時間）は"
            "いまから数えなおしになります。")
            .arg(model_.lesson().start.toLocalTime().toString(QStringLiteral("HH:mm")));
    if (!dialogs_.startLessonAgain(this, question)) return;
    beginLesson(model_.lessonFromNow(QDateTime::currentDateTimeUtc()), true);
}

void ClassWindow::beginLesson(Lesson lesson, bool save) {
    model_.setLesson(std::move(lesson));
    lessonPage_->showTotals();
    if (save && !lessonFolder_.isEmpty())
        lessonNotKept(saveLesson(lessonFile(lessonFolder_, model_.lesson().folder), model_.lesson()));
}

void ClassWindow::lessonNotKept(const QString &error) {
    if (!error.isEmpty())
        dialogs_.showError(
            this,
            QStringLiteral("授業の始めを記録できませんでした（窓を閉じると、この時間の数えはじめは残りません）。\n%1")
                .arg(error));
}

std::vector<int> ClassWindow::proposedQuestions() const {
    std::vector<int> chosen;
    const auto add = [&chosen](int q) {
        if (q >= 1 && q <= state::kQuestions && std::find(chosen.begin(), chosen.end(), q) == chosen.end())
            chosen.push_back(q);
    };
    QWidget *page = tabs_->currentWidget();
    if (page == topicTable_) {
        for (int q : topicTable_->selectedQuestions()) add(q);
    } else if (page == chartPage_) {
        add(chosenQuestion());
    } else if (page == missPage_) {
        for (int q : missPage_->selectedQuestions()) add(q);
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

void ClassWindow::assign() {
    const QString folder = model_.folder();
    if (folder.isEmpty()) return;
    const std::optional<AssignmentChoice> choice =
        dialogs_.chooseAssignment(this, {proposedQuestions(), {}}, QDate::currentDate());
    if (!choice || choice->questions.empty()) return;
    const QDateTime now = QDateTime::currentDateTime();  // set when the teacher confirmed
    if (choice->testDay.isValid() && choice->testDay <= now.date()) {
        dialogs_.showError(this, QStringLiteral("テストの日は今日より後の日にしてください。"));
        return;
    }
    // The folder as it is now: a 課題 set meanwhile by another teacher is replaced only when asked.
    const state::assignment::Found before = state::assignment::read(folder);
    if (before.isSet() && !dialogs_.confirm(this,
                                            QStringLiteral("いま出ている課題（%1）を、新しい課題に置きかえますか？")
                                                .arg(assignmentSummary(before.assignment)),
                                            QStringLiteral("置きかえる")))
        return;
    state::assignment::Assignment a;
    a.questions = choice->questions;
    a.set = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    a.testDay = choice->testDay;
    try {
        state::assignment::write(folder, a);
    } catch (const state::ProgressError &e) {
        dialogs_.showError(this, QStringLiteral("課題を出せませんでした。\n%1").arg(QString::fromUtf8(e.what())));
        return;
    }
    notice_ = QStringLiteral("課題を出しました：%1").arg(assignmentSummary(a));
    showStatus();
    tabs_->setCurrentWidget(assignmentPage_);
    live_.rescan();
}

void ClassWindow::clearAssignment() {
    const QString folder = model_.folder();
    if (folder.isEmpty()) return;
    const state::assignment::Found now = state::assignment::read(folder);
    if (!now.isSet()) return;
    if (!dialogs_.confirm(this,
                          QStringLiteral("課題（%1）をやめますか？\n児童・生徒の復習に課題が出なくなります。")
                              .arg(assignmentSummary(now.assignment)),
                          QStringLiteral("課題をやめる")))
        return;
    try {
        state::assignment::clear(folder);
    } catch (const state::ProgressError &e) {
        dialogs_.showError(this, QStringLiteral("課題をやめられませんでした。\n%1").arg(QString::fromUtf8(e.what())));
        return;
    }
    notice_ = QStringLiteral("課題をやめました。");
    showStatus();
    live_.rescan();
}

// The key of the window's size and place in its own file.
static const QString kPlaceKey = QStringLiteral("place");

void ClassWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (std::exchange(fitted_, true)) return;
    // The size and place the teacher gave the window last time, else as
    // large as the screen's free area.  Only the program's window (the one
    // with the teacher's data folder) keeps one.  A place an earlier version
    // kept in the data folder counts until the window keeps one of its own.
    QByteArray kept;
    if (!lessonFolder_.isEmpty()) {
        kept = QByteArray::fromBase64(platform::rememberedValue(kPlaceKey).toLatin1());
        if (kept.isEmpty()) kept = readKeptPlace(placeFile());
    }
    if (kept.isEmpty() || !restoreGeometry(kept)) fitScreen();
    placed_ = saveGeometry();
}

void ClassWindow::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    if (lessonFolder_.isEmpty() || !fitted_) return;
    const QByteArray now = saveGeometry();
    if (now == placed_) return;  // nothing the teacher changed
    const QString error = platform::remember(kPlaceKey, QString::fromLatin1(now.toBase64()));
    if (!error.isEmpty())
        dialogs_.showError(this, QStringLiteral("窓の大きさと位置を次のために残せませんでした。\n%1").arg(error));
    else
        placed_ = now;
}

QString ClassWindow::placeFile() const { return QDir(lessonFolder_).filePath(QStringLiteral("窓の大きさと位置.dat")); }

bool ClassWindow::eventFilter(QObject *watched, QEvent *event) {
    // The teacher's next action in this window ends a save's message.
    if (!notice_.isEmpty() && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)) {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            notice_.clear();
            showStatus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClassWindow::fitScreen() {
    const QScreen *on = screen();
    if (!on) return;
    const QRect room = on->availableGeometry();
    // The whole room, less the frame's own height and width (title bar,
    // borders): on a projector the class reads it from the back.
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(room.size() - frame);
    move(room.topLeft());
}

void ClassWindow::showStatus() {
    // A save's message first, kept until the teacher's next action; who
    // needs help always.
    QStringList parts;
    if (!notice_.isEmpty()) parts << notice_;
    if (!error_.isEmpty()) parts << error_;
    if (error_.isEmpty() || model_.rowCount()) parts << countsLine(model_.summary());
    if (const QString assigned = assignmentCountText(model_.report()); !assigned.isEmpty()) parts << assigned;
    if (!model_.report().assignment.problem.isEmpty())
        parts << QStringLiteral("課題のファイルに問題があります（課題のページ）");
    parts << QStringLiteral("要支援 %1 人").arg(model_.helpCount());
    if (model_.roster()) parts << QStringLiteral("未着手 %1 人").arg(model_.notStartedCount());
    if (model_.readAt().isValid())
        parts << QStringLiteral("%1 に読みました").arg(model_.readAt().toString(QStringLiteral("HH:mm:ss")));
    statusLabel_->setText(parts.join(QStringLiteral("　")));
    statusLabel_->setStyleSheet(error_.isEmpty() ? QString() : QStringLiteral("color: #b00020;"));
}

void ClassWindow::setBusy(bool busy) {
    if (busy) {
        if (!progressDelay_->isActive() && progress_->isHidden()) progressDelay_->start();
    } else {
        progressDelay_->stop();
        progress_->hide();
        progress_->setRange(0, 0);
    }
}

QString ClassWindow::rosterKeptIn(const QString &folder) const {
    return lessonFolder_.isEmpty() ? QString() : rosterFile(lessonFolder_, folder);
}

void ClassWindow::takeRosterOf(const QString &folder) {
    if (RosterPtr given = std::exchange(pendingRoster_, nullptr)) return useRoster(std::move(given));
    const QString kept = rosterKeptIn(folder);
    model_.setRoster(kept.isEmpty() ? nullptr : keptRoster(kept, folder));
}

void ClassWindow::useRoster(RosterPtr roster) {
    if (live_.folder().isEmpty()) {
        pendingRoster_ = std::move(roster);
        return;
    }
    model_.setRoster(roster);
    const QString kept = rosterKeptIn(live_.folder());
    if (kept.isEmpty() || !roster) return;
    // Kept for this folder only, in the teacher's own folder: it names pupils.
    const QString error = keepRoster(kept, live_.folder(), *roster);
    if (!error.isEmpty())
        dialogs_.showError(
            this, QStringLiteral("名簿を次のために残せませんでした（窓を閉じるまで使います）。\n%1").arg(error));
}

void ClassWindow::readRoster() {
    const QString file = dialogs_.chooseRosterFile(this, QDir::homePath());
    if (file.isEmpty()) return;
    const RosterRead read = readRosterFile(file);
    if (!read.roster) {
        // Refused whole: the list in use stays as it was.
        constexpr qsizetype kShown = 20;
        QStringList lines = read.problems.mid(0, kShown);
        if (read.problems.size() > kShown) lines << QStringLiteral("ほかに %1 件").arg(read.problems.size() - kShown);
        dialogs_.showError(
            this, QStringLiteral("名簿「%1」は読み込みませんでした。直してから、もう一度読み込んでください。\n%2")
                      .arg(QDir::toNativeSeparators(file), lines.join(QLatin1Char('\n'))));
        return;
    }
    useRoster(read.roster);
    notice_ = QStringLiteral("名簿を読み込みました（%1 人）。").arg(read.roster->size());
    showStatus();
}

void ClassWindow::removeRoster() {
    if (!model_.roster()) return;
    const QString kept = rosterKeptIn(live_.folder());
    const QString error = kept.isEmpty() ? QString() : forgetRoster(kept);
    model_.setRoster(nullptr);
    if (!error.isEmpty()) dialogs_.showError(this, QStringLiteral("残した名簿を消せませんでした。\n%1").arg(error));
    notice_ = QStringLiteral("名簿を外しました。");
    showStatus();
}

void ClassWindow::showRoster() {
    const bool listed = bool(model_.roster());
    unrosterButton_->setEnabled(listed);
    showRosterColumns(table_, listed);
    assignmentPage_->show(model_.report());  // the 課題 page names pupils by the list too
    // With a list, in its order; without, who needs help first.
    if (listed)
        table_->sortByColumn(ClassModel::Number, Qt::AscendingOrder);
    else
        table_->sortByColumn(ClassModel::Help, Qt::DescendingOrder);
    showStatus();
    showOnProjector();
}

ClassFigures ClassWindow::classFigures() const {
    // Only figures of the whole class: nothing here may name a pupil.
    ClassFigures figures;
    figures.summary = model_.summary();
    figures.question = chosenQuestion();
    figures.counts << QStringLiteral("記録 %1 人").arg(model_.summary().files);
    figures.counts << QStringLiteral("要支援 %1 人").arg(model_.helpCount());
    if (model_.roster()) figures.counts << QStringLiteral("未着手 %1 人").arg(model_.notStartedCount());
    if (const QString done = assignmentCountText(model_.report()); !done.isEmpty()) figures.counts << done;
    return figures;
}

void ClassWindow::showOnProjector() {
    if (projector_) projector_->setFigures(classFigures());
}

void ClassWindow::project() {
    if (projector_) {
        projector_->close();
        return;
    }
    projector_ = new ProjectorWindow(this);
    connect(projector_, &ProjectorWindow::explainRequested, this, &ClassWindow::explain);
    projector_->setFigures(classFigures());
    projector_->showBeside(this);
}

}  // namespace report::window
