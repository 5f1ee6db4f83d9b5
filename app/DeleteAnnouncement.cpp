#include "app/DeleteAnnouncement.h"

#include "desk/Desk.h"
#include "desk/ScopeGuard.h"
#include "platform/Dialogs.h"

namespace vornelta {

bool confirmAndDeleteAnnouncement(TDesk& desk, QWidget* parent) {
    if (!desk.tData.Active() || !desk.tData.CurrentEntry()) return false;
    if (!Dialogs::instance().question(parent, QStringLiteral("Удалить объявление ?"))) return false;
    return deleteCurrentAnnouncement(desk);
}

bool deleteCurrentAnnouncement(TDesk& desk) {
    if (!desk.tData.Active() || !desk.tData.CurrentEntry()) return false;
    {
        // Last of all, the run-date view is built again in the mode given back; an error
        // there would only hide the one that ended the command.
        ScopeGuard followAgain([&] {
            try {
                desk.followCurrentAnnouncement();
            } catch (...) {
            }
        });
        // The run-date view shows exactly this announcement's days while they go.
        auto mode = switchValue(desk.runDateFilterMode, int(rdmByAnnouncement));
        desk.followCurrentAnnouncement();
        desk.tDates.DisableControls();
        ScopeGuard enable([&] { desk.tDates.EnableControls(); });
        while (desk.tDates.RecordCount() > 0) {
            desk.tDates.First();
            desk.tDates.Delete();
        }
        desk.tData.Delete();
        desk.saveTable(desk.tDates);
        desk.saveTable(desk.tData);
    }
    return true;
}

} // namespace vornelta
