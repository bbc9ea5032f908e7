#pragma once

#include <QLabel>
#include <functional>
#include <string_view>

#include "report/lines.h"
#include "window_model/window_layout.h"

class QListWidget;

namespace gapscope {

// A label that answers a click with the left button (the data label opens the folder
// dialog). It takes no focus, so the designed tab order stays as it is.
class ClickableLabel : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void()> clicked;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A caption of the tables (or the option table) for a button, box or group: a single
// ampersand would mark a key.
QString CaptionText(std::string_view caption);

// One control of the layout tables, built in `parent` at its designed place and size (a
// label sized to its text): a ClickableLabel, a report list, the group box, a button or the
// date picker.
QWidget* MakeControl(const layout::ControlDesign& design, QWidget* parent);

// The rows of a report list: `rowHeight` high, and as wide as the widest line of the
// list's current fill.
void SetReportRows(QListWidget* list, int rowHeight);

// Replaces the lines of a report list (one set up by SetReportRows).
void FillReportList(QListWidget* list, const Lines& lines);

}  // namespace gapscope
