#include "core/shell/autostart_questions.h"

#include "platform/autostart.h"

namespace core {

void menuAuto_Click(Dialogs& dialogs, const std::string& programFolder)
{
    if (dialogs.ask(kAutostartTitle, kAutostartSetQuestion))
        platform::registerAutostart(programFolder);
}

void menuManu_Click(Dialogs& dialogs)
{
    if (dialogs.ask(kAutostartTitle, kAutostartRemoveQuestion))
        platform::unregisterAutostart();
}

} // namespace core
