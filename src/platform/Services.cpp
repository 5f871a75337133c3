// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Services.h"

#include "platform/Media.h"

#include <QApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMessageBox>
#include <QTime>

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

bool QtDialogs::askYesNo(QWidget *parent, const QString &text, const QString &title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
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
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace platform
