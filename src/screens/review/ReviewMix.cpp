// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/ReviewMix.h"

#include "bank/Topics.h"
#include "screens/review/ReviewRound.h"

#include <algorithm>
#include <deque>
#include <map>

namespace review {

namespace {
int topicNumber(int q) {
    const bank::Topic *t = bank::topicOf(q);
    return t ? t->first : 0;
}
}  // namespace

std::vector<int> mixTopics(const std::vector<int> &questions) {
    // Each topic's questions in their order, and where each stood.
    std::map<int, std::deque<std::pair<size_t, int>>> byTopic;
    for (size_t i = 0; i < questions.size(); ++i) byTopic[topicNumber(questions[i])].push_back({i, questions[i]});
    std::vector<int> out;
    int last = -1;
    while (out.size() < questions.size()) {
        auto pick = byTopic.end();
        for (auto it = byTopic.begin(); it != byTopic.end(); ++it) {
            if (it->second.empty() || it->first == last) continue;
            if (pick == byTopic.end() || it->second.size() > pick->second.size() ||
                (it->second.size() == pick->second.size() && it->second.front().first < pick->second.front().first))
                pick = it;
        }
        if (pick == byTopic.end()) pick = byTopic.find(last);  // only the last one's topic is left
        out.push_back(pick->second.front().second);
        pick->second.pop_front();
        last = pick->first;
    }
    return out;
}

std::vector<int> makeRound(const std::vector<int> &due, const std::vector<int> &assigned) {
    std::vector<int> all;
    for (int q : due)
        if (all.size() < size_t(kRoundLength) && std::find(assigned.begin(), assigned.end(), q) == assigned.end())
            all.push_back(q);
    all.insert(all.end(), assigned.begin(), assigned.end());
    return mixTopics(all);
}

std::vector<int> assignmentLeft(const state::assignment::Assignment &a, const state::review::Record &r) {
    std::vector<int> left;
    const bool same = r.assignment.set == a.set;
    for (int q : a.questions)
        if (state::Session::inRange(q) && !(same && r.assignment.marks[q] == 'o')) left.push_back(q);
    return left;
}

state::review::TestDayPull pullOf(const state::assignment::Assignment &a) {
    state::review::TestDayPull pull;
    if (!a.testDay.isValid()) return pull;
    pull.testDay = a.testDay;
    for (int q : a.questions)
        if (const bank::Topic *t = bank::topicOf(q))
            for (int p = t->first; p <= t->last; ++p) pull.questions[p] = true;
    return pull;
}

std::vector<int> chooseRound(const state::Session &progress, const state::review::Record &record,
                             const std::optional<state::assignment::Assignment> &a, const QDate &today) {
    // The pupil's own questions are mixed the same way with no 課題 set.
    if (!a) return makeRound(state::review::dueQuestions(record, progress.misses, progress.question, today), {});
    const state::review::TestDayPull pull = pullOf(*a);
    return makeRound(state::review::dueQuestions(record, progress.misses, progress.question, today, &pull),
                     assignmentLeft(*a, record));
}

std::vector<int> chooseAhead(const state::Session &progress, const state::review::Record &record,
                             const std::optional<state::assignment::Assignment> &a, const QDate &today) {
    if (!a) return questionsAhead(progress, record, today);
    const state::review::TestDayPull pull = pullOf(*a);
    std::vector<int> later = state::review::laterQuestions(record, progress.misses, progress.question, today, &pull);
    if (later.size() > size_t(kRoundLength)) later.resize(kRoundLength);
    return later;
}

QDate nextDueDay(const state::Session &progress, const state::review::Record &record,
                 const std::optional<state::assignment::Assignment> &a, const QDate &today) {
    const std::vector<int> later = chooseAhead(progress, record, a, today);
    if (later.empty()) return {};
    const state::review::TestDayPull pull = a ? pullOf(*a) : state::review::TestDayPull{};
    return state::review::dueDate(record, later.front(), progress.misses[later.front()], today, &pull);
}

void noteAssignmentAnswer(state::review::Record &r, const state::assignment::Assignment &a, int q,
                          bool rightFirstTime) {
    if (!a.holds(q) || !state::Session::inRange(q)) return;
    if (r.assignment.set != a.set) r.assignment = {a.set, {}};
    char &mark = r.assignment.marks[q];
    mark = rightFirstTime || mark == 'o' ? 'o' : 'x';
}

}  // namespace review
