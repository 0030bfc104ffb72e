#include <QTest>
#include <filesystem>

#include "app/Application.h"
#include "app/Startup.h"
#include "platform/Exceptions.h"
#include "tests/NamedProcess.h"
#include "tests/app/FormFixture.h"

using Startup = FormFixture;

TEST_F(Startup, ShowsTheWindowInItsInitialState) {
  TForm1& form = ShowForm();
  EXPECT_EQ(form.windowTitle(), "Orvo Config & Backup Tool for OrvoPortable");
  EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->indexOf(form.TabSheet4)), "Import");
  EXPECT_FALSE(form.PageControl1->isTabVisible(form.PageControl1->indexOf(form.TabSheet3)));
  EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet1);
  EXPECT_FALSE(form.DefaultBrowserButton->isVisible());
  EXPECT_FALSE(form.CheckBox2->isVisibleTo(form.GroupBox2));
  EXPECT_FALSE(form.CheckBox1->isChecked());
  EXPECT_EQ(form.ComboBox1->currentText(), "SAVE");
  EXPECT_EQ(form.ProgressBar1->maximum(), 100);
  EXPECT_EQ(form.SevenZip1->LZMACompressStrength(), TCompressStrength::FAST);
  EXPECT_TRUE(form.SevenZip1->AddOptions().Has(AddRecurseDirs));
  EXPECT_TRUE(form.SevenZip1->ExtractOptions().Has(ExtractOverwrite));
  EXPECT_EQ(form.SevenZip2->AddOptions().Bits(), 0);
  EXPECT_EQ(form.SevenZip2->ExtractOptions().Bits(), 0);
  EXPECT_TRUE(UI.Boxes.empty());
}

TEST_F(Startup, APresentFlagFileChecksTheBoxAndIsWrittenAnew) {
  Dir.Write("Orvo/privacy.ini", "old content");
  TForm1& form = ShowForm();
  EXPECT_TRUE(form.CheckBox1->isChecked());
  EXPECT_EQ(Dir.Read("Orvo/privacy.ini"), "1\r\n");
}

TEST_F(Startup, ADirectoryNamedLikeTheFlagFileDoesNotCount) {
  Dir.MakeDirectory("Orvo/privacy.ini/inside");
  TForm1& form = ShowForm();
  EXPECT_FALSE(form.CheckBox1->isChecked());
  EXPECT_TRUE(std::filesystem::is_directory(Dir.Host("Orvo/privacy.ini/inside")));
}

TEST_F(Startup, ARunningChromeIsWarnedOfWhateverItsCase) {
  const TNamedProcess chrome(Dir, "cHrOmE.ExE");
  ShowForm();
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(UI.Boxes[0].Text, u"Please close all running browser instances before you continue!");
  EXPECT_EQ(UI.Boxes[0].Caption, u"Warning");
  EXPECT_EQ(UI.Boxes[0].Type & 0xF0, MB_ICONWARNING);
}

TEST_F(Startup, InfoOpensOneDialog) {
  TForm1& form = ShowForm();
  Press(form.Button2);
  Press(form.Button2);
  EXPECT_TRUE(form.AboutBox->isVisible());
  EXPECT_EQ(form.findChildren<TAboutBox*>().size(), 1);
  EXPECT_EQ(form.AboutBox->windowTitle(), "Info");
  Press(form.AboutBox->OKButton);
  EXPECT_FALSE(form.AboutBox->isVisible());
  EXPECT_TRUE(form.isVisible());
}

TEST_F(Startup, WithoutTheEngineNoWindowIsMade) {
  try {
    CreateMainWindow(ToolDirectory(), u"\\nonexistent\\7za.dll");
    FAIL() << "a window without an engine";
  } catch (...) {
    HandleEventError(std::current_exception());
  }
  ASSERT_EQ(UI.Boxes.size(), 1u);
  // The component's own words first, then what the engine is on this host.
  EXPECT_TRUE(UI.Boxes[0].Text.starts_with(
      u"Could not load CreateObject function from 7za.dll\r\nPerhaps 7za.dll not found\r\n\r\n"));
  EXPECT_NE(LastBoxText().find("p7zip-full"), std::string::npos) << LastBoxText();
  EXPECT_NE(LastBoxText().find("7z.so"), std::string::npos) << LastBoxText();
  EXPECT_EQ(UI.Boxes[0].Caption, u"Orvo Backup and Config Tool");
  EXPECT_EQ(UI.Boxes[0].Type & 0xF0, MB_ICONERROR);
  HandleEventError(std::make_exception_ptr(EAbort()));
  EXPECT_EQ(UI.Boxes.size(), 1u);
}
