// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/WindowEntry.h"

#include "platform/DataFolder.h"
#include "platform/Services.h"
#include "platform/Settings.h"
#include "report/window/ClassWindow.h"
#include "report/window/StartFolder.h"
#include "screens/Screens.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

namespace report {

std::unique_ptr<window::ClassWindow> showWindow(window::WindowDialogs &dialogs, const QString *scaleOption,
                                                const QString &dataFolder) {
    // The game's own scale: from the environment, --scale, [display] scale
    // or the screen, so that the window beside it is drawn as large.
    QStringList warnings;
    platform::setDisplayScaleForScreen(scaleOption, screens::largestScreenSize(), &warnings);
    for (const QString &warning : warnings)
        std::fprintf(stderr, "pomurin20-report: %s\n", qPrintable(platform::visibleText(warning)));
    // The pages the window makes for the browser: the user's cache.
    auto classWindow = std::make_unique<window::ClassWindow>(
        dialogs, platform::xdgCacheHome() + QStringLiteral("/pomurin20-report"), nullptr, dataFolder);
    classWindow->show();
    return classWindow;
}

int runWindow(const QString &givenFolder, const QString *scaleOption, std::shared_ptr<const Roster> roster) {
    platform::installJapaneseTranslations();  // the file dialogs' own buttons in Japanese
    window::QtWindowDialogs dialogs;
    // The lesson's start and the class lists are the teacher's own, kept in their data folder.
    const auto classWindow =
        showWindow(dialogs, scaleOption, platform::xdgDataHome() + QStringLiteral("/pomurin20-report"));
    if (!givenFolder.isEmpty()) window::rememberChosenFolder(QDir(givenFolder).absolutePath());
    const QString folder = window::startFolder(givenFolder);
    if (roster) classWindow->useRoster(std::move(roster));  // for the folder opened next
    if (folder.isEmpty())
        QTimer::singleShot(0, classWindow.get(), &window::ClassWindow::chooseFolder);
    else
        classWindow->openFolder(folder);
    return QApplication::exec();
}

}  // namespace report
