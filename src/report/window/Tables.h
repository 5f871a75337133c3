// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The set-up every table of pupils in the window shares: sorted by a click
// on a heading, a whole row chosen at a time, nothing edited, rows of one
// fixed height (the view then never measures ten thousand rows).

class QAbstractItemModel;
class QTableView;

namespace report::window {

void setUpPupilTable(QTableView *view, QAbstractItemModel *model);

// Shows 番号 and 氏名 first, before the code, when there is a class list;
// hides them when there is none.
void showRosterColumns(QTableView *view, bool shown);

}  // namespace report::window
