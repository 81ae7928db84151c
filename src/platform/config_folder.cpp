#include "platform/config_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace dravik {

std::string HomeFolder() {
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) home = env;
  else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
  else home = "/";
  if (home.back() != '/') home += '/';
  return home;
}

std::string ConfigFolder() {
  std::string base;
  if (const char* env = std::getenv("XDG_CONFIG_HOME"); env && *env && env[0] == '/') base = env;
  else base = HomeFolder() + ".config";
  if (base.back() != '/') base += '/';
  std::string folder = base + "dravik/";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

}  // namespace dravik
