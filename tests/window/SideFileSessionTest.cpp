// The window and the side file of an interrupted save that it may not use:
// the file opens as it is, a warning names the side file, and saving is
// refused until the side file is gone.
#include "MainFormTestSupport.h"
#include "common/AsfBuilder.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "window/Main.h"

#include <QLineEdit>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Quillmark;
using namespace Qt::Literals::StringLiterals;

namespace QuillmarkTest {
namespace {

TEST(SideFileSession, AnUntrustedSideFileIsShownAndBlocksSavingUntilItIsGone)
{
  TTempDir Dir;
  TAsfBuilder Builder;
  Builder.Add(ContentDescriptionObject({u"Old title", std::nullopt, std::nullopt, std::nullopt}));
  Builder.Add(PaddingObject(4000));
  const TBytes Original = Builder.File();
  WriteFileBytes(Dir.File("clip.wmv"), Original);
  const std::filesystem::path Side = Dir.File(".clip.wmv.quillmark-journal");
  WriteFileBytes(Side, TBytes(100, 0x41));
  ASSERT_EQ(::chmod(Side.c_str(), 0666), 0);

  TScriptedPlatform Platform;
  TTestForm Form(Platform);
  Form.OpenFile(QString::fromStdString(Dir.File("clip.wmv").string()));
  ASSERT_EQ(Platform.FMessages.size(), 1U);
  EXPECT_EQ(Platform.FMessages[0].Caption, u"Quillmark"_s);
  EXPECT_EQ(Platform.FMessages[0].Icon, TMessageIcon::Warning);
  EXPECT_EQ(Platform.FMessages[0].Text,
            u"The side file '"_s + QString::fromStdString(Side.string()) +
                u"' was not used: it cannot be shown to be an interrupted save of "
                u"'clip.wmv'.\r\rThe file is shown as it is, and it cannot be saved "
                u"until the side file is removed."_s);
  EXPECT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"Old title"_s);

  Form.Get<QLineEdit>("TitleEdit")->setText(u"New title"_s);
  Form.SaveFile();
  ASSERT_EQ(Platform.FMessages.size(), 2U);
  EXPECT_TRUE(Platform.FMessages[1].Text.startsWith(u"Could not save file 'clip.wmv'!"_s));
  EXPECT_TRUE(Form.FModified);
  EXPECT_EQ(ReadFileBytes(Dir.File("clip.wmv")), Original);
  EXPECT_EQ(ReadFileBytes(Side), TBytes(100, 0x41));

  std::filesystem::remove(Side);
  Form.SaveFile();
  EXPECT_EQ(Platform.FMessages.size(), 2U);
  EXPECT_FALSE(Form.FModified);
  EXPECT_NE(ReadFileBytes(Dir.File("clip.wmv")), Original);
}

} // namespace
} // namespace QuillmarkTest
