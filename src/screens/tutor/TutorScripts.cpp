// SPDX-License-Identifier: GPL-3.0-or-later
// The tutor's example problems and explanation scripts as constant data,
// and the one routine that plays a list of print steps into a console.
//
// Each script is written exactly as the doctor prints it: texts with their
// leading blanks and ideographic spaces, colour changes, and the absolute
// y positions (twips) that pull a base line up under its exponent line.
// Those positions only come out right when every earlier step of the same
// box is printed in order, which is why the data is literal and nothing is
// computed.

#include "screens/tutor/TutorScripts.h"

#include <QColor>
#include <QString>

#include <span>

namespace tutor {
namespace {

// One print step on a box.
enum class Op : unsigned char {
    Text,      // print the text, then start a new line
    TextStay,  // print the text and stay on the line
    Blank,     // start a new line without text
    Red,       // text colour for the following steps
    Blue,
    Black,
    SetY,    // vertical print position, twips from the top
    Clear,   // erase the box, print position back to the top-left corner
    Column,  // print the text from print column n, then start a new line
    Graph,   // the graph of y = -2x^2: user scale, axes and points
};

// The curve y = -2x^2 sampled from start to end: x is accumulated by adding
// step, so the last point is the last sum not above end.
struct Plot {
    double start, end, step;
    QRgb color;
};

struct GraphPage {
    std::span<const Plot> plots;
};

struct Instr {
    Op op;
    int n = 0;                   // SetY: twips; Column: column number
    const char *text = nullptr;  // UTF-8
    const GraphPage *graph = nullptr;
};

constexpr Instr text(const char *t) { return {Op::Text, 0, t}; }
constexpr Instr stay(const char *t) { return {Op::TextStay, 0, t}; }
constexpr Instr setY(int twips) { return {Op::SetY, twips}; }
constexpr Instr column(int n, const char *t) { return {Op::Column, n, t}; }
constexpr Instr graph(const GraphPage &g) { return {Op::Graph, 0, nullptr, &g}; }
constexpr Instr kBlank{Op::Blank};
constexpr Instr kRed{Op::Red};
constexpr Instr kBlue{Op::Blue};
constexpr Instr kBlack{Op::Black};
constexpr Instr kClear{Op::Clear};

constexpr QRgb kRedRgb = qRgb(255, 0, 0);
constexpr QRgb kBlueRgb = qRgb(0, 0, 255);
constexpr QRgb kBlackRgb = qRgb(0, 0, 0);

enum class Box { Explanation, Working };  // the left and the right box

// One click of "次へ": print steps on one box.
struct Step {
    Box box;
    std::span<const Instr> instrs;
};

struct Script {
    std::span<const Instr> example;  // between " 【例題】" and the prompt
    bool prompt;
    std::span<const Step> steps;  // clickCount - 1 of them
};

// Question 29 draws its range -2..3 densely in red; question 30 shows the
// whole parabola -3..3 as sparse black dots and its range 1..3 in red.
constexpr Plot kPlots29[] = {{-2.0, 3.0, 0.01, kRedRgb}};
constexpr Plot kPlots30[] = {{-3.0, 3.0, 0.1, kBlackRgb}, {1.0, 3.0, 0.001, kRedRgb}};
constexpr GraphPage kGraph29{kPlots29};
constexpr GraphPage kGraph30{kPlots30};

// The scripts are laid out as the doctor prints them, not as a formatter would.
// clang-format off
// Question 1
constexpr Instr kExample1[] = {
    text("　   ９の平方根を求めよ。"),
};
constexpr Instr kQ1Step1[] = {
    kBlank, kBlue, text(" 【平方根】"),
    kRed, text(" 　　２乗してａになる数を"),
    text(" 　ａの平方根と言う。"),
    kBlack,
};
constexpr Instr kQ1Step2[] = {
    kBlank, text(" 　　この例題では、２乗して"),
    text(" 　９になる数なので、"),
};
constexpr Instr kQ1Step3[] = {
    kBlank, text(" 　　３ と －３ である。"),
};
constexpr Instr kQ1Step4[] = {
    kBlank, text(" 　　よって、±３"),
};
constexpr Step kQ1Steps[] = {
    {Box::Explanation, kQ1Step1},
    {Box::Explanation, kQ1Step2},
    {Box::Explanation, kQ1Step3},
    {Box::Working, kQ1Step4},
};

// Question 2
constexpr Instr kExample2[] = {
    text("　   √９ を簡単にせよ。"),
};
constexpr Instr kQ2Step1[] = {
    kBlank, kBlue, text(" 【ルート】"),
    kRed, text(" 　　√ａ とは、ａの平方根のうち、"),
    text(" 　０より大きい数のことである。"),
    kBlack,
};
constexpr Instr kQ2Step2[] = {
    kBlank, text(" 　　この例題では、９の平方根"),
    text(" 　のうち、０より大きい数である。"),
};
constexpr Instr kQ2Step3[] = {
    kBlank, text(" 　　９の平方根の３ と －３ のうち、"),
    text(" 　０より大きい数は、３である。"),
};
constexpr Instr kQ2Step4[] = {
    kBlank, text(" 　　よって、３"),
};
constexpr Step kQ2Steps[] = {
    {Box::Explanation, kQ2Step1},
    {Box::Explanation, kQ2Step2},
    {Box::Explanation, kQ2Step3},
    {Box::Working, kQ2Step4},
};

// Question 3
constexpr Instr kExample3[] = {
    text("　 　√１．５ ＝ １．２２５ のとき、"),
    text("　   　√１５０ を求めよ。"),
};
constexpr Instr kQ3Step1[] = {
    kBlank, kRed, text("　　　　　 2"),
    setY(1420), text(" 　√(ｂａ  ) ＝ ａ√ｂ である。"),
    kBlack, kBlank, text(" 　　√１５０"),
    kBlank, text(" 　＝ √(１．５ × １００)"),
};
constexpr Instr kQ3Step2[] = {
    kBlank, text("　　　　　                2"),
    setY(2870), text(" 　＝ √(１．５ × １０  )"),
};
constexpr Instr kQ3Step3[] = {
    kBlank, text(" 　＝ １０ × √１．５"),
};
constexpr Instr kQ3Step4[] = {
    kBlank, text(" 　＝ １０ × １．２２５"),
};
constexpr Instr kQ3Step5[] = {
    kBlank, text(" 　＝ １２．２５"),
};
constexpr Step kQ3Steps[] = {
    {Box::Explanation, kQ3Step1},
    {Box::Explanation, kQ3Step2},
    {Box::Working, kQ3Step3},
    {Box::Working, kQ3Step4},
    {Box::Working, kQ3Step5},
};

// Question 4
constexpr Instr kExample4[] = {
    text("　 　√１．５ ＝ １．２２５ のとき、"),
    text("　 　　√０．０１５ を求めよ。"),
};
constexpr Instr kQ4Step1[] = {
    kBlank, kRed, text("　　　　　 2"),
    setY(1420), text(" 　√(ｂａ  ) ＝ ａ√ｂ である。"),
    kBlack, kBlank, text(" 　　√０．０１５"),
    kBlank, text(" 　＝ √(１．５ × ０．０１)"),
};
constexpr Instr kQ4Step2[] = {
    kBlank, text("　　　　　                     2"),
    setY(2870), text(" 　＝ √{ １．５ × (０．１)   }"),
};
constexpr Instr kQ4Step3[] = {
    kBlank, text(" 　＝ ０．１ × √１．５"),
};
constexpr Instr kQ4Step4[] = {
    kBlank, text(" 　＝ ０．１ × １．２２５"),
};
constexpr Instr kQ4Step5[] = {
    kBlank, text(" 　＝ ０．１２２５"),
};
constexpr Step kQ4Steps[] = {
    {Box::Explanation, kQ4Step1},
    {Box::Explanation, kQ4Step2},
    {Box::Working, kQ4Step3},
    {Box::Working, kQ4Step4},
    {Box::Working, kQ4Step5},
};

// Question 5
constexpr Instr kExample5[] = {
    text("　 　次の√の中の数をできるだけ"),
    text("　 簡単にせよ。　√４５"),
};
constexpr Instr kQ5Step1[] = {
    kBlank, kRed, text("　　　　　 2"),
    setY(1420), text(" 　√(ｂａ  ) ＝ ａ√ｂ である。"),
    kBlack, kBlank, text(" 　　√４５"),
    kBlank, text(" 　＝ √( ５ × ９ )"),
};
constexpr Instr kQ5Step2[] = {
    kBlank, text("　　　　　           2"),
    setY(2870), text(" 　＝ √( ５ × ３   )"),
};
constexpr Instr kQ5Step3[] = {
    kBlank, text(" 　＝ ３ × √５"),
};
constexpr Instr kQ5Step4[] = {
    kBlank, text(" 　＝ ３√５"),
};
constexpr Step kQ5Steps[] = {
    {Box::Explanation, kQ5Step1},
    {Box::Explanation, kQ5Step2},
    {Box::Working, kQ5Step3},
    {Box::Working, kQ5Step4},
};

// Question 6
constexpr Instr kExample6[] = {
    text("　 　次の√の中の数をできるだけ"),
    text("　　簡単にせよ。　√(４５／６０)"),
};
constexpr Instr kQ6Step1[] = {
    kBlank, kBlue, text(" 【ルートのかけ算・割り算】"),
    kRed, text("　① √ａ × √ｂ ＝ √(ａ×ｂ)"),
    text("　② √ａ ／ √ｂ ＝ √(ａ／ｂ)"),
    kBlack, text(" が成り立つ。"),
};
constexpr Instr kQ6Step2[] = {
    kBlank, kRed, text(" 　４５／６０ ＝ ３／４"),
    kBlack, text(" 　なので、"),
};
constexpr Instr kQ6Step3[] = {
    kBlank, text(" 　　√(４５／６０)"),
};
constexpr Instr kQ6Step4[] = {
    kBlank, text(" 　＝ √(３／４)"),
};
constexpr Instr kQ6Step5[] = {
    kBlank, text(" 　＝ √３ ／ √４"),
};
constexpr Instr kQ6Step6[] = {
    kBlank, text(" 　＝ √３ ／ ２"),
};
constexpr Step kQ6Steps[] = {
    {Box::Explanation, kQ6Step1},
    {Box::Explanation, kQ6Step2},
    {Box::Working, kQ6Step3},
    {Box::Working, kQ6Step4},
    {Box::Working, kQ6Step5},
    {Box::Working, kQ6Step6},
};

// Question 7
constexpr Instr kExample7[] = {
    text("　　 次の式を簡単にせよ。"),
    text("　     √２ ÷ √５ × (－√１０)"),
};
constexpr Instr kQ7Step1[] = {
    kBlank, kBlue, text("　【ルートのかけ算・割り算】"),
    kRed, text("　　① √ａ × √ｂ ＝ √(ａ×ｂ)"),
    text("　　② √ａ ／ √ｂ ＝ √(ａ／ｂ)"),
    kBlack, text("　　が成り立つ。"),
    kRed, kBlank, text("　　　　　　　　　　　　　ａ"),
    text(" 　※ ａ／ｂ は 分数 ― のこと。"),
    text("　　　　　　　　　　　　　ｂ"),
    kBlack,
};
constexpr Instr kQ7Step2[] = {
    kBlank, text("　　まず、割り算をかけ算にすると、"),
    text("　　√２ ÷ √５ × (－√１０)"),
    text(" ＝ √２ × １／√５ × (－√１０)"),
};
constexpr Instr kQ7Step3[] = {
    kBlank, text(" ＝ {√２ × (－√１０)} ／ √５"),
};
constexpr Instr kQ7Step4[] = {
    kBlank, text(" ＝ －√(２×１０) ／ √５"),
};
constexpr Instr kQ7Step5[] = {
    kBlank, text(" ＝ －√２０ ／ √５"),
};
constexpr Instr kQ7Step6[] = {
    kBlank, text(" ＝ －√(２０／５)"),
};
constexpr Instr kQ7Step7[] = {
    kBlank, text(" ＝ －√４ ＝ －２"),
};
constexpr Step kQ7Steps[] = {
    {Box::Explanation, kQ7Step1},
    {Box::Working, kQ7Step2},
    {Box::Working, kQ7Step3},
    {Box::Working, kQ7Step4},
    {Box::Working, kQ7Step5},
    {Box::Working, kQ7Step6},
    {Box::Working, kQ7Step7},
};

// Question 8
constexpr Instr kExample8[] = {
    text("　　 次の式を簡単にせよ。"),
    text("　 　　√６０ ÷ ５√３ ÷ √５"),
};
constexpr Instr kQ8Step1[] = {
    kBlank, kBlue, text("　【ルートのかけ算・割り算】"),
    kRed, text("　　① √ａ × √ｂ ＝ √(ａ×ｂ)"),
    text("　　② √ａ ／ √ｂ ＝ √(ａ／ｂ)"),
    kBlack, text("　が成り立つ。"),
};
constexpr Instr kQ8Step2[] = {
    kBlank, text("　　まず、割り算をかけ算にすると、"),
    text("　　√６０ ÷ ５√３ ÷ √５"),
    text(" ＝ √60 × 1／(5√3) × 1／√5"),
};
constexpr Instr kQ8Step3[] = {
    kBlank, text(" ＝ √６０ ／ { (５√３) × √５ }"),
};
constexpr Instr kQ8Step4[] = {
    kBlank, text(" ＝ √６０ ／ { ５√(３×５) }"),
};
constexpr Instr kQ8Step5[] = {
    kBlank, text(" ＝ √６０ ／ (５√１５)"),
};
constexpr Instr kQ8Step6[] = {
    kBlank, text(" ＝ √(６０／１５) × (１／５)"),
};
constexpr Instr kQ8Step7[] = {
    kBlank, text(" ＝ √４× (１／５)"),
};
constexpr Instr kQ8Step8[] = {
    kBlank, text(" ＝ ２／５"),
};
constexpr Step kQ8Steps[] = {
    {Box::Explanation, kQ8Step1},
    {Box::Explanation, kQ8Step2},
    {Box::Working, kQ8Step3},
    {Box::Working, kQ8Step4},
    {Box::Working, kQ8Step5},
    {Box::Working, kQ8Step6},
    {Box::Working, kQ8Step7},
    {Box::Working, kQ8Step8},
};

// Question 9
constexpr Instr kExample9[] = {
    text("　　 分母に√がない形にせよ。"),
    text("　 　　７ ／ ５√６"),
};
constexpr Instr kQ9Step1[] = {
    kBlank, kBlue, text("　　分母の√の数と同じ数を"),
    text("　分母と分子にかける。"),
    kRed,
};
constexpr Instr kQ9Step2[] = {
    kBlank, text("　　この問題では、√６ を"),
    text("　分母と分子にかける。"),
    kBlack,
};
constexpr Instr kQ9Step3[] = {
    kBlank, text(" 　 ７ ／ ５√６"),
};
constexpr Instr kQ9Step4[] = {
    kBlank, stay(" ＝ ７×"),
    kRed, stay("√６"),
    kBlack, stay(" ／ (５√６)×"),
    kRed, text("√６"),
    kBlack,
};
constexpr Instr kQ9Step5[] = {
    kBlank, text("　　　　　                   2"),
    setY(1270), text(" ＝ ７√６ ／ ５×(√６)  "),
};
constexpr Instr kQ9Step6[] = {
    kBlank, text(" ＝ ７√６ ／ ５×６"),
};
constexpr Instr kQ9Step7[] = {
    kBlank, text(" ＝ ７√６ ／ ３０"),
};
constexpr Step kQ9Steps[] = {
    {Box::Explanation, kQ9Step1},
    {Box::Explanation, kQ9Step2},
    {Box::Working, kQ9Step3},
    {Box::Working, kQ9Step4},
    {Box::Working, kQ9Step5},
    {Box::Working, kQ9Step6},
    {Box::Working, kQ9Step7},
};

// Question 10
constexpr Instr kExample10[] = {
    text("　　 分母に√がない形にせよ。"),
    text("　 　　√(２／５４)"),
};
constexpr Instr kQ10Step1[] = {
    kBlank, kRed, text("　　２／５４ ＝ １／２７ より、"),
    kBlack, text("　　 √(２／５４) "),
    text("　＝ √(１／２７)"),
    text("　＝ √１ ／ √２７"),
    text("　＝ １ ／ ３√３"),
    kRed,
};
constexpr Instr kQ10Step2[] = {
    kBlank, text("　　この問題では、√３ を"),
    text("　分母と分子にかける。"),
    kBlack,
};
constexpr Instr kQ10Step3[] = {
    kBlank, text(" 　 √(２／５４)"),
};
constexpr Instr kQ10Step4[] = {
    kBlank, text(" ＝ １ ／ ３√３"),
};
constexpr Instr kQ10Step5[] = {
    kBlank, stay(" ＝ １×"),
    kRed, stay("√３"),
    kBlack, stay(" ／ (３√３)×"),
    kRed, text("√３"),
    kBlack,
};
constexpr Instr kQ10Step6[] = {
    kBlank, text("　　　　　                      2"),
    setY(1730), text(" ＝ １×√３ ／ ３×(√３)  "),
};
constexpr Instr kQ10Step7[] = {
    kBlank, text(" ＝ √３ ／ ３×３"),
};
constexpr Instr kQ10Step8[] = {
    kBlank, text(" ＝ √３ ／ ９"),
};
constexpr Step kQ10Steps[] = {
    {Box::Explanation, kQ10Step1},
    {Box::Explanation, kQ10Step2},
    {Box::Working, kQ10Step3},
    {Box::Working, kQ10Step4},
    {Box::Working, kQ10Step5},
    {Box::Working, kQ10Step6},
    {Box::Working, kQ10Step7},
    {Box::Working, kQ10Step8},
};

// Question 11
constexpr Instr kExample11[] = {
    text("　　 次の式を簡単にせよ。"),
    text("　 　　√４５ － √２０ ＋ √５"),
};
constexpr Instr kQ11Step1[] = {
    kBlank, kBlue, text("　　√４５ ＝ ３√５"),
    text("　　√２０ ＝ ２√５"),
    kBlack, text("　　　である。"),
};
constexpr Instr kQ11Step2[] = {
    kBlank, text("　　√４５ － √２０ ＋ √５"),
    kBlank, stay(" ＝ ３"),
    kRed, stay("√５"),
    kBlack, stay(" － ２"),
    kRed, stay("√５"),
    kBlack, stay(" ＋ "),
    kRed, stay("√５"),
    kBlack,
};
constexpr Instr kQ11Step3[] = {
    kBlank, kRed, stay(" 　　√５"),
    kBlue, text(" をカッコの外に出すと、"),
    kBlack, stay(" ＝ ( ３ － ２ ＋ １ )"),
    kRed, text("√５"),
    kBlack,
};
constexpr Instr kQ11Step4[] = {
    kBlank, stay(" ＝ ２"),
    kRed, text("√５"),
    kBlack,
};
constexpr Step kQ11Steps[] = {
    {Box::Explanation, kQ11Step1},
    {Box::Explanation, kQ11Step2},
    {Box::Working, kQ11Step3},
    {Box::Working, kQ11Step4},
};

// Question 12
constexpr Instr kExample12[] = {
    text("　　 次の計算をせよ。"),
    text("　　　　　             2"),
    setY(800), text("　 　　(２ ＋ ３√２)  "),
};
constexpr Instr kQ12Step1[] = {
    kBlank, kRed, text(" 【展開】"),
    text("　　　(ａ＋ｂ)(ｃ＋ｄ)"),
    text(" 　＝ ａｃ＋ａｄ＋ｂｃ＋ｂｄ"),
    kBlack, text(" 　　である。"),
};
constexpr Instr kQ12Step2[] = {
    kBlank, text("　　　　　          2"),
    setY(2720), text("　　(２ ＋ ３√２)  "),
    text(" ＝ (２＋３√２)(２＋３√２)"),
};
constexpr Instr kQ12Step3[] = {
    kBlank, text(" ＝ ２×２ ＋ ２×３√２"),
    text("　　　　　                           2"),
    setY(600), text("　　　　　 ３√２×２ ＋ (３√２)  "),
    kBlack,
};
constexpr Instr kQ12Step4[] = {
    kBlank, text(" ＝ ４ ＋ ６√２ ＋ ６√２ ＋ １８"),
    kBlack,
};
constexpr Instr kQ12Step5[] = {
    kBlank, text(" ＝ ２２ ＋ １２√２"),
    kBlack,
};
constexpr Step kQ12Steps[] = {
    {Box::Explanation, kQ12Step1},
    {Box::Explanation, kQ12Step2},
    {Box::Working, kQ12Step3},
    {Box::Working, kQ12Step4},
    {Box::Working, kQ12Step5},
};

// Question 13
constexpr Instr kExample13[] = {
    text("　　 次の計算をせよ。"),
    text("　 　　３√２ － ４／√２"),
};
constexpr Instr kQ13Step1[] = {
    kBlank, kRed, text(" 　４／√２ を分母に√がない形"),
    text(" にする。"),
    kBlack,
};
constexpr Instr kQ13Step2[] = {
    kBlank, text(" 　 ４ ／ √２"),
    kBlank, text("　　　　　                 2"),
    setY(2610), text(" ＝ ４×√２ ／ (√２)  "),
    kBlank, text(" ＝ ４√２ ／ ２"),
};
constexpr Instr kQ13Step3[] = {
    kBlank, kRed, text(" ４√２ ／ ２ を約分して、"),
    kBlack, text(" ＝ ２√２"),
};
constexpr Instr kQ13Step4[] = {
    kBlank, text(" よって、"),
    kBlank, text("　　３√２ － ４／√２"),
};
constexpr Instr kQ13Step5[] = {
    kBlank, text(" ＝ ３√２ － ２√２"),
};
constexpr Instr kQ13Step6[] = {
    kBlank, text(" ＝ √２"),
};
constexpr Step kQ13Steps[] = {
    {Box::Explanation, kQ13Step1},
    {Box::Explanation, kQ13Step2},
    {Box::Working, kQ13Step3},
    {Box::Working, kQ13Step4},
    {Box::Working, kQ13Step5},
    {Box::Working, kQ13Step6},
};

// Question 14
constexpr Instr kExample14[] = {
    text("　　 次の計算をせよ。"),
    text("　 　　√24 － 2√6 ＋ √3 × √2"),
};
constexpr Instr kQ14Step1[] = {
    kBlank, kRed, text(" 　計算順序はかけ算が最初！"),
    kBlack, text(" 　　√３ × √２ ＝ √６"),
};
constexpr Instr kQ14Step2[] = {
    kBlank, kRed, text(" 　　√２４ ＝ ２√６"),
    kBlack,
};
constexpr Instr kQ14Step3[] = {
    kBlank, text(" よって、"),
    text(" 　√24 － 2√6 ＋ √3 × √2"),
    kBlank, text(" ＝ ２√６ － ２√６ ＋ √６"),
};
constexpr Instr kQ14Step4[] = {
    kBlank, text(" ＝ (２ － ２ ＋ １)√６"),
};
constexpr Instr kQ14Step5[] = {
    kBlank, text(" ＝ √６"),
};
constexpr Step kQ14Steps[] = {
    {Box::Explanation, kQ14Step1},
    {Box::Explanation, kQ14Step2},
    {Box::Working, kQ14Step3},
    {Box::Working, kQ14Step4},
    {Box::Working, kQ14Step5},
};

// Question 15
constexpr Instr kExample15[] = {
    text("　　 次の計算をせよ。"),
    text("　 　　(√28 ＋ 7／√7) ÷ √７"),
};
constexpr Instr kQ15Step1[] = {
    kBlank, kBlue, text(" 【分配法則】"),
    kBlack, text("     (ｂ＋ｃ)ａ＝ｂａ＋ｃａ"),
    text("　 　　である。"),
};
constexpr Instr kQ15Step2[] = {
    kBlank, text(" 　 (√28 ＋ 7／√7) ÷ √7"),
    kBlank, text(" ＝(√28 ＋ 7／√7)×(1／√7)"),
};
constexpr Instr kQ15Step3[] = {
    kBlank, text(" ＝√28×(1／√7)"),
    text(" 　　　　　　＋(7／√7)×(1／√7)"),
};
constexpr Instr kQ15Step4[] = {
    kBlank, text("　　　　　                          2"),
    setY(1010), text(" ＝ √(２８／７) ＋ ７／(√７)  "),
};
constexpr Instr kQ15Step5[] = {
    kBlank, text(" ＝ √４ ＋ ７／７"),
};
constexpr Instr kQ15Step6[] = {
    kBlank, text(" ＝ ２　＋　１"),
};
constexpr Instr kQ15Step7[] = {
    kBlank, text(" ＝ ３"),
};
constexpr Step kQ15Steps[] = {
    {Box::Explanation, kQ15Step1},
    {Box::Explanation, kQ15Step2},
    {Box::Working, kQ15Step3},
    {Box::Working, kQ15Step4},
    {Box::Working, kQ15Step5},
    {Box::Working, kQ15Step6},
    {Box::Working, kQ15Step7},
};

// Question 16
constexpr Instr kExample16[] = {
    text("　   次の計算をせよ。"),
    text("　 　　√３(３＋√６)－√２(２－√６)"),
};
constexpr Instr kQ16Step1[] = {
    kBlank, kBlue, text(" 【分配法則】"),
    kBlack, text("     ａ(ｂ＋ｃ)＝ａｂ＋ａｃ"),
    text("　 　　である。"),
};
constexpr Instr kQ16Step2[] = {
    kBlank, kRed, text("　  √３(３＋√６)"),
    kBlack, text(" ＝ √３×３＋√３×√６"),
    text(" ＝ ３√３　＋√１８"),
    text(" ＝ ３√３　＋３√２"),
};
constexpr Instr kQ16Step3[] = {
    kBlank, kRed, text("　  √２(２－√６)"),
    kBlack, text(" ＝ √２×２－√２×√６"),
    text(" ＝ ２√２　－√１２"),
    text(" ＝ ２√２　－２√３"),
};
constexpr Instr kQ16Step4[] = {
    kBlank, text("　  √３(３＋√６)－√２(２－√６)"),
    text(" ＝ (3√3＋3√2)－(2√2－2√3)"),
};
constexpr Instr kQ16Step5[] = {
    kBlank, text(" ＝ 3√3＋3√2－2√2＋2√3"),
    text(" ＝ 3√2－2√2＋3√3＋2√3"),
};
constexpr Instr kQ16Step6[] = {
    kBlank, text(" ＝ √２＋５√３"),
};
constexpr Step kQ16Steps[] = {
    {Box::Explanation, kQ16Step1},
    {Box::Explanation, kQ16Step2},
    {Box::Working, kQ16Step3},
    {Box::Working, kQ16Step4},
    {Box::Working, kQ16Step5},
    {Box::Working, kQ16Step6},
};

// Question 17
constexpr Instr kExample17[] = {
    text("　　 次の式を因数分解せよ。"),
    text("　　　　　   2             2"),
    setY(800), text("　      ２ ｘ   ｙ－６ ｘ ｙ  "),
};
constexpr Instr kQ17Step1[] = {
    kBlank, kBlue, stay(" 【共通因数 "),
    kRed, stay("２ｘｙ"),
    kBlue, text("】"),
    kBlack, text("　　　　　2"),
    setY(1790), stay("     ２ ｘ   ｙ＝"),
    kRed, stay("２ｘｙ"),
    kBlack, text("・ｘ"),
    text("　　　　　  2"),
    setY(2100), stay("     ６ ｘ ｙ  ＝"),
    kRed, stay("２ｘｙ"),
    kBlack, text("・３ｙ"),
};
constexpr Instr kQ17Step2[] = {
    kBlank, kBlue, stay(" 　　共通因数"),
    kRed, stay("２ｘｙ"),
    kBlue, text("をカッコの外に"),
    text(" 　出す。"),
    kBlack,
};
constexpr Instr kQ17Step3[] = {
    kBlank, text("　　　　 2             2"),
    setY(1010), text(" 　 ２ ｘ   ｙ－６ ｘ ｙ  "),
    kBlank, stay(" ＝ "),
    kRed, stay("２ｘｙ"),
    kBlack, stay("・ｘ－"),
    kRed, stay("２ｘｙ"),
    kBlack, text("・３ｙ"),
};
constexpr Instr kQ17Step4[] = {
    kBlank, stay(" ＝ "),
    kRed, stay("２ｘｙ"),
    kBlack, stay("(ｘ－３ｙ)"),
    kBlack,
};
constexpr Step kQ17Steps[] = {
    {Box::Explanation, kQ17Step1},
    {Box::Working, kQ17Step2},
    {Box::Working, kQ17Step3},
    {Box::Working, kQ17Step4},
};

// Question 18
constexpr Instr kExample18[] = {
    text("　　 次の式を因数分解せよ。"),
    text("　　　　 2"),
    setY(800), text("　 　　ｘ   ＋ ２ｘ － １５"),
};
constexpr Instr kQ18Step1[] = {
    kBlank, kBlue, text(" 【因数分解】"),
    kRed, text("　　　　　 2"),
    setY(1580), text("     　　ｘ  ＋(ａ＋ｂ)ｘ＋ａｂ"),
    text("　　　＝ (ｘ＋ａ)(ｘ＋ｂ)"),
    kBlack, text("　　　　　　　　　　　　　　を利用する。"),
};
constexpr Instr kQ18Step2[] = {
    text("　この例題では、"),
    kRed, text("　　ａ＋ｂ＝２ ･･･ ①"),
    text("　　ａｂ＝－１５･･･ ②"),
    kBlack, text("　 であるａ、ｂを探す。"),
};
constexpr Instr kQ18Step3[] = {
    kBlank, kRed, text(" 　ａ＝５、ｂ＝－３ は、"),
    text(" 　①、②を満たすので、"),
    kBlack,
};
constexpr Instr kQ18Step4[] = {
    kBlank, kRed, text(" 　ａ＝５、ｂ＝－３ をを代入して、"),
    kBlack, text("　　　　2"),
    setY(1200), text(" 　　 ｘ  ＋２ｘ－１５"),
    text(" 　＝ (ｘ＋５)(ｘ＋(－３))"),
};
constexpr Instr kQ18Step5[] = {
    kBlank, text(" 　よって、"),
    text(" 　　 (ｘ＋５)(ｘ－３)"),
};
constexpr Step kQ18Steps[] = {
    {Box::Explanation, kQ18Step1},
    {Box::Explanation, kQ18Step2},
    {Box::Working, kQ18Step3},
    {Box::Working, kQ18Step4},
    {Box::Working, kQ18Step5},
};

// Question 19
constexpr Instr kExample19[] = {
    text("　　 次の式を因数分解せよ。"),
    text("　　　　   2                 2"),
    setY(750), text("　 　　４ｘ  －１２ｘｙ＋９ｙ  "),
};
constexpr Instr kQ19Step1[] = {
    kBlank, kBlue, text(" 【因数分解】"),
    kRed, text("　　　　　 2               2"),
    setY(1790), text("     　　Ａ  －２ＡＢ＋Ｂ  "),
    text("　　　　　          2"),
    setY(2100), stay("　　　＝ (Ａ－Ｂ)  "),
    kBlack, text("　　を利用する。"),
};
constexpr Instr kQ19Step2[] = {
    text("　　　　2                 2"),
    setY(2410), text("　　４ｘ  －１２ｘｙ＋９ｙ  "),
    kRed, text("　　　　   2                         2"),
    setY(2720), text(" ＝ (２ｘ)  －２(２ｘ)(３ｙ)＋(３ｙ)  "),
    kBlack, text("　   なので、"),
};
constexpr Instr kQ19Step3[] = {
    kBlank, kRed, text(" 　　Ａ＝２ｘ、Ｂ＝３ｙ を代入して、"),
    kBlack,
};
constexpr Instr kQ19Step4[] = {
    kBlank, text("　　　　  2                 2"),
    setY(750), text("　　  ４ｘ  －１２ｘｙ＋９ｙ  "),
    text("　　　　     2                         2"),
    setY(1060), text("   ＝ (２ｘ)  －２(２ｘ)(３ｙ)＋(３ｙ)  "),
    text("　　　　           2"),
    setY(1370), text(" 　＝ (２ｘ－３ｙ)  "),
};
constexpr Step kQ19Steps[] = {
    {Box::Explanation, kQ19Step1},
    {Box::Explanation, kQ19Step2},
    {Box::Working, kQ19Step3},
    {Box::Working, kQ19Step4},
};

// Question 20
constexpr Instr kExample20[] = {
    text("　　 次の式を因数分解せよ。"),
    text("　　　　   2       2"),
    setY(800), text("　     ９ｘ  －４ｙ  "),
};
constexpr Instr kQ20Step1[] = {
    kBlank, kBlue, text(" 【因数分解】"),
    kRed, text("　　　　　 2      2"),
    setY(1790), text("     　　Ａ  －Ｂ  "),
    text("　　　＝ (Ａ＋Ｂ)(Ａ－Ｂ)"),
    kBlack, text("　　　　　　　　　　　　を利用する。"),
};
constexpr Instr kQ20Step2[] = {
    text("　　　　2       2"),
    setY(2540), text("　　９ｘ  －４ｙ  "),
    kRed, text("　　　　   2         2"),
    setY(2850), stay(" ＝ (３ｘ)  －(２ｙ)  "),
    kBlack, text("　   なので、"),
};
constexpr Instr kQ20Step3[] = {
    kBlank, kRed, text(" 　　Ａ＝３ｘ、Ｂ＝２ｙ を代入して、"),
    kBlack,
};
constexpr Instr kQ20Step4[] = {
    kBlank, text("　　　　  2       2"),
    setY(750), text("　　  ９ｘ  －４ｙ  "),
    text("　　　　     2         2"),
    setY(1060), text("   ＝ (３ｘ)  －(２ｙ)  "),
    text(" 　＝ (３ｘ＋２ｙ)(３ｘ－２ｙ)"),
};
constexpr Step kQ20Steps[] = {
    {Box::Explanation, kQ20Step1},
    {Box::Explanation, kQ20Step2},
    {Box::Working, kQ20Step3},
    {Box::Working, kQ20Step4},
};

// Question 21
constexpr Instr kExample21[] = {
    text("　　 次の式を因数分解せよ。"),
    text("　　　　    2"),
    setY(750), text("　 　　３ｙｘ  ＋３ｙｘ－６ｙ"),
};
constexpr Instr kQ21Step1[] = {
    kBlank, kBlue, text(" 【共通因数】"),
    kBlack, stay("     まず、共通因数"),
    kRed, stay("３ｙ"),
    kBlack, text("をカッコの"),
    text("　　外にくくり出す。"),
};
constexpr Instr kQ21Step2[] = {
    kBlank, text("　　　　 2"),
    setY(2410), text("　　３ｙｘ  ＋３ｙｘ－６ｙ"),
    text("　　　　  2"),
    setY(2720), stay(" ＝ "),
    kRed, stay("３ｙ"),
    kBlack, stay("ｘ  ＋"),
    kRed, stay("３ｙ"),
    kBlack, stay("ｘ－"),
    kRed, stay("３ｙ"),
    kBlack, text("・２"),
};
constexpr Instr kQ21Step3[] = {
    kBlank, text("　         2"),
    setY(310), stay(" ＝ "),
    kRed, stay("３ｙ"),
    kBlack, text("(ｘ  ＋ｘ－２)"),
};
constexpr Instr kQ21Step4[] = {
    kBlank, kRed, text("　  2"),
    setY(820), text("　ｘ  ＋ｘ－２ を因数分解して、"),
    kBlack, text(" ＝ ３ｙ(ｘ－１)(ｘ＋２)"),
};
constexpr Step kQ21Steps[] = {
    {Box::Explanation, kQ21Step1},
    {Box::Explanation, kQ21Step2},
    {Box::Working, kQ21Step3},
    {Box::Working, kQ21Step4},
};

// Question 22
constexpr Instr kExample22[] = {
    text("　 　次の２次方程式を解け。"),
    text("　　　　   2"),
    setY(750), text("　 　　３ｘ   ＝ ３６"),
};
constexpr Instr kQ22Step1[] = {
    kBlank, kRed, text("　　まず、両辺を３で割る。"),
    kBlack, kBlank, text("　　　　2"),
    setY(1940), text("　　３ｘ   ＝ ３６"),
    kBlank, text("　　　　2"),
    setY(2450), text("　　　ｘ   ＝ １２"),
};
constexpr Instr kQ22Step2[] = {
    kBlank, text("　　　ｘ ＝ ±√１２"),
};
constexpr Instr kQ22Step3[] = {
    kBlank, text("　　よって、"),
    kRed, text("　　√の中を簡単にして"),
    kBlack, kBlank, text("　　ｘ ＝ ±２√３"),
};
constexpr Step kQ22Steps[] = {
    {Box::Explanation, kQ22Step1},
    {Box::Explanation, kQ22Step2},
    {Box::Working, kQ22Step3},
};

// Question 23
constexpr Instr kExample23[] = {
    text("　 　次の２次方程式を解け。"),
    text("　　　　          2"),
    setY(750), text("　 　　５(ｘ－１)   ＝ ４５"),
};
constexpr Instr kQ23Step1[] = {
    kBlank, kRed, text("　　まず、両辺を５で割る。"),
    kBlack, kBlank, text("　　　　       2"),
    setY(1960), text("　　５(ｘ－１)   ＝ ４５"),
    kBlank, text("　　　　       2"),
    setY(2500), text("　　　(ｘ－１)   ＝ ９"),
};
constexpr Instr kQ23Step2[] = {
    kBlank, kRed, text("　　ｘ－１ を Ａ とおくと"),
    kBlack, text("　　　　2"),
    setY(550), text("　　　Ａ   ＝ ９"),
};
constexpr Instr kQ23Step3[] = {
    kBlank, text("　　　Ａ ＝ ３ 、 －３"),
};
constexpr Instr kQ23Step4[] = {
    kBlank, kRed, text("　　Ａ を ｘ－１ に戻して、"),
    kBlack, text("　　　ｘ－１ ＝ ３ 、 －３"),
};
constexpr Instr kQ23Step5[] = {
    kBlank, text("　　　ｘ－１＝３ 、 ｘ－１＝－３"),
};
constexpr Instr kQ23Step6[] = {
    kBlank, text("　　よって、"),
    text("　　　ｘ ＝ ４ 、 －２"),
};
constexpr Step kQ23Steps[] = {
    {Box::Explanation, kQ23Step1},
    {Box::Working, kQ23Step2},
    {Box::Working, kQ23Step3},
    {Box::Working, kQ23Step4},
    {Box::Working, kQ23Step5},
    {Box::Working, kQ23Step6},
};

// Question 24
constexpr Instr kExample24[] = {
    text("　 　次の２次方程式を解け。"),
    text("　　　　 2"),
    setY(750), text("　 　　ｘ  ＋ｘ－６ ＝ ０"),
};
constexpr Instr kQ24Step1[] = {
    kBlank, kRed, text("　Ａ×Ｂ＝０ のとき、"),
    text("　Ａ＝０ または Ｂ＝０ である。"),
    kBlack,
};
constexpr Instr kQ24Step2[] = {
    kBlank, kRed, text("　　　　   2"),
    setY(2180), text("  まず、ｘ  ＋ｘ－６＝０ の"),
    text("  左辺を因数分解する。"),
    kBlack, kBlank, text("　　(ｘ－２)(ｘ＋３)＝０"),
};
constexpr Instr kQ24Step3[] = {
    kBlank, kRed, text("  ｘ－２＝０ または ｘ＋３＝０"),
    kBlack,
};
constexpr Instr kQ24Step4[] = {
    kBlank, text(" 　　ｘ＝２ または ｘ＝－３"),
};
constexpr Instr kQ24Step5[] = {
    kBlank, text(" 　よって、"),
    text(" 　　ｘ ＝ ２ ，－３"),
};
constexpr Step kQ24Steps[] = {
    {Box::Explanation, kQ24Step1},
    {Box::Explanation, kQ24Step2},
    {Box::Working, kQ24Step3},
    {Box::Working, kQ24Step4},
    {Box::Working, kQ24Step5},
};

// Question 25
constexpr Instr kExample25[] = {
    text("　   次の２次方程式を解け。"),
    text("　　　　 2"),
    setY(750), text("　　　 ｘ  ＋２ｘ ＝ ０"),
};
constexpr Instr kQ25Step1[] = {
    kBlank, kRed, text("　　　　     2"),
    setY(1480), text("  　まず、ｘ  ＋２ｘ＝０ の"),
    text("  　左辺を因数分解する。"),
    kBlack, kBlank, text("　　 ｘ(ｘ＋２)＝０"),
};
constexpr Instr kQ25Step2[] = {
    kBlank, kRed, text("  　 ｘ＝０ または ｘ＋２＝０"),
    kBlack,
};
constexpr Instr kQ25Step3[] = {
    kBlank, text(" 　　ｘ＝０ または ｘ＝－２"),
};
constexpr Instr kQ25Step4[] = {
    kBlank, text(" 　よって、"),
    text(" 　　ｘ ＝ ０ ，－２"),
};
constexpr Step kQ25Steps[] = {
    {Box::Explanation, kQ25Step1},
    {Box::Explanation, kQ25Step2},
    {Box::Working, kQ25Step3},
    {Box::Working, kQ25Step4},
};

// Question 26
constexpr Instr kExample26[] = {
    text("　   次の２次方程式を解け。"),
    text("　　   (ｘ＋２)(ｘ－３)＝－４"),
};
constexpr Instr kQ26Step1[] = {
    kBlank, kRed, text("  まず、(ｘ＋２)(ｘ－３)＝－４"),
    text("  の左辺を展開する。"),
    kBlack, text("　　　 2"),
    setY(1890), text("　　 ｘ  －ｘ－６＝－４"),
};
constexpr Instr kQ26Step2[] = {
    kBlank, kRed, text("  右辺の－４を左辺に移項して、"),
    kBlack, text("　　　 2"),
    setY(2660), text("  　 ｘ  －ｘ－６＋４＝０"),
    text("　　　 2"),
    setY(2970), text("  　 ｘ  －ｘ－２＝０"),
};
constexpr Instr kQ26Step3[] = {
    kBlank, kRed, text("　　　2"),
    setY(310), text("  　ｘ  －ｘ－２＝０ の"),
    text("  　左辺を因数分解する。"),
    kBlack, text("  　(ｘ－２)(ｘ＋１)＝０"),
};
constexpr Instr kQ26Step4[] = {
    kBlank, text(" 　　ｘ－２＝０ または ｘ＋１＝０"),
};
constexpr Instr kQ26Step5[] = {
    kBlank, text(" 　よって、"),
    text(" 　　ｘ ＝ ２ ，－１"),
};
constexpr Step kQ26Steps[] = {
    {Box::Explanation, kQ26Step1},
    {Box::Explanation, kQ26Step2},
    {Box::Working, kQ26Step3},
    {Box::Working, kQ26Step4},
    {Box::Working, kQ26Step5},
};

// Question 27
constexpr Instr kExample27[] = {
    text("　   次の場合について、ｙをｘの式"),
    text("　 で表せ。"),
    text("　  ｙはｘの２乗に比例し、ｘ＝２ の"),
    text("　 とき、ｙ＝８である。"),
};
constexpr Instr kQ27Step1[] = {
    kBlank, kRed, text("　　　ｂがａに比例するとき、"),
    text("　　ｂ＝ｋａ が成り立つ。"),
    kBlack,
};
constexpr Instr kQ27Step2[] = {
    kBlank, text("  　　この例題では、"),
    kRed, text("　　　    2"),
    setY(2560), text("  　ｙがｘ   に比例するので、"),
    text("　　　      2"),
    setY(2870), text("  　ｙ＝ｋｘ   が成り立つ。"),
    kBlack,
};
constexpr Instr kQ27Step3[] = {
    kBlank, text("　　　ｘ＝２のとき、ｙ＝８なので、"),
    text("　　　      2"),
    setY(550), text("　　ｙ＝ｋｘ   に ｘ＝２、ｙ＝８を"),
    text("　　代入して、"),
};
constexpr Instr kQ27Step4[] = {
    kBlank, text("　　　          2"),
    setY(1320), text("　　８＝ｋ×２  "),
};
constexpr Instr kQ27Step5[] = {
    kBlank, text("　　８＝ｋ×４"),
    text("  　ｋ＝ ２"),
};
constexpr Instr kQ27Step6[] = {
    kBlank, text("　　よって、"),
    text("　　　        2"),
    setY(2750), text("  　　ｙ＝２ｘ  "),
};
constexpr Step kQ27Steps[] = {
    {Box::Explanation, kQ27Step1},
    {Box::Explanation, kQ27Step2},
    {Box::Working, kQ27Step3},
    {Box::Working, kQ27Step4},
    {Box::Working, kQ27Step5},
    {Box::Working, kQ27Step6},
};

// Question 28
constexpr Instr kExample28[] = {
    text("　　　　      2"),
    setY(550), text("　   ｙ＝－ｘ   について、ｘの値が"),
    text("　 －３から－１まで増加したときの"),
    text("　 変化の割合を求めよ。"),
};
constexpr Instr kQ28Step1[] = {
    kBlank, kBlue, text(" 【変化の割合】"),
    kBlack, text("　　変化の割合は、"),
    kRed, text("　　　(ｙの変化量)／(ｘの変化量)"),
    kBlack, text("　　で求められる。"),
};
constexpr Instr kQ28Step2[] = {
    kBlank, text("　　　       2"),
    setY(310), text("　　ｙ＝－ｘ   について、"),
    kRed, kBlank, text("　ｘ＝－３ のとき、ｙ＝－９"),
    kBlank, text("　ｘ＝－１ のとき、ｙ＝－１"),
    kBlank,
};
constexpr Instr kQ28Step3[] = {
    kBlank, text("　ｙの変化量＝(－１)－(－９)＝８"),
    kBlank, text("　ｘの変化量＝(－１)－(－３)＝２"),
};
constexpr Instr kQ28Step4[] = {
    kBlank, kBlack, text("　よって、"),
    text("　　変化の割合＝８／２＝４"),
};
constexpr Step kQ28Steps[] = {
    {Box::Explanation, kQ28Step1},
    {Box::Working, kQ28Step2},
    {Box::Working, kQ28Step3},
    {Box::Working, kQ28Step4},
};

// Question 29
constexpr Instr kExample29[] = {
    text("　　　　               2"),
    setY(550), text("　   関数 ｙ＝－２ｘ   について、"),
    text("　 ｘの変域が次のとき、ｙの変域"),
    text("　 を求めよ。　－２≦ｘ≦３"),
};
constexpr Instr kQ29Step1[] = {
    kBlank, kRed, text("　　　         2"),
    setY(1790), stay("　　ｙ＝－２ｘ   "),
    kBlack, text(" のグラフを"),
    kRed, stay("  　－２≦ｘ≦３ "),
    kBlack, text(" の変域で描くと、"),
    text("　　右の赤いグラフになる。"),
};
constexpr Instr kQ29Step2[] = {
    column(18, "y"), kBlank, kBlank, kBlank, kBlank, kBlank,
    column(9, "-2                         3  x"), graph(kGraph29),
};
constexpr Instr kQ29Step3[] = {
    kClear, kBlank, text(" 【例題】"),
    text("　　　                 2"),
    setY(550), text("　   関数 ｙ＝－２ｘ   について、"),
    text("　 ｘの変域が次のとき、ｙの変域"),
    text("　 を求めよ。　－２≦ｘ≦３"),
    kBlank, text("　　グラフより、"),
    text("　　ｘ＝３のときのｙの値－１８が"),
    text("　最小になり、"),
};
constexpr Instr kQ29Step4[] = {
    text("　　ｘ＝０のときのｙの値０が"),
    text("　最大になるので、"),
};
constexpr Instr kQ29Step5[] = {
    kBlank, text("　　ｙの変域は、－１８≦ｙ≦０"),
    text("　　　　　　　　　　　　　　　である。"),
};
constexpr Step kQ29Steps[] = {
    {Box::Explanation, kQ29Step1},
    {Box::Working, kQ29Step2},
    {Box::Explanation, kQ29Step3},
    {Box::Explanation, kQ29Step4},
    {Box::Explanation, kQ29Step5},
};

// Question 30
constexpr Instr kExample30[] = {
    text("　　　　               2"),
    setY(550), text("　   関数 ｙ＝－２ｘ   について、"),
    text("　 ｘの変域が次のとき、ｙの変域"),
    text("　 を求めよ。　１≦ｘ≦３"),
};
constexpr Instr kQ30Step1[] = {
    kBlank, kRed, text("　　　         2"),
    setY(1790), stay("　　ｙ＝－２ｘ   "),
    kBlack, text(" のグラフを"),
    kRed, stay("  　１≦ｘ≦３ "),
    kBlack, text(" の変域で描くと、"),
    text("　　右の赤いグラフになる。"),
};
constexpr Instr kQ30Step2[] = {
    column(18, "y"), kBlank, kBlank, kBlank, kBlank, kBlank,
    column(9, "                 1         3  x"), graph(kGraph30),
};
constexpr Instr kQ30Step3[] = {
    kClear, kBlank, text(" 【例題】"),
    text("　　　                 2"),
    setY(550), text("　   関数 ｙ＝－２ｘ   について、"),
    text("　 ｘの変域が次のとき、ｙの変域"),
    text("　 を求めよ。　１≦ｘ≦３"),
    kBlank, text("　　グラフより、"),
    text("　　ｘ＝３のときのｙの値－１８が"),
    text("　最小になり、"),
};
constexpr Instr kQ30Step4[] = {
    text("　　ｘ＝１のときのｙの値－２が"),
    text("　最大になるので、"),
};
constexpr Instr kQ30Step5[] = {
    kBlank, text("　　ｙの変域は、－１８≦ｙ≦－２"),
    text("　　　　　　　　　　　　　　　である。"),
};
constexpr Step kQ30Steps[] = {
    {Box::Explanation, kQ30Step1},
    {Box::Working, kQ30Step2},
    {Box::Explanation, kQ30Step3},
    {Box::Explanation, kQ30Step4},
    {Box::Explanation, kQ30Step5},
};

constexpr Script kScripts[30] = {
    {kExample1, true, kQ1Steps},
    {kExample2, true, kQ2Steps},
    {kExample3, true, kQ3Steps},
    {kExample4, true, kQ4Steps},
    {kExample5, true, kQ5Steps},
    {kExample6, true, kQ6Steps},
    {kExample7, true, kQ7Steps},
    {kExample8, true, kQ8Steps},
    {kExample9, true, kQ9Steps},
    {kExample10, true, kQ10Steps},
    {kExample11, true, kQ11Steps},
    {kExample12, true, kQ12Steps},
    {kExample13, true, kQ13Steps},
    {kExample14, true, kQ14Steps},
    {kExample15, true, kQ15Steps},
    {kExample16, true, kQ16Steps},
    {kExample17, true, kQ17Steps},
    {kExample18, false, kQ18Steps},
    {kExample19, true, kQ19Steps},
    {kExample20, true, kQ20Steps},
    {kExample21, true, kQ21Steps},
    {kExample22, true, kQ22Steps},
    {kExample23, true, kQ23Steps},
    {kExample24, true, kQ24Steps},
    {kExample25, true, kQ25Steps},
    {kExample26, true, kQ26Steps},
    {kExample27, false, kQ27Steps},
    {kExample28, true, kQ28Steps},
    {kExample29, true, kQ29Steps},
    {kExample30, true, kQ30Steps},
};
// clang-format on

const Script *scriptFor(int q) {
    if (q < 1 || q > 30) return nullptr;
    return &kScripts[q - 1];
}

// Plays print steps into one box.
void run(platform::Console &box, std::span<const Instr> instrs) {
    for (const Instr &i : instrs) {
        switch (i.op) {
        case Op::Text: box.print(QString::fromUtf8(i.text)); break;
        case Op::TextStay: box.printStay(QString::fromUtf8(i.text)); break;
        case Op::Blank: box.newLine(); break;
        case Op::Red: box.setColor(QColor(kRedRgb)); break;
        case Op::Blue: box.setColor(QColor(kBlueRgb)); break;
        case Op::Black: box.setColor(QColor(kBlackRgb)); break;
        case Op::SetY: box.setY(i.n); break;
        case Op::Clear: box.clear(); break;
        case Op::Column: box.printAtColumn(i.n, QString::fromUtf8(i.text)); break;
        case Op::Graph: {
            // x from -4 to 4 left to right, y from 30 at the top to -30 at
            // the bottom; the labels printed before stay where they are.
            box.setScale(-4, 30, 4, -30);
            const QColor black(kBlackRgb);
            box.line(-3.9, 0, 3.9, 0, black);
            box.line(0, 29, 0, -29, black);
            for (const Plot &p : i.graph->plots) {
                const QColor color(p.color);
                for (double x = p.start; x <= p.end; x += p.step) box.point(x, -2 * x * x, color);
            }
            break;
        }
        }
    }
}

}  // namespace

int clickCount(int q) {
    const Script *s = scriptFor(q);
    return s ? static_cast<int>(s->steps.size()) + 1 : 0;
}

void printExample(platform::Console &picture1, int q) {
    const Script *s = scriptFor(q);
    if (!s) return;
    picture1.newLine();
    picture1.print(QStringLiteral(" 【例題】"));
    run(picture1, s->example);
    if (s->prompt) picture1.print(QStringLiteral("  [次へ]をクリックするんじゃ！"));
}

void printGreeting(platform::Console &picture3) {
    picture3.print(QStringLiteral("「わしが数学博士である。」"));
    picture3.print(QStringLiteral("「わしの説明を良く聞くんじゃ。」"));
    picture3.print(QStringLiteral("「そして、再度、問題に挑戦してみるんじゃ。」"));
}

void performStep(platform::Console &picture1, platform::Console &picture2, int q, int k) {
    const Script *s = scriptFor(q);
    if (!s || k < 1 || k > static_cast<int>(s->steps.size())) return;
    const Step &step = s->steps[k - 1];
    run(step.box == Box::Explanation ? picture1 : picture2, step.instrs);
}

}  // namespace tutor
