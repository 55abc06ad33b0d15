// Saves and picture reads keep the window's event loop turning: the work
// runs on a thread of its own, the window takes no input meanwhile, and
// what the work throws comes back on the window's thread.
#include "window/WindowTask.h"
#include "MainFormTestSupport.h"
#include "common/AsfBuilder.h"
#include "common/FaultyEditor.h"
#include "common/ScriptedPlatform.h"
#include "common/TestFiles.h"
#include "common/TestJpeg.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <stdexcept>

using namespace Quillmark;
using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

// The real engine, whose flush first waits until the window's thread has
// turned its event loop a few times: a flush on the window's thread is
// recorded and not held, so the test fails instead of hanging.
class TGatedEditor : public TFaultyEditor {
public:
  using TFaultyEditor::TFaultyEditor;

  HRESULT Flush() override
  {
    ++FFlushes;
    FOnWindowThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    if (!FOnWindowThread) {
      FTicks.acquire(TicksWanted);
    }
    return TFaultyEditor::Flush();
  }

  static constexpr int TicksWanted = 3;
  QSemaphore FTicks;
  int FFlushes = 0;
  bool FOnWindowThread = false;
};

class WindowTask : public testing::Test {
protected:
  // A file whose header holds a poster of several megabytes, with no room
  // for a bigger one: the save inserts room.
  QString WriteVideoWithLargePoster()
  {
    const TBytes Poster = MakeJpeg(640, 480, 6'000'000);
    TAsfBuilder Builder;
    Builder.Add(ExtendedContentObject({StringRecord(u"Title", u"Before")}));
    Builder.AddToExtension(LibraryObject({BinaryRecord(u"StereoDiscTitlePoster", Poster)}));
    WriteFileBytes(FDir.File("large.wmv"), Builder.File());
    return QString::fromStdString(FDir.File("large.wmv").string());
  }

  static void Click(QWidget* Button)
  {
    const QPointF At = Button->rect().center();
    QMouseEvent Press(QEvent::MouseButtonPress, At, Button->mapToGlobal(At), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent Release(QEvent::MouseButtonRelease, At, Button->mapToGlobal(At), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(Button, &Press);
    QApplication::sendEvent(Button, &Release);
  }

  TTempDir FDir;
  TScriptedPlatform FPlatform;
};

TEST_F(WindowTask, SaveOfALargeHeaderKeepsTheEventLoopTurningAndHoldsCommandsBack)
{
  const QString Path = WriteVideoWithLargePoster();
  TTestForm Form(FPlatform);
  std::shared_ptr<TGatedEditor> Gated;
  Form.FCreateEditor = [&Gated](TRef<IWMMetadataEditor>& Editor) {
    TRef<IWMMetadataEditor> Real;
    WMCreateEditor(Real);
    Gated = std::make_shared<TGatedEditor>(QueryInterface<IWMMetadataEditor2>(Real));
    Editor = Gated;
    return S_OK;
  };
  Form.show();
  Form.OpenFile(Path);
  ASSERT_TRUE(Form.FEditor);
  ASSERT_TRUE(Form.FPosterImage);
  Form.Get<QLineEdit>("TitleEdit")->setText(u"After"_s);

  int Ticks = 0;
  bool ClosedDuringSave = false;
  QTimer Timer;
  Timer.setInterval(1);
  QObject::connect(&Timer, &QTimer::timeout, [&] {
    if (++Ticks == 1) {
      // What a user tries while the save runs changes nothing.
      Click(Form.Get<QPushButton>("DeletePosterButton"));
      Form.Get<QAction>("SaveMenuItem")->trigger();
      ClosedDuringSave = Form.close();
    }
    Gated->FTicks.release();
  });
  Timer.start();
  Form.SaveFile();
  Timer.stop();

  EXPECT_FALSE(Gated->FOnWindowThread);
  EXPECT_GE(Ticks, TGatedEditor::TicksWanted);
  EXPECT_EQ(Gated->FFlushes, 1);
  EXPECT_FALSE(ClosedDuringSave);
  EXPECT_TRUE(Form.isVisible());
  EXPECT_TRUE(Form.FPosterImage);
  EXPECT_TRUE(FPlatform.MessageTexts().isEmpty()) << FPlatform.MessageTexts().join(u'\n').toStdString();
  EXPECT_FALSE(Form.FModified);
  ASSERT_TRUE(Form.FEditor);

  // The re-opened file holds the edit and the poster, byte for byte.
  Form.CloseFile();
  Form.OpenFile(Path);
  EXPECT_EQ(Form.Get<QLineEdit>("TitleEdit")->text(), u"After"_s);
  ASSERT_TRUE(Form.FPosterImage);
  EXPECT_EQ(Form.FPosterImage->Bytes().size(), 6'000'000U);
  Form.CloseFile();
}

TEST_F(WindowTask, WhatTheWorkThrowsComesBackOnTheWindowsThread)
{
  QWidget Window;
  Qt::HANDLE WorkThread = nullptr;
  bool RunningMeanwhile = false;
  EXPECT_THROW(RunWindowTask(&Window, u"Working..."_s,
                             [&](const TTaskProgress& Report) {
                               WorkThread = QThread::currentThreadId();
                               RunningMeanwhile = WindowTaskRunning();
                               Report(1, 2);
                               throw std::runtime_error("failed");
                             }),
               std::runtime_error);
  EXPECT_NE(WorkThread, QThread::currentThreadId());
  EXPECT_TRUE(RunningMeanwhile);
  EXPECT_FALSE(WindowTaskRunning());
}

} // namespace
} // namespace QuillmarkTest
