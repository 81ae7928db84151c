#include "link/xmodem_job.h"

namespace dravik {

int RunXModemJob(CSerialPort& kermitLink, CXModemLink& xmodemLink, XModemDirection direction,
                 const std::vector<std::string>& list) {
  kermitLink.CloseAll();
  // A port that cannot be opened is not reported here: the first read times
  // out and the protocol tells the user that the calculator does not answer.
  xmodemLink.Open();
  int result = direction == XModemDirection::Send ? xmodemLink.XModemSendList(list)
                                                  : xmodemLink.XModemReceiveList(list);
  xmodemLink.CloseAll();
  kermitLink.Open();
  return result;
}

}  // namespace dravik
