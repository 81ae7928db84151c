// How the window offers an XModem transfer: only where the calculator has
// XModem built in (not the HP48SX), with a tip that says how it starts on
// that calculator, or why it is not offered.
#pragma once

#include <QString>

class QAction;

namespace dravik {

struct Session;

// Enables or greys out action (a "... by XModem" item) for the calculator of
// the session; what is the tip's start ("Send the selected files by XModem").
void OfferXModem(QAction& action, const Session& session, const QString& what);

}  // namespace dravik
