// The connect loop of start-up and of the Comm Settings command: the
// connection check is repeated until the calculator answers or the user
// gives up ("&Exit" in the communication settings dialog).
#pragma once

namespace dravik {

class CHP48Link;

// Runs the connection check; while it fails: closes the port, ends when
// the user gave up, else reopens the port with the settings as the user
// left them and tries again. A failure that did not show the settings
// dialog (an error reply, a reply that cannot be read) shows it before the
// next try, so a wrong answer never becomes an endless row of error boxes.
// True once connected; false with LinkClosedByUser set and the port
// closed. The port should be open (or openable) when it starts.
bool ConnectUntilAnswered(CHP48Link& link);

}  // namespace dravik
