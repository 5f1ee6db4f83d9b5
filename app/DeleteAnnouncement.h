// "Удалить": the current announcement goes with all of its run days; dates.d and then
// data.d are saved. Realty rows of the announcement stay.
#pragma once

#include "platform/Result.h"

class QWidget;

namespace vornelta {

class TDesk;

// Asks "Удалить объявление ?" and deletes on Yes; on an empty list nothing is asked. A
// file that cannot be written is said in an error box. True when the announcement went.
bool confirmAndDeleteAnnouncement(TDesk& desk, QWidget* parent);

// Fails, with nothing changed, when there is no current announcement, and when a file
// cannot be written (the tables and files then hold the announcement still). Engine
// errors propagate. The run-date view and its grid are given back either way.
Result deleteCurrentAnnouncement(TDesk& desk);

} // namespace vornelta
