// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start menu: asks for the user code, which names the progress file,
// then starts the course anew or continues a saved one, and hands over to
// the quiz screen of the current question.

#include "platform/Form.h"

#include <optional>

namespace screens {

class StartMenu : public platform::Form {
    Q_OBJECT
public:
    StartMenu();

    void newRunClicked();    // 初めからやる
    void continueClicked();  // 前の続きからやる

    QPushButton *newRunButton, *continueButton;

private:
    // Shows the input box until the code is empty or can name a file and
    // is not in use elsewhere.  Nothing when the empty code ("pm", also
    // what Cancel gives) is refused: the start menu stays.
    std::optional<QString> askCode(const QString &title);
    void handOver();
    void trapped();
    void beganAnew();  // a course begun anew from question 1
};

}  // namespace screens
