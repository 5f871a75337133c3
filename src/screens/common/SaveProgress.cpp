#include "screens/common/SaveProgress.h"

#include "platform/Forms.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"

namespace screens {

bool saveProgressOrFail() {
    try {
        state::progress::save(state::module1());
        return true;
    } catch (const std::exception &e) {
        platform::forms::fail(
            QStringLiteral("進み具合を保存できませんでした。\n%1").arg(QString::fromUtf8(e.what())));
        return false;
    }
}

}  // namespace screens
