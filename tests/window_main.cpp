// One application for every window test, on Qt's offscreen platform: no display needed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "ui/platform/platform.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  platform::Application app(argc, argv);
  return RUN_ALL_TESTS();
}
