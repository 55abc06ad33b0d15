// The general error display: an exception escaping an event handler is shown
// in a message box captioned with the application's name, and events go on.
#include "ApplicationTestMain.h"

#include "metadata/MetadataEditor.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace QuillmarkTest {
namespace {

class TThrowingWidget : public QWidget {
public:
  int FHandled = 0;

protected:
  bool event(QEvent* Event) override
  {
    if (Event->type() == QEvent::User) {
      throw Quillmark::EInterfaceNotSupported();
    }
    if (Event->type() == QEvent::Type(QEvent::User + 1)) {
      throw std::runtime_error("Disk on fire");
    }
    if (Event->type() == QEvent::Type(QEvent::User + 2)) {
      ++FHandled;
      return true;
    }
    return QWidget::event(Event);
  }
};

class ErrorDisplay : public testing::Test {
protected:
  void SetUp() override
  {
    ApplicationPlatform().FMessages.clear();
    QApplication::setApplicationName(u"Quillpad"_s);
  }
};

TEST_F(ErrorDisplay, AnUnhandledExceptionIsShownWithItsMessage)
{
  TThrowingWidget Widget;
  QEvent Event(QEvent::User);
  EXPECT_FALSE(QApplication::sendEvent(&Widget, &Event));
  ASSERT_EQ(ApplicationPlatform().FMessages.size(), 1U);
  const Quillmark::TMessage& Shown = ApplicationPlatform().FMessages[0];
  EXPECT_EQ(Shown.Caption, u"Quillpad"_s);
  EXPECT_EQ(Shown.Text, u"Interface not supported"_s);
  EXPECT_EQ(Shown.Icon, Quillmark::TMessageIcon::Error);
  EXPECT_EQ(Shown.Buttons, Quillmark::TMessageButtons::Ok);
}

TEST_F(ErrorDisplay, TheProgramGoesOnAfterAnError)
{
  TThrowingWidget Widget;
  QApplication::postEvent(&Widget, new QEvent(QEvent::Type(QEvent::User + 1)));
  QApplication::postEvent(&Widget, new QEvent(QEvent::Type(QEvent::User + 2)));
  QApplication::sendPostedEvents(&Widget);
  EXPECT_EQ(ApplicationPlatform().MessageTexts(), QStringList({u"Disk on fire"_s}));
  EXPECT_EQ(Widget.FHandled, 1);
}

} // namespace
} // namespace QuillmarkTest
