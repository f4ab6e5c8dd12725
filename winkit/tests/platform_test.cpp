// The desktop clipboard serves corekit's clipboard text, and runbase's
// fatal messages become message boxes.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "winkit/vcore.h"
#include "winkit/vdlg.h"

#include <corekit/clipboard.h>

TEST(Platform, ClipboardTextGoesThroughTheDesktopClipboard) {
  vcore::Init_();
  ASSERT_TRUE(vcom::ClipboardProvider().SetText("%RA% %DEC%", 10));
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "%RA% %DEC%");
  QGuiApplication::clipboard()->setText(QString::fromUtf8("OmbrixFitParameters \xc3\xa9"));
  std::string text;
  ASSERT_TRUE(vcom::ClipboardProvider().GetText(text));
  EXPECT_EQ(text, "OmbrixFitParameters \xc3\xa9");
  // Off the GUI thread the toolkit's clipboard is out of reach.
  bool fromWorker = true;
  std::thread([&] { fromWorker = vcom::ClipboardProvider().SetText("x", 1); }).join();
  EXPECT_FALSE(fromWorker);
}

#include <runbase/diag.h>

TEST(Platform, FatalMessagesBecomeWarningBoxes) {
  vcore::Init_();
  vdlg::CScriptedDialogs script;
  Diag::ShowMessage("Critical Error", "Not enough memory");
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].caption, "Critical Error");
  EXPECT_EQ(script.Shown()[0].lines, std::vector<std::string>{"Not enough memory"});
  EXPECT_EQ(script.Shown()[0].icon, vstock::siRedExclamation);
}

// The toolkit takes the process locale from the environment; numbers that
// the C library formats and reads for files must still use the point.
TEST(Platform, NumbersKeepTheDecimalPointUnderADecimalCommaLocale) {
  if (QCoreApplication::instance()) GTEST_SKIP() << "the toolkit was started by an earlier test";
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  vcore::Init_();
  char text[32];
  std::snprintf(text, sizeof text, "%.7f", 2459000.1234567);
  EXPECT_STREQ(text, "2459000.1234567");
  EXPECT_EQ(std::strtod("0.5", nullptr), 0.5);
  std::setlocale(LC_ALL, "C");
}
