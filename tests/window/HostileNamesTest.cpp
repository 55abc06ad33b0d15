// The window given names that are no UTF-8 (from the command line and from
// drops), pictures that are no regular files, and files that do not open.
#include "MainFormTestSupport.h"
#include "asf/MetadataEditorImpl.h"
#include "common/AsfBuilder.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "metadata/TextConversion.h"
#include "window/LocalPaths.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Quillmark;
using namespace Qt::Literals::StringLiterals;

namespace QuillmarkTest {
namespace {

class TDropForm : public TTestForm {
public:
  using TMainForm::dropEvent;
  using TTestForm::TTestForm;
};

TBytes FileTitled(const std::u16string& Title)
{
  TAsfBuilder Builder;
  Builder.Add(ExtendedContentObject({StringRecord(u"Title", Title)})).Add(PaddingObject(40000));
  return Builder.File();
}

class HostileNames : public ::testing::Test {
protected:
  void SetUp() override
  {
    WriteFileBytes(Odd(), FileTitled(u"Odd"));
    WriteFileBytes(Neighbour(), FileTitled(u"Neighbour"));
    FNeighbourBefore = ReadFileBytes(Neighbour());
  }
  std::string Odd() const { return FDir.File("a\xFF.wmv").string(); }
  std::string Neighbour() const { return FDir.File("a\xEF\xBF\xBD.wmv").string(); }

  // Edits the open file's title and saves; the neighbour must not change.
  void SaveAndCheck(TTestForm& Form)
  {
    ASSERT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"Odd"_s);
    Form.Get<QLineEdit>("TitleEdit")->setText(u"Saved"_s);
    Form.SaveFile();
    EXPECT_TRUE(FPlatform.FMessages.empty()) << FPlatform.MessageTexts().join(u'|').toStdString();
    EXPECT_EQ(ReadFileBytes(Neighbour()), FNeighbourBefore);
    EXPECT_NE(ReadFileBytes(Odd()), FileTitled(u"Odd"));
  }

  TTempDir FDir;
  TScriptedPlatform FPlatform;
  TBytes FNeighbourBefore;
};

} // namespace

TEST_F(HostileNames, TheCommandLineOpensTheNamedFile)
{
  const std::string Program = "quillmark";
  const std::string Name = Odd();
  const char* Argv[] = {Program.c_str(), Name.c_str(), nullptr};
  const QStringList Arguments = CommandLineArguments(2, Argv);
  EXPECT_EQ(PathBytes(Arguments.at(1)).toStdString(), Name);
  TTestForm Form(FPlatform);
  Form.SetCommandLine(Arguments);
  Form.AfterShowTimerTimer();
  SaveAndCheck(Form);
}

TEST_F(HostileNames, ADropOpensTheNamedFile)
{
  // As a file manager sends it: the name's bytes percent-encoded.
  const QUrl Url(QString::fromLatin1(
      "file://" + QByteArray::fromStdString(FDir.Path().string()).toPercentEncoding("/") + "/a%FF.wmv"));
  EXPECT_EQ(PathBytes(PathOfUrl(Url)).toStdString(), Odd());
  QMimeData Data;
  Data.setUrls({Url});
  QDropEvent Event(QPointF(1, 1), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
  TDropForm Form(FPlatform);
  Form.dropEvent(&Event);
  // The window opens a dropped file once the drop is over.
  QApplication::processEvents();
  SaveAndCheck(Form);
}

TEST_F(HostileNames, TheOpenDialogsLossyNameLeadsToTheFileItShowed)
{
  // Qt's dialog shows (and returns) both names as "a\uFFFD.wmv"; with both
  // there the name is the neighbour's own. Alone, it is the odd file.
  const QString Shown = QString::fromStdString(FDir.File("a").string()) + QChar(0xFFFD) + u".wmv"_s;
  EXPECT_EQ(ResolveDecodedName(Shown), Shown);
  std::filesystem::remove(Neighbour());
  EXPECT_EQ(PathBytes(ResolveDecodedName(Shown)).toStdString(), Odd());
  const QString Plain = QString::fromStdString(FDir.File("plain.wmv").string());
  EXPECT_EQ(ResolveDecodedName(Plain), Plain);

  TTestForm Form(FPlatform);
  FPlatform.FChosenFiles = {Shown};
  Form.OpenMenuItemClick();
  EXPECT_EQ(PathBytes(Form.FFileName).toStdString(), Odd());
  EXPECT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"Odd"_s);
}

TEST_F(HostileNames, FailedOpensNameTheirCauseAndKeepTheReasonAsDetails)
{
  auto Holder = std::make_shared<Asf::TMetadataEditor>();
  ASSERT_EQ(Holder->OpenEx(PathToUtf16(Odd()).c_str(), GENERIC_READ | GENERIC_WRITE, 0), S_OK);
  WriteFileBytes(FDir.File("text.wmv"), TBytes(64, 'x'));
  struct TCase {
    QString Path;
    QString Text;
    QString Details;
  };
  const TCase Cases[] = {
      {PathFromBytes(QByteArray::fromStdString(Odd())),
       u"Could not open file 'a\uFFFD.wmv'!\r\rMake sure it is not opened by another application.\r\rCause: another program holds it open."_s,
       u"held by another program"_s},
      {QString::fromStdString(FDir.File("gone.wmv").string()),
       u"Could not open file 'gone.wmv'!\r\rMake sure it is not opened by another application.\r\rCause: the file was not found."_s,
       u"not found"_s},
      {QString::fromStdString(FDir.File("text.wmv").string()),
       u"Could not open file 'text.wmv'!\r\rMake sure it is not opened by another application.\r\rCause: it is not a Windows Media file."_s,
       u"not an ASF file"_s},
  };
  TTestForm Form(FPlatform);
  for (const TCase& Case : Cases) {
    FPlatform.FMessages.clear();
    Form.OpenFile(Case.Path);
    ASSERT_EQ(FPlatform.FMessages.size(), 1U);
    EXPECT_EQ(FPlatform.FMessages[0].Text, Case.Text);
    EXPECT_EQ(FPlatform.FMessages[0].Details, Case.Details);
    EXPECT_TRUE(Form.FFileName.isEmpty());
  }
  Holder->Close();
}

TEST_F(HostileNames, APictureThatIsAFifoIsRefusedAtOnce)
{
  TTestForm Form(FPlatform);
  Form.OpenFile(PathFromBytes(QByteArray::fromStdString(Odd())));
  const std::string Fifo = FDir.File("x\xFF.jpg").string();
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  FPlatform.FChosenFiles = {PathFromBytes(QByteArray::fromStdString(Fifo))};
  const auto Start = std::chrono::steady_clock::now();
  Form.LoadPosterButtonClick();
  EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(5));
  ASSERT_EQ(FPlatform.FMessages.size(), 1U);
  EXPECT_EQ(FPlatform.FMessages[0].Text,
            u"This image cannot be used as title poster! Suitable images must be JPEG files with a minimum "
            u"resolution of 480 x 480 pixels."_s);
  EXPECT_EQ(FPlatform.FMessages[0].Icon, TMessageIcon::Information);
  EXPECT_FALSE(Form.FPosterImage);
}

} // namespace QuillmarkTest
