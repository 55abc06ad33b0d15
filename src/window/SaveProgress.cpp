#include "window/SaveProgress.h"
#include "window/Product.h"

#include <QCoreApplication>
#include <QProgressDialog>

using namespace Qt::Literals::StringLiterals;

namespace Quillmark {

TSaveProgress::TSaveProgress(QWidget* Owner) : FOwner(Owner) {}

TSaveProgress::~TSaveProgress()
{
  if (FSource) {
    FSource->SetProgressCallback({});
  }
}

void TSaveProgress::Attach(const TRef<IInterface>& Editor)
{
  FSource = std::dynamic_pointer_cast<IQuillmarkSaveProgress>(Editor);
  if (FSource) {
    FSource->SetProgressCallback([this](QWORD Done, QWORD Total) { Report(Done, Total); });
  }
}

void TSaveProgress::Report(QWORD Done, QWORD Total)
{
  if (!FDialog) {
    FDialog = std::make_unique<QProgressDialog>(u"Saving the file..."_s, QString(), 0, 1000, FOwner);
    FDialog->setWindowTitle(ProductName());
    FDialog->setWindowModality(Qt::WindowModal);
    FDialog->setCancelButton(nullptr);
    FDialog->setMinimumDuration(0);
    FDialog->show();
  }
  const double Share = Total == 0 ? 1.0 : static_cast<double>(Done) / static_cast<double>(Total);
  FDialog->setValue(static_cast<int>(Share * 1000.0));
  // Repaint without taking input: the save is still under way.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace Quillmark
