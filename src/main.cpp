// The program: installs the real services, registers the screens and
// shows the title screen.  The run ends when no window is left.
#include "platform/Forms.h"
#include "platform/SdlMedia.h"
#include "platform/Services.h"
#include "screens/Screens.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    // Qt's own Japanese texts for the dialogs' buttons (はい / いいえ, キャンセル).
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);

    // Sound starts loading on its own thread; the first window does not
    // wait for it.
    platform::SdlMedia media;
    platform::services().media = &media;

    screens::registerAll();
    platform::forms::show(QStringLiteral("Form1"));
    if (platform::forms::programEnded()) return 0;
    const int rc = app.exec();
    platform::services().media = nullptr;
    return rc;
}
