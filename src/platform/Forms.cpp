// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Forms.h"

#include "platform/Form.h"
#include "platform/Services.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace platform::forms {

namespace {

struct Registry {
    QList<QPointer<Form>> open;
    QStringList log;
    bool ended = false;
    bool checkPending = false;
    int failureMessages = 0;  // failure messages showing now
};

Registry &registry() {
    static Registry r;
    return r;
}

void prune() {
    auto &open = registry().open;
    open.removeIf([](const QPointer<Form> &f) { return f.isNull() || f->isUnloaded(); });
}

void checkForEnd() {
    registry().checkPending = false;
    // A failure's message may stand alone after its window unloaded; the
    // program ends once it is dismissed (fail), never under it.
    if (registry().failureMessages > 0) return;
    prune();
    if (registry().open.isEmpty() && !registry().ended) {
        registry().ended = true;
        QCoreApplication::quit();
    }
}

}  // namespace

Form *show(const QString &name, const Factory &make) {
    Registry &r = registry();
    r.log << name;
    if (r.ended) return nullptr;
    Form *form = make();
    r.open << form;
    // Every screen opens centred, so the learner finds each one in the
    // same place.  A Wayland client cannot place its windows (the
    // compositor does), so there it is not tried.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        form->move(screen->availableGeometry().center() - form->rect().center());
    form->show();
    form->activateWindow();
    if (QWidget *focus = form->firstFocus()) focus->setFocus(Qt::OtherFocusReason);
    QPointer<Form> guard(form);
    form->activate();
    return guard.isNull() || guard->isUnloaded() ? nullptr : form;
}

const QStringList &showLog() { return registry().log; }

QList<Form *> open() {
    prune();
    QList<Form *> result;
    for (const auto &f : registry().open) result << f.data();
    return result;
}

Form *find(const QString &name) {
    for (Form *f : open())
        if (f->objectName() == name) return f;
    return nullptr;
}

void unloaded(Form *) {
    prune();
    if (!registry().checkPending) {
        registry().checkPending = true;
        QTimer::singleShot(0, [] { checkForEnd(); });
    }
}

void endProgram() {
    Registry &r = registry();
    r.ended = true;
    const auto forms = r.open;
    for (const auto &f : forms)
        if (f) f->unload();
    r.open.clear();
    QCoreApplication::quit();
}

bool programEnded() { return registry().ended; }

void resetForTests() {
    Registry &r = registry();
    for (const auto &f : r.open)
        if (f) delete f.data();
    r.open.clear();
    r.log.clear();
    r.ended = false;
}

void fail(const QString &what) {
    ++registry().failureMessages;
    dialogs().showError(nullptr, what, QStringLiteral("ぽむりん紀行20"));
    --registry().failureMessages;
    endProgram();
}

}  // namespace platform::forms
