// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/QuitBox.h"

#include "platform/Form.h"
#include "platform/Services.h"
#include "state/SoundCues.h"

namespace screens {

bool askToQuit(platform::Form &form) {
    cues::chime(form.player(), cues::kQuit);
    return platform::dialogs().askYesNo(&form, QStringLiteral("終了していいですか？"),
                                        QStringLiteral("ぽむりん紀行20"));
}

}  // namespace screens
