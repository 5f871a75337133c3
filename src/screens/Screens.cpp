#include "screens/Screens.h"

#include "platform/Forms.h"
#include "screens/front/Form1.h"

namespace screens {

void registerAll() {
    using platform::forms::registerForm;
    registerForm(QStringLiteral("Form1"), [] { return new Form1; });
}

}  // namespace screens
