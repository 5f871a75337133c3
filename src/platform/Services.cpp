// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Services.h"

#include "platform/Media.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTime>
#include <QTranslator>

#include <cstring>

namespace platform {

Services &services() {
    static Services s;
    return s;
}

Clock &clock() {
    static SystemClock real;
    return services().clock ? *services().clock : real;
}

Random &random() {
    static SystemRandom real;
    return services().random ? *services().random : real;
}

Beep &beep() {
    static SystemBeep real;
    return services().beep ? *services().beep : real;
}

Dialogs &dialogs() {
    static QtDialogs real;
    return services().dialogs ? *services().dialogs : real;
}

MediaBackend &media() {
    static SilentMedia silent;
    return services().media ? *services().media : silent;
}

float SystemClock::secondsSinceMidnight() {
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

void SystemRandom::seed(float clockReading) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &clockReading, sizeof bits);
    state_ = 0x9E3779B97F4A7C15ull ^ (static_cast<unsigned long long>(bits) * 0xBF58476D1CE4E5B9ull);
}

double SystemRandom::next() {
    // splitmix64: small, fast and well distributed; the top 53 bits give a
    // double in [0, 1).
    unsigned long long z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void SystemBeep::beep() { QApplication::beep(); }

bool installJapaneseTranslations() {
    static QTranslator translator;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    if (!translator.isEmpty()) return true;
    if (!translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}

QString fitForMessageBox(const QString &text) {
    constexpr qsizetype kLongestLine = 120, kHead = 80, kTail = 30, kMostLines = 12, kFirstLines = 8, kLastLines = 3,
                        kLongestRun = 30;
    // Never cut between the two halves of a surrogate pair.
    auto head = [](const QString &s, qsizetype n) { return s.left(n > 0 && s[n - 1].isHighSurrogate() ? n - 1 : n); };
    auto tail = [](const QString &s, qsizetype n) {
        return s.right(n < s.size() && s[s.size() - n].isLowSurrogate() ? n - 1 : n);
    };
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kMostLines)
        lines = lines.mid(0, kFirstLines) + QStringList{QStringLiteral("…")} + lines.mid(lines.size() - kLastLines);
    for (QString &line : lines) {
        if (line.size() > kLongestLine) line = head(line, kHead) + QStringLiteral("…") + tail(line, kTail);
        QString broken;
        qsizetype run = 0;
        for (const QChar c : line) {
            // The break goes before the 31st character of a run: never
            // before a blank (the run ends there anyway) nor between the
            // two halves of a pair, which count as one character.
            if (run >= kLongestRun && !c.isSpace() && !c.isLowSurrogate()) {
                broken += QChar(0x200B);
                run = 0;
            }
            broken += c;
            if (c.isSpace())
                run = 0;
            else if (!c.isLowSurrogate())
                ++run;
        }
        line = broken;
    }
    return lines.join(QLatin1Char('\n'));
}

QString visibleText(const QString &text, bool keepLineBreaks) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t u = text[i].unicode();
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (pair) u = QChar::surrogateToUcs4(text[i], text[i + 1]);
        const auto category = QChar::category(u);
        if ((category == QChar::Other_Control && !(keepLineBreaks && u == U'\n')) || category == QChar::Other_Format ||
            category == QChar::Other_Surrogate)
            out += QStringLiteral("<U+%1>").arg(
                QString::number(uint(u), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        else
            out += QStringView(text).sliced(i, pair ? 2 : 1);
        if (pair) ++i;
    }
    return out;
}

namespace {

// Gives Ctrl+C in a message box the message as it was written: the box's
// own copy would give the text fitted to the screen, whose invisible
// breaks make a copied path one that does not exist.
class CopyWholeText : public QObject {
public:
    CopyWholeText(QObject *parent, const QString &text) : QObject(parent), text_(text) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::KeyPress || !static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy))
            return false;
        if (QClipboard *clipboard = QGuiApplication::clipboard()) clipboard->setText(text_);
        return true;
    }

private:
    QString text_;
};

}  // namespace

void prepareMessageBox(QMessageBox &box, const QString &text) {
    box.setTextFormat(Qt::PlainText);
    box.setText(fitForMessageBox(text));
    box.installEventFilter(new CopyWholeText(&box, text));
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::NoIcon, title, QString(), QMessageBox::Yes | QMessageBox::No, parent);
    prepareMessageBox(box, text);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::inputBox(QWidget *parent, const QString &prompt, const QString &title) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(QString());
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.textValue();
}

void QtDialogs::showError(QWidget *parent, const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::Critical, title, QString(), QMessageBox::Ok, parent);
    prepareMessageBox(box, text);
    box.exec();
}

int Dialogs::choose(QWidget *parent, const QString &text, const QString &title, const QStringList &buttons) {
    QMessageBox box(QMessageBox::Information, title, QString(), QMessageBox::NoButton, parent);
    prepareMessageBox(box, text);
    QList<QAbstractButton *> added;
    for (const QString &caption : buttons) added << box.addButton(caption, QMessageBox::AcceptRole);
    if (!added.isEmpty()) box.setDefaultButton(qobject_cast<QPushButton *>(added.first()));
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

}  // namespace platform
