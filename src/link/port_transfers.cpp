// Objects to and from the calculator's ports. The server refuses tagged
// names in R and in an upload, so a port object is recalled into the
// temporary variable in HOME and fetched from there, and a file is uploaded
// to HOME and moved into the port.
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "hpfile/binary_values.h"
#include "link/calculator_model.h"
#include "link/cancel_pause.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/port_commands.h"
#include "link/port_texts.h"
#include "link/transfer_check.h"
#include "listing/hp_path.h"

namespace dravik {
namespace {

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }
std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('/') + 1); }

// Gives a received file the name of the port object, beside what the
// folder holds: NAME, else NAME.1, NAME.2, ... A link never replaces a
// file, so nothing is overwritten even when another program writes there
// meanwhile. The new path, or empty when the file could not be renamed.
std::string RenameWithoutOverwrite(const std::string& path, const std::string& name) {
  const std::string folder = FolderOf(path);
  for (int n = 0; n < 1000; ++n) {
    const std::string target = folder + NumberedFileName(SafeFileName(name), n);
    if (target == path) return path;
    if (::link(path.c_str(), target.c_str()) == 0) {
      ::unlink(path.c_str());
      return target;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

// Numbers the items the link reports from `offset` on, for as long as it
// lives: each port object is a receive of its own, whose one item is 0.
class ItemOffset : public ProgressSink {
 public:
  ItemOffset(Session& session, long offset)
      : session_(session), next_(session.ProgressWindow.exchange(this)), offset_(offset) {}
  ~ItemOffset() override { session_.ProgressWindow = next_; }
  ItemOffset(const ItemOffset&) = delete;
  ItemOffset& operator=(const ItemOffset&) = delete;
  void post(int code, long value) override {
    if (next_) next_->post(code, code == kProgressItem ? value + offset_ : value);
  }

 private:
  Session& session_;
  ProgressSink* next_;
  long offset_;
};

// The library a file holds, if it holds one in binary form.
std::optional<LibraryHeader> LibraryOfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  return ReadLibraryFile(bytes);
}

// The files of a send into a port as they are uploaded to HOME: a library
// whose file name is no name a variable can have ("pctest.lib", or its
// number as a backup names it) goes as a copy named L and its number, in a
// folder of its own that goes with the object.
class UploadNames {
 public:
  explicit UploadNames(const std::vector<std::string>& list) : paths_(list) {
    for (std::string& path : paths_) {
      const std::string name = FileName(path);
      const std::optional<LibraryHeader> library = LibraryOfFile(path);
      if (!library || (hp48::IsCalculatorName(name) && !hp48::IsLibraryNumber(name))) continue;
      std::error_code error;
      if (folder_.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path(error) / "dravik-upload-XXXXXX").string();
        if (error || !::mkdtemp(pattern.data())) continue;
        folder_ = pattern + "/";
      }
      const std::string copy = folder_ + "L" + std::to_string(library->number);
      if (std::filesystem::copy_file(path, copy, error)) path = copy;
    }
  }
  ~UploadNames() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  UploadNames(const UploadNames&) = delete;
  UploadNames& operator=(const UploadNames&) = delete;
  const std::vector<std::string>& paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
  std::string folder_;
};

}  // namespace

int CHP48Link::ReceiveFromPort(int port, const std::vector<std::string>& list) {
  const std::string port_path = hp_path::PortPath(port);
  std::vector<ReceivedObject> received;
  std::vector<std::string> skipped;
  int ok = EnterPort(port_path) && TemporaryNameFree();
  for (size_t i = 0; ok && i < list.size(); ++i) {
    const std::string& name = list[i];
    if (m_skipAll) {
      skipped.insert(skipped.end(), list.begin() + static_cast<long>(i), list.end());
      break;
    }
    if (!RunCalculatorCommand(hp48::TaggedName(port, name) + " VTYPE")) {
      ok = 0;
      break;
    }
    const long type = hp48::StackInteger(hp48::TopOfStack(HostReply)).value_or(-1);
    if (type < 0) {
      RunCalculatorCommand("DROP");
      ShowMessage(name + " is not in port " + std::to_string(port) + ".", "Error");
      ok = 0;
      break;
    }
    if (!RunCalculatorCommand("DROP " + hp48::FetchToTemporaryCommand(port, name))) {
      ok = 0;
      break;
    }
    m_session.HPWorkingPath = std::string(hp_path::kHome);
    int got = 0;
    {
      ItemOffset numbered(m_session, static_cast<long>(i));
      got = ReceiveFiles({std::string(hp48::kTemporaryName)});
    }
    m_session.HPWorkingPath = port_path;
    // Whatever became of the transfer, the temporary variable goes.
    PurgeTemporary(type == 15);
    for (const ReceivedObject& object : ReceivedObjects) {
      const std::string placed = RenameWithoutOverwrite(object.path, name);
      if (placed.empty()) {
        ::unlink(object.path.c_str());
        ShowMessage("Could not name the received file " + name + ": " + object.path, "ERROR");
        ok = 0;
        continue;
      }
      received.push_back({name, placed});
    }
    if (!SkippedItems.empty()) skipped.push_back(name);
    m_skipCurrent = 0;
    if (!got) ok = 0;
  }
  ReceivedObjects = std::move(received);
  SkippedItems = std::move(skipped);
  return ok;
}

int CHP48Link::MoveIntoPort(const std::string& stored, int port, const std::string& port_name,
                            bool library, bool purge_on_failure) {
  const std::string command = hp48::MoveIntoPortCommand(stored, port, port_name, library);
  if (RunCalculatorCommand(command, false)) return 1;
  int result = 0;
  if (hp48::IsObjectInUse(HostReply)) {
    const bool replace =
        ReplaceInPorts ||
        (m_session.MainWindow &&
         m_session.MainWindow->ShowMessage(PortReplaceQuestion(model(), port, port_name),
                                           "Replace", MessageIcon::Question,
                                           MessageButtons::YesNoDefaultNo) == MessageAnswer::Yes);
    if (replace && PurgePortNames(port, {port_name}) && RunCalculatorCommand(command)) return 1;
    result = replace ? 0 : -1;
  } else if (!hp48::ErrorLine(HostReply).empty()) {
    ShowMessage(hp48::ErrorLine(HostReply), "Error Message from " + CalcName());
  }
  // The copy uploaded to HOME does not stay there.
  if (purge_on_failure) RunCalculatorCommand(hp48::PurgeCommand(stored), false);
  return result;
}

int CHP48Link::MoveToPort(int port) {
  const std::vector<std::string> names = m_session.Job.TransferList;
  for (const std::string& name : names) {
    if (!hp48::IsCalculatorName(name)) {
      ShowMessage("Not a valid " + CalcName() + " name: " + name, "Error");
      return 0;
    }
  }
  if (!EnsureInCurrentDirectory() || !CheckPort(port)) return 0;
  int ok = 1;
  for (const std::string& name : names) {
    // Stored by its tagged name, a library takes its number in the port.
    if (MoveIntoPort(name, port, name, false, false) != 1) ok = 0;
  }
  return ok;
}

int CHP48Link::SendToPort(int port, const std::vector<std::string>& list) {
  const std::string port_path = hp_path::PortPath(port);
  StoredNames.clear();
  SkippedItems.clear();
  // A 49 stores into a port it does not have as into HOME: the port is
  // asked for first, on every model.
  const UploadNames uploads(list);
  if (!CheckFilesToSend(uploads.paths()) || !EnterPort(port_path) || !CheckPort(port)) return 0;
  m_session.HPWorkingPath = std::string(hp_path::kHome);
  int ok = SendFiles(uploads.paths());
  std::vector<std::string> skipped = SkippedItems;
  const std::vector<std::string> uploaded = StoredNames;
  std::vector<std::string> in_port(uploaded.size());
  {
    // What arrived before a stop is moved too: nothing is left in HOME.
    CancelPause pause(*this);
    // A garbled upload is purged in HOME here, before it reaches the port.
    const bool checked = ok && CheckSentObjects(*this, uploads.paths());
    for (size_t i = 0; i < uploaded.size() && i < list.size(); ++i) {
      if (uploaded[i].empty()) continue;
      if (!checked) {
        RunCalculatorCommand(hp48::PurgeCommand(uploaded[i]), false);
        continue;
      }
      const std::optional<LibraryHeader> library = LibraryOfFile(list[i]);
      const std::string name = library ? std::to_string(library->number) : FileName(list[i]);
      const int moved = MoveIntoPort(uploaded[i], port, name, library.has_value());
      if (moved == 1) in_port[i] = name;
      if (moved == -1) skipped.push_back(list[i]);
      if (moved == 0) ok = 0;
    }
    if (!checked) ok = 0;
  }
  m_session.HPWorkingPath = port_path;
  StoredNames = std::move(in_port);
  SkippedItems = std::move(skipped);
  return ok;
}

}  // namespace dravik
