// GoogleTest entry point with a Qt application on the main thread, so that code which hands
// work to the GUI thread (message boxes, queued notifications, request outputs) can run.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication lApp(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
