#include "window_qt/form_controls.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QListWidget>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace gapscope {
namespace {

using layout::Kind;

// Every row the same height, and as wide as the widest line of the list's current fill,
// so that the list scrolls sideways to the end of every line. With uniform row sizes the
// view asks for the size of one row only (its last), which then sets the width of all.
class ReportLineDelegate : public QStyledItemDelegate {
  public:
    ReportLineDelegate(int rowHeight, QObject* parent)
        : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}
    void SetWidestRow(int row) { widestRow_ = row; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QModelIndex widest = index.sibling(widestRow_, index.column());
        QSize size = QStyledItemDelegate::sizeHint(option, widest.isValid() ? widest : index);
        size.setHeight(rowHeight_);
        return size;
    }

  private:
    int rowHeight_;
    int widestRow_ = 0;
};

// Tab leaves the picker for the next control at once, as the window's tab order says; the
// arrow keys still move between day, month and year.
class DatePicker : public QDateEdit {
  public:
    using QDateEdit::QDateEdit;

  protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

}  // namespace

QString CaptionText(std::string_view caption) {
    return QString::fromUtf8(caption.data(), qsizetype(caption.size()))
        .replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (clicked && event->button() == Qt::LeftButton && rect().contains(event->pos())) clicked();
}

QWidget* MakeControl(const layout::ControlDesign& design, QWidget* parent) {
    const QString text = QString::fromLatin1(design.text);
    QWidget* widget = nullptr;
    switch (design.kind) {
        case Kind::Label: {
            auto* label = new ClickableLabel(text, parent);
            // The ampersands are characters, not key markers.
            label->setTextFormat(Qt::PlainText);
            widget = label;
            break;
        }
        case Kind::List: {
            auto* list = new QListWidget(parent);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setSortingEnabled(false);
            // Thousands of rows: without uniform sizes every row is measured at each fill.
            list->setUniformItemSizes(true);
            widget = list;
            break;
        }
        case Kind::GroupBox:
            widget = new QGroupBox(CaptionText(design.text), parent);
            break;
        case Kind::Button: {
            auto* button = new QPushButton(CaptionText(design.text), parent);
            button->setAutoDefault(false);
            widget = button;
            break;
        }
        case Kind::DatePicker: {
            auto* picker = new DatePicker(parent);
            picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
            picker->setCalendarPopup(true);
            widget = picker;
            break;
        }
    }
    widget->setObjectName(QString::fromLatin1(design.name));
    if (design.width > 0) {
        widget->setGeometry(design.x, design.y, design.width, design.height);
    } else {
        widget->move(design.x, design.y);
        widget->adjustSize();
    }
    return widget;
}

void SetReportRows(QListWidget* list, int rowHeight) {
    list->setItemDelegate(new ReportLineDelegate(rowHeight, list));
}

void FillReportList(QListWidget* list, const Lines& lines) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    const QFontMetrics metrics = list->fontMetrics();
    int widestRow = 0;
    int widest = -1;
    for (const std::string& line : lines) {
        items.append(QString::fromStdString(line));
        const int width = metrics.horizontalAdvance(items.back());
        if (width > widest) {
            widest = width;
            widestRow = static_cast<int>(items.size()) - 1;
        }
    }
    if (auto* delegate = dynamic_cast<ReportLineDelegate*>(list->itemDelegate())) {
        delegate->SetWidestRow(widestRow);
    }
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(items);
    list->setUpdatesEnabled(true);
}

}  // namespace gapscope
