// Test entry: an offscreen application object, the C numeric locale and
// prompts answered by the tests' scripts.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>

#include "platform/prompts.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  prompts::StartScript();
  return RUN_ALL_TESTS();
}
