// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What each question asks, for the teacher: the course's topics (each a
// run of consecutive questions) and a short title per question, written
// out as data beside the questions themselves.

#include <QString>

#include <span>
#include <vector>

namespace bank {

struct Topic {
    const char *name;  // short Japanese name ("因数分解")
    int first, last;   // its questions, first..last
};

// The topics in course order; together they hold every question once.
std::span<const Topic> topics();

// The topic of question n, or nullptr when n is outside 1..30.
const Topic *topicOf(int n);

// The short title of what question n asks ("√の計算（分配）"), or nullptr
// when n is outside 1..30.
const char *titleOf(int n);

// Question n in variant v as plain text, as it is drawn: the instruction
// and the problem lines (one a line, indentation dropped), each raised
// exponent written as a superscript digit after its base ("ｘ²").  Empty
// when n or v is out of range.
QString problemText(int n, int v);

// Questions for people: the topics they belong to, in course order, and
// how many there are ("因数分解 4問", "平方根・因数分解 6問").
QString questionsText(const std::vector<int> &questions);

}  // namespace bank
