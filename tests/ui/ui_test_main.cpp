// One QApplication on the offscreen platform for every window test, and a
// config and data folder of the test's own so that no test reads or writes
// the user's settings or trash.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
  QTemporaryDir data;
  setenv("XDG_DATA_HOME", qPrintable(data.path()), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
