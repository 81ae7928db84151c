// Placeholder memory of the simulated HP48: a fresh HOME holding IOPAR.
#include "calculator.h"

namespace dravik::sim {

struct Calculator::Impl {
  bool binary = false;
  int cksm = 3;
  int transio = 1;
};

Calculator::Calculator() : impl_(std::make_unique<Impl>()) {}
Calculator::~Calculator() = default;
Calculator::Calculator(Calculator&&) noexcept = default;
Calculator& Calculator::operator=(Calculator&&) noexcept = default;

Calculator Calculator::Demo() { return Calculator(); }

bool Calculator::SaveMemory(const std::string&, std::string* error) const {
  if (error) *error = "not implemented";
  return false;
}
bool Calculator::LoadMemory(const std::string&, std::string* error) {
  if (error) *error = "not implemented";
  return false;
}

int Calculator::ChecksumType() const { return impl_->cksm; }
int Calculator::TranslationMode() const { return impl_->transio; }
bool Calculator::BinaryTransfers() const { return impl_->binary; }

std::string Calculator::DirectoryListing() const {
  return "{ HOME } 127805\r\nIOPAR 29.5 List 8861\r\n";
}

StoreResult Calculator::StoreUpload(const std::string& name, const Bytes&) {
  StoreResult r;
  r.ok = true;
  r.stored_name = name;
  return r;
}

RecallResult Calculator::RecallForTransfer(const std::string&) const {
  RecallResult r;
  r.error = "Undefined Name";
  return r;
}

std::string Calculator::RunCommandLine(std::string_view, CalculatorIo*) { return "Empty Stack"; }
bool Calculator::PressEval(CalculatorIo*) { return false; }
std::string Calculator::PathText() const { return "{ HOME }"; }
std::string Calculator::StackDisplay() const { return "Empty Stack"; }
std::vector<std::string> Calculator::VariableNames(const std::string& path) const {
  if (path == "HOME\\") return {"IOPAR"};
  return {};
}
std::string Calculator::TypeOf(const std::string& path, const std::string& name) const {
  return path == "HOME\\" && name == "IOPAR" ? "List" : "";
}
Bytes Calculator::BinaryOf(const std::string&, const std::string&) const { return {}; }

}  // namespace dravik::sim
