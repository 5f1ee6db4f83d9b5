#include "app/DeleteAnnouncement.h"

#include "desk/Desk.h"
#include "platform/Dialogs.h"

namespace vornelta {

bool confirmAndDeleteAnnouncement(TDesk& desk, QWidget* parent) {
    if (!desk.tData.Active() || !desk.tData.CurrentEntry()) return false;
    if (!Dialogs::instance().question(parent, QStringLiteral("Удалить объявление ?"))) return false;
    const Result deleted = deleteCurrentAnnouncement(desk);
    if (!deleted) Dialogs::instance().error(parent, deleted.error());
    return deleted.ok();
}

Result deleteCurrentAnnouncement(TDesk& desk) {
    if (!desk.tData.Active() || !desk.tData.CurrentEntry())
        return Result::failed(QStringLiteral("Нет объявления для удаления"));
    // The run-date view shows exactly this announcement's days while they go.
    const DeskScope following = desk.runDatesOfCurrentAnnouncement();
    desk.tDates.DisableControls();
    const ScopeGuard enable([&] { desk.tDates.EnableControls(); });
    while (desk.tDates.RecordCount() > 0) {
        desk.tDates.First();
        desk.tDates.Delete();
    }
    desk.tData.Delete();
    return desk.saveTables({&desk.tDates, &desk.tData});
}

} // namespace vornelta
