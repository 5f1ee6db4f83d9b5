#include "output/TitlingDrivers.h"

#include "output/ScriptWriter.h"
#include "output/TextLineListWriter.h"

namespace vornelta {

const QList<TitlingDriver>& titlingDrivers() {
    static const QList<TitlingDriver> drivers = {
        {kDriverAlpha, titlingScriptLines, titlingScriptFileName},
        {kDriverTextLine, textLineListLines, textLineListFileName},
    };
    return drivers;
}

const TitlingDriver* titlingDriver(const QString& name) {
    for (const TitlingDriver& driver : titlingDrivers())
        if (driver.name == name) return &driver;
    return nullptr;
}

QStringList titlingDriverNames() {
    QStringList names;
    for (const TitlingDriver& driver : titlingDrivers())
        names << driver.name;
    return names;
}

} // namespace vornelta
