#pragma once
// The start menu: asks for the user code, which names the progress file,
// then starts the course anew or continues a saved one, and hands over to
// the quiz screen of the current question.

#include "platform/Form.h"

namespace screens {

class Form2 : public platform::Form {
    Q_OBJECT
public:
    Form2();

    void Command1Click();  // 初めからやる
    void Command2Click();  // 前の続きからやる

    QPushButton *Command1, *Command2;

    // The quiz screen that shows question q.
    static QString quizScreenFor(int questionNo);

private:
    // Shows the input box until the code is empty or can name a file.
    QString askCode(const QString &title);
    void handOver();
    void trapped();
};

}  // namespace screens
