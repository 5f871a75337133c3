#include "screens/common/QuitBox.h"

#include "platform/Form.h"
#include "platform/Services.h"
#include "state/SoundCues.h"

namespace screens {

bool askToQuit(platform::Form &form) {
    cues::chime(form.MMControl1(), cues::kQuit);
    return platform::dialogs().askYesNo(&form, QStringLiteral("終了していいですか？"), QStringLiteral("ぽむりん紀行20"));
}

}  // namespace screens
