// The settings file Dravik.ini in the config folder: 270 bytes, no header,
// numbers little-endian.
//
//   offset 0, 4 bytes   BaudRate
//   offset 4, 2 bytes   ChecksumType
//   offset 6, 2 bytes   TranslationMode
//   offset 8, 2 bytes   PortNumber
//   offset 10, 260      FavoritePath, NUL-terminated, zero padded
//
// Start-up reads bytes 0-9, the PC file list bytes 10-269. The settings
// dialog writes the whole file, "Set favorite Path" only bytes 10-269.
#pragma once

#include <string>
#include <string_view>

#include "settings/link_settings.h"
#include "link/session.h"

namespace dravik {

inline constexpr size_t kSettingsFileSize = 270;
inline constexpr size_t kFavoritePathOffset = 10;
inline constexpr size_t kFavoritePathField = 260;
inline constexpr size_t kFavoritePathMax = kFavoritePathField - 1;  // room for the NUL

// The config folder's Dravik.ini.
std::string SettingsFilePath();

// Start-up read of bytes 0-9 into settings. Fields the file does not hold
// completely (no file, a short file) keep the values they had. Returns 1
// when the file could be opened.
int ReadStartupSettings(LinkSettings& settings, const std::string& file = SettingsFilePath());

// The favourite folder of bytes 10-269: the text up to the first zero byte
// (at most 259 bytes). Empty when there is no file or no text there.
std::string ReadFavoritePath(const std::string& file = SettingsFilePath());

// Creates or truncates the file and writes all 270 bytes from the session's
// settings and FavoritePath; an empty FavoritePath first becomes the home
// folder. Returns 1, or 0 when the file cannot be written.
int SaveSettingsFile(Session& session, const std::string& file = SettingsFilePath());

// Writes bytes 10-269 of the existing file (it is not created) and makes the
// folder the session's FavoritePath. Returns 1, or 0 when there is no file or
// it cannot be written.
int SaveFavoritePath(Session& session, std::string_view folder,
                     const std::string& file = SettingsFilePath());

}  // namespace dravik
