#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "pictures/timeline_model.h"
#include "report/findings.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace gapscope {

// The day timeline in a window of its own beside the main window. The main window hands
// it the findings of each report run while it is open, so that it follows the date picker
// and the option boxes; it can save the picture as PNG or SVG.
class TFormTimeline : public QWidget {
  public:
    explicit TFormTimeline(QWidget* parent);

    // Draws the timeline of a report run's findings. `folder` is where Save first looks.
    void ShowFindings(const Findings& findings, const pictures::PictureFacts& facts,
                      const QString& folder);
    // Asks where to save (the file's extension chooses PNG or SVG) and saves the picture.
    void ButtonSavePictureClick();

    const std::optional<pictures::Timeline>& Shown() const { return timeline_; }
    // The picture as drawn; on screen it is scaled down to the window's width.
    const QImage& Image() const { return image_; }

    // The save dialog (suggested path in, chosen path out, empty when cancelled) and the
    // error message; tests put stand-ins here so that nothing waits for a person.
    std::function<QString(QWidget* parent, const QString& suggested)> chooseFile;
    std::function<void(QWidget* parent, const QString& text)> showError;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FitPicture();

    QScrollArea* ScrollAreaPicture = nullptr;
    QLabel* LabelPicture = nullptr;
    QPushButton* ButtonSavePicture = nullptr;
    QPushButton* ButtonClosePicture = nullptr;
    std::optional<pictures::Timeline> timeline_;
    QImage image_;
    QString folder_;
};

}  // namespace gapscope
