#include "screens/Screens.h"

#include "platform/Forms.h"
#include "screens/front/Form1.h"
#include "screens/front/Form2.h"

namespace screens {

void registerAll() {
    using platform::forms::registerForm;
    registerForm(QStringLiteral("Form1"), [] { return new Form1; });
    registerForm(QStringLiteral("Form2"), [] { return new Form2; });
}

}  // namespace screens
