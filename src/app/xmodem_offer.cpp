#include "app/xmodem_offer.h"

#include <QAction>

#include "link/calculator_model.h"
#include "link/runner_texts.h"
#include "link/session.h"

namespace dravik {

void OfferXModem(QAction& action, const Session& session, const QString& what) {
  // Before the calculator has answered, every model is possible.
  const CalculatorModel& model = session.Model ? *session.Model : Hp48GxModel();
  const QString start = QString::fromStdString(model.StartAction());
  const QString tip = model.HasXModem ? what + "; " + start + " on the calculator starts it."
                                      : QString::fromStdString(XModemMissingText(model));
  action.setEnabled(model.HasXModem);
  action.setStatusTip(tip);
  action.setToolTip(tip);
}

}  // namespace dravik
