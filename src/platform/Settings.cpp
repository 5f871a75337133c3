// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Settings.h"

#include "platform/ClassFolder.h"
#include "platform/Services.h"

#include <QtGui/private/qhighdpiscaling_p.h>
#include <QDir>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QWindow>

namespace platform {

namespace {

// What a window manager or Qt's own Wayland decoration adds around a
// window's client area: a title bar and thin borders (logical pixels).
constexpr QSize kFrame(8, 40);

// The window, frame included, may take this share of the available area.
constexpr double kScreenShare = 2.0 / 3.0;

// Whether the user has set a scale for Qt in the environment, and which.
bool environmentScale(double *factor) {
    const QString global = qEnvironmentVariable("QT_SCALE_FACTOR").trimmed();
    const bool screens = !qEnvironmentVariable("QT_SCREEN_SCALE_FACTORS").trimmed().isEmpty();
    if (global.isEmpty() && !screens) return false;
    bool ok = false;
    const double f = global.toDouble(&ok);
    *factor = ok && f > 0 ? f : 1;
    return true;
}

// The scale a window is really drawn at, for a maintainer or a test that
// runs the built program: QT_LOGGING_RULES="pomurin.display.debug=true".
Q_LOGGING_CATEGORY(lcDisplay, "pomurin.display", QtWarningMsg)

// Names each top-level window as it is first shown, with its device pixel ratio.
class ShownWindowLog : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Expose)
            if (auto *window = qobject_cast<QWindow *>(watched); window && window->isTopLevel() && window->isExposed())
                if (!window->property("shownLogged").toBool()) {
                    window->setProperty("shownLogged", true);
                    qCDebug(lcDisplay, "window \"%s\" shown at device pixel ratio %g", qUtf8Printable(window->title()),
                            window->devicePixelRatio());
                }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

ScaleValue parseScale(const QString &text) {
    const QString t = text.trimmed();
    ScaleValue v;
    if (t.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
        v.valid = v.automatic = true;
        return v;
    }
    bool ok = false;
    const double f = t.toDouble(&ok);
    // toDouble takes "nan" and "inf" too; the comparisons refuse both.
    if (ok && f >= 1 && f <= 3) {
        v.valid = true;
        v.factor = f;
    }
    return v;
}

double autoScale(const QSizeF &available, const QSize &largestClient) {
    double chosen = kScaleSteps[0];
    for (double step : kScaleSteps) {
        const QSizeF window = QSizeF(largestClient + kFrame) * step;
        if (window.width() <= available.width() * kScreenShare && window.height() <= available.height() * kScreenShare)
            chosen = step;
    }
    return chosen;
}

DisplayScale chooseDisplayScale(const QString *option, const std::function<QSizeF()> &availableArea,
                                const QSize &largestClient, QStringList *warnings) {
    DisplayScale scale;
    if (environmentScale(&scale.factor)) {
        scale.origin = ScaleOrigin::Environment;
        if (option)
            *warnings << QStringLiteral(
                             "--scale %1 is not used: the scale set for Qt in the environment "
                             "(QT_SCALE_FACTOR or QT_SCREEN_SCALE_FACTORS) applies")
                             .arg(*option);
        return scale;
    }
    QString text, where, file;
    if (option) {
        text = *option;
        where = QStringLiteral("--scale");
    } else {
        text = setting(QStringLiteral("display"), QStringLiteral("scale"), &file);
        where = file + QStringLiteral(": [display] scale =");
    }
    if (option || !text.isEmpty()) {
        const ScaleValue value = parseScale(text);
        if (!value.valid) {
            *warnings << QStringLiteral("%1 \"%2\" is not auto or a number from 1 to 3; auto is used").arg(where, text);
        } else if (!value.automatic) {
            scale.factor = value.factor;
            scale.origin = option ? ScaleOrigin::Option : ScaleOrigin::Setting;
            scale.settingFile = file;
            return scale;
        }
    }
    scale.origin = ScaleOrigin::Auto;
    scale.factor = autoScale(availableArea(), largestClient);
    return scale;
}

QString dropUnusableEnvironmentScale() {
    const QByteArray value = qgetenv("QT_SCALE_FACTOR");
    if (value.trimmed().isEmpty()) return {};  // not set: nothing for Qt to use
    // Read as Qt reads it; the comparisons refuse nan too.
    bool ok = false;
    const double factor = value.toDouble(&ok);
    if (ok && factor >= 1 && factor <= 3) return {};
    qunsetenv("QT_SCALE_FACTOR");
    return QStringLiteral("QT_SCALE_FACTOR \"%1\" is not a number from 1 to 3; it is not used")
        .arg(visibleText(QString::fromLocal8Bit(value)));
}

void applyDisplayScale(const DisplayScale &scale) {
    if (scale.origin == ScaleOrigin::Environment) return;
    QHighDpiScaling::setGlobalFactor(scale.factor);
}

DisplayScale setDisplayScaleForScreen(const QString *option, const QSize &largestClient, QStringList *warnings) {
    const DisplayScale scale = chooseDisplayScale(
        option,
        [] {
            const QScreen *screen = QGuiApplication::primaryScreen();
            return screen ? QSizeF(screen->availableGeometry().size()) : QSizeF();
        },
        largestClient, warnings);
    applyDisplayScale(scale);
    if (lcDisplay().isDebugEnabled() && qApp) {
        qCDebug(lcDisplay, "display scale %g", scale.factor);
        qApp->installEventFilter(new ShownWindowLog(qApp));
    }
    return scale;
}

QString className(const QString &folder) {
    const QString name = setting(QStringLiteral("class"), QStringLiteral("name"));
    return name.isEmpty() ? QDir(folder).dirName() : name;
}

QStringList classTeachers() {
    static const QRegularExpression kBetween(QStringLiteral("[,、\\s]+"));
    return setting(QStringLiteral("class"), QStringLiteral("teachers")).split(kBetween, Qt::SkipEmptyParts);
}

std::optional<bool> parseSwitch(const QString &text) {
    const QString t = text.toLower();
    for (const char *on : {"true", "yes", "on", "1"})
        if (t == QLatin1String(on)) return true;
    for (const char *off : {"false", "no", "off", "0"})
        if (t == QLatin1String(off)) return false;
    return std::nullopt;
}

bool soundWanted(bool noSoundOption, QStringList *warnings) {
    if (noSoundOption) return false;
    QString file;
    const QString value = setting(QStringLiteral("sound"), QStringLiteral("enabled"), &file);
    if (value.isEmpty()) return true;
    if (const std::optional<bool> on = parseSwitch(value)) return *on;
    *warnings
        << QStringLiteral("%1: [sound] enabled = \"%2\" is not true or false; the sound stays on").arg(file, value);
    return true;
}

}  // namespace platform
