#include "platform/ApplicationHelp.h"

#include <utility>

namespace {
THelpEvent& Handler() {
    static THelpEvent handler;
    return handler;
}
} // namespace

THelpEvent ApplicationOnHelp() {
    return Handler();
}

THelpEvent SetApplicationOnHelp(THelpEvent handler) {
    return std::exchange(Handler(), std::move(handler));
}

bool ApplicationHelpCommand(quint16 command, qintptr data) {
    if (!Handler()) return false;
    // A copy, so that the handler may replace itself while it runs.
    const THelpEvent handler = Handler();
    bool callHelp = true;
    return handler(command, data, callHelp);
}

bool ApplicationHelpContext(int context) {
    return ApplicationHelpCommand(HELP_CONTEXT, context);
}
