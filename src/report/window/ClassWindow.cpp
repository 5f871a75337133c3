// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/ClassWindow.h"

#include "report/Command.h"
#include "report/OutputFile.h"
#include "report/Sheets.h"
#include "report/Writers.h"
#include "bank/Topics.h"
#include "report/window/BarChart.h"
#include "report/window/Explanation.h"
#include "report/window/TopicTable.h"
#include "report/window/MissGrid.h"
#include "report/window/StartFolder.h"
#include "platform/Services.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace report::window {

namespace {

const QString kTitle = QStringLiteral("ぽむりん紀行20 クラスの記録");
constexpr int kProgressDelayMs = 300;  // a read shorter than this shows no progress bar

QLabel *heading(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

}  // namespace

QString QtWindowDialogs::chooseFolder(QWidget *parent, const QString &start) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("進み具合のファイルがあるフォルダーを選んでください"), start);
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

void QtWindowDialogs::showError(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Warning, kTitle, QString(), QMessageBox::Ok, parent);
    platform::prepareMessageBox(box, text);  // file names as plain text, fitted to the screen
    box.exec();
}

ClassWindow::ClassWindow(WindowDialogs &dialogs, const QString &pageFolder, QWidget *parent,
                         const QString &lessonFolder)
    : QWidget(parent), dialogs_(dialogs), pageFolder_(pageFolder), lessonFolder_(lessonFolder) {
    setWindowTitle(kTitle);
    proxy_.setSourceModel(&model_);
    lessonProxy_.setSourceModel(&model_);

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
    pdfButton_->setToolTip(QStringLiteral("一人 1 ページの個人票を A4 の PDF ファイルに書きます（保護者会などの印刷用）"));
    pdfButton_->setEnabled(false);
    pageButton_ = new QPushButton(QStringLiteral("ページを開く"), this);
    pageButton_->setObjectName(QStringLiteral("pageButton"));
    pageButton_->setToolTip(QStringLiteral("一覧とグラフのページを作り、ブラウザで開きます（印刷にも使えます）"));
    csvButton_->setEnabled(false);
    pageButton_->setEnabled(false);
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

    // The question to explain: from the list, a column of the grid or a bar.
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

    // The table.
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("classTable"));
    table_->setAccessibleName(QStringLiteral("一覧"));
    table_->setModel(&proxy_);
    for (int c = ClassModel::Advanced; c < ClassModel::kColumns; ++c) table_->setColumnHidden(c, true);
    table_->setSortingEnabled(true);
    // Who needs help comes first, the rest in code order.
    table_->sortByColumn(ClassModel::Help, Qt::DescendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    {
        const QFontMetrics fm = table_->fontMetrics();
        const int number = fm.horizontalAdvance(QStringLiteral("合計秒数")) + 28;
        table_->setColumnWidth(ClassModel::Code, fm.horizontalAdvance(QStringLiteral("あいうえおかきく")) + 16);
        for (int c = ClassModel::Reached; c < ClassModel::Playing; ++c) table_->setColumnWidth(c, number);
        table_->setColumnWidth(ClassModel::Playing, fm.horizontalAdvance(QStringLiteral("プレイ中の端末")) + 40);
        table_->setColumnWidth(ClassModel::Help, fm.horizontalAdvance(QStringLiteral("要支援")) + 28);
        table_->setColumnWidth(ClassModel::Review, fm.horizontalAdvance(QStringLiteral("30問中30問")) + 16);
    }

    // The grid and its legend.
    grid_ = new MissGrid(this);
    grid_->setModel(&proxy_);
    auto *gridPage = new QWidget(this);
    auto *gridLayout = new QVBoxLayout(gridPage);
    auto *gridNote = new QLabel(QStringLiteral("ますの数はその問題でのミスの回数です。列の見出しを押すと、その問題でミスの多い順などに並べかえます。"),
                                gridPage);
    gridNote->setWordWrap(true);
    gridLayout->addWidget(gridNote);
    gridLayout->addWidget(makeMissLegend(gridPage));
    gridLayout->addWidget(grid_, 1);
    // One order for both views: a click on either's heading sorts both.
    const auto followSort = [](QTableView *other) {
        return [other](int section, Qt::SortOrder order) {
            QSignalBlocker block(other->horizontalHeader());
            other->horizontalHeader()->setSortIndicator(section, order);
        };
    };
    connect(table_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, grid_, followSort(grid_));
    connect(grid_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, table_, followSort(table_));
    grid_->horizontalHeader()->setSortIndicator(ClassModel::Help, Qt::DescendingOrder);

    // The charts.
    missChart_ = new BarChart(QStringLiteral("問題ごとの平均ミス数"), QStringLiteral(" 回"), 1, this);
    reachedChart_ = new BarChart(QStringLiteral("各問題まで進んだ人数"), QStringLiteral(" 人"), 0, this);
    auto *charts = new QWidget(this);
    auto *chartsLayout = new QVBoxLayout(charts);
    chartsLayout->addWidget(heading(QStringLiteral("問題ごとの平均ミス数"), charts));
    chartsLayout->addWidget(new QLabel(QStringLiteral("その問題まで進んだ人の平均です。"), charts));
    chartsLayout->addWidget(missChart_);
    chartsLayout->addWidget(heading(QStringLiteral("各問題まで進んだ人数"), charts));
    chartsLayout->addWidget(reachedChart_);
    chartsLayout->addStretch();
    auto *chartsScroll = new QScrollArea(this);
    chartsScroll->setWidget(charts);
    chartsScroll->setWidgetResizable(true);
    chartsScroll->setFocusPolicy(Qt::NoFocus);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->addTab(table_, QStringLiteral("一覧"));
    tabs_->addTab(gridPage, QStringLiteral("問題ごとのミス"));
    tabs_->addTab(chartsScroll, QStringLiteral("グラフ"));
    topicTable_ = new TopicTable(this);
    tabs_->addTab(topicTable_, QStringLiteral("分野ごと"));

    // This lesson: the class's totals on top, then each pupil, fewest
    // questions advanced first.
    auto *lessonPage = new QWidget(this);
    lessonPage->setObjectName(QStringLiteral("lessonPage"));
    lessonLabel_ = new QLabel(lessonPage);
    lessonLabel_->setObjectName(QStringLiteral("lessonTotals"));
    lessonLabel_->setTextFormat(Qt::PlainText);
    lessonLabel_->setWordWrap(true);
    lessonButton_ = new QPushButton(QStringLiteral("授業を始める"), lessonPage);
    lessonButton_->setObjectName(QStringLiteral("lessonButton"));
    lessonButton_->setToolTip(QStringLiteral("いまを授業の始めにして、ここから進んだ問題・ミス・時間を数えなおします"));
    lessonTable_ = new QTableView(lessonPage);
    lessonTable_->setObjectName(QStringLiteral("lessonTable"));
    lessonTable_->setAccessibleName(QStringLiteral("この時間"));
    lessonTable_->setModel(&lessonProxy_);
    for (int c = ClassModel::Help; c < ClassModel::Advanced; ++c) lessonTable_->setColumnHidden(c, true);
    for (int c = ClassModel::FirstQuestion; c < ClassModel::kColumns; ++c) lessonTable_->setColumnHidden(c, true);
    lessonTable_->setSortingEnabled(true);
    lessonTable_->sortByColumn(ClassModel::Advanced, Qt::AscendingOrder);
    lessonTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lessonTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lessonTable_->setAlternatingRowColors(true);
    lessonTable_->setWordWrap(false);
    lessonTable_->verticalHeader()->hide();
    lessonTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lessonTable_->verticalHeader()->setDefaultSectionSize(lessonTable_->fontMetrics().height() + 6);
    {
        const QFontMetrics fm = lessonTable_->fontMetrics();
        lessonTable_->setColumnWidth(ClassModel::Code, fm.horizontalAdvance(QStringLiteral("あいうえおかきく")) + 16);
        for (int c = ClassModel::Advanced; c <= ClassModel::LessonTime; ++c)
            lessonTable_->setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("進んだ問題")) + 40);
    }
    auto *lessonTop = new QHBoxLayout;
    lessonTop->addWidget(lessonLabel_, 1);
    lessonTop->addWidget(lessonButton_);
    auto *lessonLayout = new QVBoxLayout(lessonPage);
    lessonLayout->addLayout(lessonTop);
    lessonLayout->addWidget(lessonTable_, 1);
    tabs_->addTab(lessonPage, QStringLiteral("この時間"));
    connect(lessonButton_, &QPushButton::clicked, this, &ClassWindow::startLesson);

    auto *top = new QHBoxLayout;
    top->addWidget(folderLabel_, 1);
    top->addWidget(chooseButton_);
    top->addWidget(csvButton_);
    top->addWidget(pdfButton_);
    top->addWidget(pageButton_);
    auto *explainRow = new QHBoxLayout;
    auto *listLabel = new QLabel(QStringLiteral("問題："), this);
    listLabel->setBuddy(questionList_);
    explainRow->addWidget(listLabel);
    explainRow->addWidget(questionList_);
    explainRow->addWidget(explainButton_);
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
    setTabOrder(pageButton_, questionList_);
    setTabOrder(questionList_, explainButton_);
    setTabOrder(explainButton_, tabs_);
    resize(1040, 720);  // at most: fitted to the screen when shown

    connect(chooseButton_, &QPushButton::clicked, this, &ClassWindow::chooseFolder);
    connect(csvButton_, &QPushButton::clicked, this, &ClassWindow::saveCsv);
    connect(pdfButton_, &QPushButton::clicked, this, &ClassWindow::saveSheets);
    connect(pageButton_, &QPushButton::clicked, this, &ClassWindow::openPage);
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &ClassWindow::chooseFolder);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, csvButton_, &QPushButton::click);
    connect(new QShortcut(QKeySequence::Refresh, this), &QShortcut::activated, &live_, &LiveFolder::rescan);
    connect(explainButton_, &QPushButton::clicked, this, &ClassWindow::explain);
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this, &ClassWindow::explain);
    connect(questionList_, &QComboBox::currentIndexChanged, this, [this] {
        missChart_->setChosen(chosenQuestion());
        reachedChart_->setChosen(chosenQuestion());
    });
    // A question chosen in the grid: a cell of its column or its heading.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.column() >= ClassModel::FirstQuestion) chooseQuestion(ClassModel::question(current.column()));
    });
    connect(grid_->horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int section) {
        if (section >= ClassModel::FirstQuestion) chooseQuestion(ClassModel::question(section));
    });
    for (BarChart *chart : {missChart_, reachedChart_}) {
        connect(chart, &BarChart::questionClicked, this, &ClassWindow::chooseQuestion);
        connect(chart, &BarChart::questionDoubleClicked, this, [this](int q) {
            chooseQuestion(q);
            explain();
        });
    }
    chooseQuestion(1);
    connect(&live_, &LiveFolder::updated, this, &ClassWindow::updated);
    connect(&live_, &LiveFolder::busyChanged, this, &ClassWindow::setBusy);
    connect(&live_, &LiveFolder::progress, this, [this](int done, int total) {
        progress_->setRange(0, total);
        progress_->setValue(done);
    });
    connect(&model_, &ClassModel::summaryChanged, this, &ClassWindow::showLessonTotals);  // after every look
    connect(&model_, &ClassModel::summaryChanged, this, [this] {
        const ClassSummary &s = model_.summary();
        missChart_->setValues(s.averageMisses);
        BarChart::Values reached{};
        std::copy(s.reachedBy.begin(), s.reachedBy.end(), reached.begin());
        reachedChart_->setValues(reached);
        topicTable_->setSummary(s);
    });
    folderLabel_->setText(QStringLiteral("フォルダー：（まだ選ばれていません）"));
}

int ClassWindow::chosenQuestion() const { return questionList_->currentData().toInt(); }

void ClassWindow::chooseQuestion(int q) {
    if (q >= 1 && q <= state::kQuestions) questionList_->setCurrentIndex(q - 1);
}

ExplanationWindow *ClassWindow::explain() { return showExplanation(chosenQuestion(), this); }

void ClassWindow::openFolder(const QString &folder) {
    const QString absolute = QDir(folder).absolutePath();
    folderLabel_->setText(QStringLiteral("フォルダー：%1").arg(QDir::toNativeSeparators(absolute)));
    folderLabel_->setToolTip(Qt::convertFromPlainText(absolute, Qt::WhiteSpaceNormal));
    setWindowTitle(QStringLiteral("%1 — %2").arg(kTitle, QDir(absolute).dirName()));
    error_.clear();
    lessonPending_ = true;
    model_.setLesson({});
    statusLabel_->setText(QStringLiteral("読んでいます…"));
    progress_->setRange(0, 0);
    live_.open(absolute);
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
    const QString error = writeOutputFile(file, csv(model_.report()));
    if (!error.isEmpty()) {
        dialogs_.showError(this, error);
        return;
    }
    statusLabel_->setText(QStringLiteral("「%1」に保存しました。").arg(QDir::toNativeSeparators(file)));
}

void ClassWindow::saveSheets() {
    if (model_.folder().isEmpty()) return;
    const QString suggested =
        QDir::home().filePath(QStringLiteral("%1の個人票.pdf").arg(QDir(model_.folder()).dirName()));
    const QString file = dialogs_.choosePdfFile(this, suggested);
    if (file.isEmpty()) return;
    // The same safe writer as --pdf; a large class takes a moment to draw.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QByteArray pdf = sheetsPdf(model_.report());
    QApplication::restoreOverrideCursor();
    const QString error = pdf.isEmpty()
                              ? QStringLiteral("「%1」に書き込めません（個人票の PDF を作れません）。").arg(file)
                              : writeOutputFile(file, pdf);
    if (!error.isEmpty()) {
        dialogs_.showError(this, error);
        return;
    }
    statusLabel_->setText(QStringLiteral("「%1」に個人票を保存しました。").arg(QDir::toNativeSeparators(file)));
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
        dialogs_.showError(this, QStringLiteral("ブラウザでページを開けませんでした。ページは「%1」にあります。").arg(pageFile()));
}

void ClassWindow::updated(const DeltaPtr &delta) {
    model_.apply(*delta);
    error_ = delta->error;
    const bool shown = !model_.folder().isEmpty();
    // The lesson starts from the first look that read the folder.
    if (lessonPending_ && !delta->aborted && delta->error.isEmpty() && model_.folder() == live_.folder()) {
        lessonPending_ = false;
        carryOnLesson();
    }
    lessonButton_->setEnabled(shown && !lessonPending_);
    csvButton_->setEnabled(shown);
    pdfButton_->setEnabled(shown);
    pageButton_->setEnabled(shown);
    showStatus();
    emit refreshed();
}

void ClassWindow::startLesson() {
    if (model_.folder().isEmpty() || lessonPending_) return;
    beginLesson(model_.lessonFromNow(QDateTime::currentDateTimeUtc()), true);
}

void ClassWindow::carryOnLesson() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!lessonFolder_.isEmpty()) {
        Lesson kept = loadLesson(lessonFile(lessonFolder_, model_.folder()), model_.folder(), now);
        if (kept.started()) return beginLesson(std::move(kept), false);
    }
    beginLesson(model_.lessonFromNow(now), true);
}

void ClassWindow::beginLesson(Lesson lesson, bool save) {
    model_.setLesson(std::move(lesson));
    showLessonTotals();
    if (!save || lessonFolder_.isEmpty()) return;
    const QString error = saveLesson(lessonFile(lessonFolder_, model_.folder()), model_.lesson());
    if (!error.isEmpty())
        dialogs_.showError(this, QStringLiteral("授業の始めを記録できませんでした（窓を閉じると、この時間の数えはじめは残りません）。\n%1")
                                     .arg(error));
}

void ClassWindow::showLessonTotals() {
    const Lesson &lesson = model_.lesson();
    if (!lesson.started()) {
        lessonLabel_->setText(QStringLiteral("授業の始めは、フォルダーを読み終えたときです。"));
        return;
    }
    LessonFigures total;
    int pupils = 0;
    for (int r = 0; r < model_.rowCount(); ++r) {
        if (!model_.pupil(r).wasRead()) continue;
        const LessonFigures f = model_.lessonFigures(r);
        total.advanced += f.advanced;
        total.misses += f.misses;
        total.seconds += f.seconds;
        ++pupils;
    }
    lessonLabel_->setText(QStringLiteral("授業の始め %1 から　%2 人で　進んだ問題 %3 問・増えたミス %4 回・プレイ時間 %5")
                              .arg(lesson.start.toLocalTime().toString(QStringLiteral("HH:mm")))
                              .arg(pupils)
                              .arg(total.advanced)
                              .arg(total.misses)
                              .arg(durationText(total.seconds)));
}

void ClassWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (!std::exchange(fitted_, true)) fitScreen();
}

void ClassWindow::fitScreen() {
    const QScreen *on = screen();
    if (!on) return;
    const QRect room = on->availableGeometry();
    // The frame's own height and width (title bar, borders) come off the room.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize fits = QSize(1040, 720).boundedTo(room.size() - frame);
    resize(fits.expandedTo(minimumSizeHint()).boundedTo(room.size() - frame));
    QRect placed = frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), room.left(), std::max(room.left(), room.right() - placed.width() + 1)));
    placed.moveTop(std::clamp(placed.top(), room.top(), std::max(room.top(), room.bottom() - placed.height() + 1)));
    move(placed.topLeft());
}

void ClassWindow::showStatus() {
    QString text = countsLine(model_.summary());
    if (model_.summary().files > 0) text += QStringLiteral("　要支援 %1 人").arg(model_.helpCount());
    if (model_.readAt().isValid())
        text += QStringLiteral("　%1 に読みました").arg(model_.readAt().toString(QStringLiteral("HH:mm:ss")));
    if (!error_.isEmpty()) text = error_ + QStringLiteral("　") + (model_.rowCount() ? text : QString());
    statusLabel_->setText(text);
    statusLabel_->setStyleSheet(error_.isEmpty() ? QString() : QStringLiteral("color: #b00020;"));
}

void ClassWindow::setBusy(bool busy) {
    if (busy) {
        if (!progressDelay_->isActive() && progress_->isHidden()) progressDelay_->start();
    } else {
        progressDelay_->stop();
        {
        // The status line keeps its height whether the bar shows or not.
        QSizePolicy policy = progress_->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        progress_->setSizePolicy(policy);
    }
    progress_->hide();
        progress_->setRange(0, 0);
    }
}

int runWindow(const QString &givenFolder) {
    platform::installJapaneseTranslations();  // the file dialogs' own buttons in Japanese
    QtWindowDialogs dialogs;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    // The lesson's start is the teacher's own, kept in their data folder.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ClassWindow window(dialogs, cache + QStringLiteral("/pomurin20-report"), nullptr, data);
    window.show();
    if (!givenFolder.isEmpty()) rememberChosenFolder(QDir(givenFolder).absolutePath());
    const QString folder = startFolder(givenFolder);
    if (folder.isEmpty())
        QTimer::singleShot(0, &window, &ClassWindow::chooseFolder);
    else
        window.openFolder(folder);
    return QApplication::exec();
}

}  // namespace report::window
