#include "app/asked_write.h"

#include "grob/grob_layout.h"
#include "grob/picture_conversion.h"
#include "grob/picture_file.h"

namespace dravik {

AskedWrite WriteAsking(MainWindowHandle* window, const std::string& path,
                       std::span<const uint8_t> bytes) {
  PictureWriteStatus status = WritePictureFile(path, bytes, false);
  if (status == PictureWriteStatus::Exists) {
    const std::string question = std::string(kMsgOutputExists) + path +
                                 std::string(kMsgOutputExistsEnd) + std::string(kMsgReplaceQuestion);
    if (!window || window->ShowMessage(question, "Dravik", MessageIcon::Question,
                                       MessageButtons::YesNo) != MessageAnswer::Yes)
      return AskedWrite::Declined;
    status = WritePictureFile(path, bytes, true);
  }
  if (status == PictureWriteStatus::Ok) return AskedWrite::Written;
  if (window)
    window->ShowMessage(std::string(kMsgCannotCreate) + path, kPictureMessageCaption,
                        MessageIcon::Error, MessageButtons::Ok);
  return AskedWrite::Failed;
}

}  // namespace dravik
