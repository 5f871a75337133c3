#include "screens/Screens.h"

#include "platform/Forms.h"
#include "screens/front/Form1.h"
#include "screens/front/Form2.h"
#include "screens/history/Form6.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/Form4.h"
#include "screens/tutor/Form5.h"

namespace screens {

void registerAll() {
    using platform::forms::registerForm;
    registerForm(QStringLiteral("Form1"), [] { return new Form1; });
    registerForm(QStringLiteral("Form2"), [] { return new Form2; });
    registerForm(QStringLiteral("Form3"), [] { return new Form3; });
    registerForm(QStringLiteral("Form4"), [] { return new Form4; });
    registerForm(QStringLiteral("Form5"), [] { return new Form5; });
    registerForm(QStringLiteral("Form6"), [] { return new Form6; });
    registerForm(QStringLiteral("Form7"), [] { return new Form7; });
}

}  // namespace screens
