#include "app/await_server.h"

#include <chrono>

#include "app/app_context.h"
#include "diagnose/server_wait.h"

namespace dravik {

void AwaitServer(AppContext& ctx, const std::string& why, std::function<void(bool)> then,
                 bool warmStart) {
  if (ctx.session.MainWindow)
    ctx.session.MainWindow->ShowMessage(why, "Attention", MessageIcon::Warning);
  ctx.line.Run<int>(
      "Waiting for the calculator's server",
      [warmStart](LineSide& line) {
        constexpr auto kPatience = std::chrono::minutes(5);
        return warmStart ? WaitForWarmStart(line.kermit, kPatience)
                         : WaitForServer(line.kermit, kPatience);
      },
      [&ctx, then](int answered) {
        if (answered) ctx.CalculatorAnswered = true;
        if (then) then(answered != 0);
      });
}

}  // namespace dravik
