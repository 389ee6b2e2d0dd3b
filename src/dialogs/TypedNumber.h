#pragma once

#include <QString>

namespace dialogs {

// A number the user typed into an edit with a range: read in base 10 (so
// "010" is 10 and "0x10" is no number), a text that is no integer gives 0,
// and a number outside [lowest, highest] is brought to the nearer end. The
// edits' validators let a user type such a number on the way to another one
// (150 on the way to 15 in a 0..100 edit) and leave it there if OK comes
// first; it must not reach the caller's value.
int TypedNumber(const QString& text, int lowest, int highest);

} // namespace dialogs
