// "Удалить": the current announcement goes with all of its run days; dates.d and then
// data.d are saved. Realty rows of the announcement stay.
#pragma once

class QWidget;

namespace vornelta {

class TDesk;

// Asks "Удалить объявление ?" and deletes on Yes; on an empty list nothing is asked.
// True when the announcement was deleted.
bool confirmAndDeleteAnnouncement(TDesk& desk, QWidget* parent);

// False, with nothing changed, when there is no current announcement. Engine and file
// errors propagate; the run-date filter mode and the run-date grid are given back
// either way.
bool deleteCurrentAnnouncement(TDesk& desk);

} // namespace vornelta
