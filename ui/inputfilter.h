// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "workfile/charset.h"

#include <QString>

class QLineEdit;

namespace korvanta {

// Limits the box to maxLength characters out of allowed. Typed keys, pasted
// text and input-method text are screened alike: a key outside the set is
// refused, and so is a paste or composition that holds any such character.
void restrictInput(QLineEdit *box, const QString &allowed, int maxLength);

// Puts a text read from the adapter into a box whole. A text longer than the
// box's maximum length widens the box's limit to the text's length, so that
// the box holds what the work file keeps and an unedited box sends nothing;
// what the operator types still never makes the text longer than that.
void showReadText(QLineEdit *box, const QString &text);

} // namespace korvanta
