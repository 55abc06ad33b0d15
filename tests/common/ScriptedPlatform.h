#pragma once
// A platform for widget tests: answers message boxes and file dialogs from
// queues, records what was shown, and reports the screen it is told to.
#include "support/Platform.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace QuillmarkTest {

class TScriptedPlatform : public Quillmark::IPlatform {
public:
  Quillmark::TMessageAnswer ShowMessage(const Quillmark::TMessage& Message) override
  {
    FMessages.push_back(Message);
    if (FOnMessage) {
      FOnMessage(Message);
    }
    if (FAnswers.empty()) {
      return Message.Buttons == Quillmark::TMessageButtons::Ok ? Quillmark::TMessageAnswer::Ok
                                                               : Quillmark::TMessageAnswer::Cancel;
    }
    Quillmark::TMessageAnswer Answer = FAnswers.front();
    FAnswers.pop_front();
    return Answer;
  }

  std::optional<QString> ChooseOpenFile(const Quillmark::TOpenDialogRequest& Request) override
  {
    FDialogs.push_back(Request);
    if (FChosenFiles.empty() || !FChosenFiles.front().has_value()) {
      if (!FChosenFiles.empty()) {
        FChosenFiles.pop_front();
      }
      return std::nullopt;
    }
    QString Chosen = *FChosenFiles.front();
    FChosenFiles.pop_front();
    return Chosen;
  }

  int ScreenPpi() const override { return FPpi; }
  int ScreenDepth() const override { return FDepth; }
  std::optional<Quillmark::TPlatformVersion> PlatformVersion() const override { return FVersion; }
  void OpenUrl(const QString& Url) override { FOpenedUrls.push_back(Url); }

  // Texts of the messages shown so far, in order.
  QStringList MessageTexts() const
  {
    QStringList Texts;
    for (const Quillmark::TMessage& Message : FMessages) {
      Texts.push_back(Message.Text);
    }
    return Texts;
  }

  std::vector<Quillmark::TMessage> FMessages;
  // Runs while a message is on screen, to look at what lies behind it.
  std::function<void(const Quillmark::TMessage&)> FOnMessage;
  std::deque<Quillmark::TMessageAnswer> FAnswers;
  std::vector<Quillmark::TOpenDialogRequest> FDialogs;
  std::deque<std::optional<QString>> FChosenFiles; // nullopt: the user cancels
  QStringList FOpenedUrls;
  int FPpi = 96;
  int FDepth = 32;
  std::optional<Quillmark::TPlatformVersion> FVersion = Quillmark::TPlatformVersion{};
};

} // namespace QuillmarkTest
