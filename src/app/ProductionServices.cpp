#include "app/ProductionServices.h"

#include "datetime/LocaleFormatSettings.h"
#include "datetime/SystemClock.h"
#include "launcher/GioStarter.h"

namespace quill {

FormServices productionServices(Dialogs& dialogs) {
    FormServices services;
    services.dialogs = &dialogs;
    services.clock = std::make_shared<SystemClock>();
    services.formatSettings = std::make_shared<LocaleFormatSettings>();
    services.starter = std::make_shared<GioStarter>();
    return services;
}

} // namespace quill
