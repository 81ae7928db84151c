#include "link/xmodem_job.h"

namespace dravik {

int RunXModemJob(CSerialPort& kermitLink, CXModemLink& xmodemLink, XModemDirection direction,
                 const std::vector<std::string>& list) {
  kermitLink.CloseAll();
  // A port that cannot be opened is not reported here: the first read times
  // out and the protocol tells the user that the calculator does not answer.
  xmodemLink.Open();
  // What is still buffered belongs to the Kermit conversation (the answer to
  // the server's finish request): a freshly taken port starts empty, or a
  // Kermit packet mark (SOH) would pass for the first block.
  xmodemLink.DiscardInput();
  int result = direction == XModemDirection::Send ? xmodemLink.XModemSendList(list)
                                                  : xmodemLink.XModemReceiveList(list);
  xmodemLink.CloseAll();
  kermitLink.Open();
  kermitLink.DiscardInput();  // nor do XModem leftovers reach the Kermit link
  return result;
}

}  // namespace dravik
